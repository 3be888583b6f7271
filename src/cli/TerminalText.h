#pragma once
// Conversion between the program's code page 932 texts and the terminal's UTF-8.
#include <string>

// Bytes that are not valid code page 932 (a name cut inside a character) come
// out as U+FFFD rather than being lost or stopping the output.
std::string Cp932ToUtf8(const std::string& cp932);
// False when the text holds a character that code page 932 cannot store.
bool Utf8ToCp932(const std::string& utf8, std::string& cp932);
