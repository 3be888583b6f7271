#pragma once
// The one place where the program's code page 932 texts meet Unicode (UTF-8):
// the terminal, the file system's names and the windows all go through here.
// Input methods and other programs send the JIS forms of 〜 − ‖ ¢ £ ¬
// (U+301C, U+2212, U+2016, U+00A2, U+00A3, U+00AC); they are stored as the
// code page 932 bytes the game's own forms use.
#include <string>

// Bytes that are not valid code page 932 (a name cut inside a character) come
// out as U+FFFD rather than being lost or stopping the output.
std::string Cp932ToUtf8(const std::string& cp932);
// Strict: false when some byte does not form a character.
bool DecodeCp932(const std::string& cp932, std::string& utf8);
// False when the text holds a character that code page 932 cannot store.
bool Utf8ToCp932(const std::string& utf8, std::string& cp932);
