#pragma once
// UTF-8 to code page 932 through iconv, so that tests state expected bytes
// independently of the compiler's own recoding of literals.
#include <string>
#include <vector>

// Pass u8"..." literals: they stay UTF-8 whatever the execution character set.
std::string Sjis(const std::string& utf8);
// A file as the program writes text: each line converted and ended by CR LF.
std::string SjisLines(const std::vector<std::string>& utf8Lines);
