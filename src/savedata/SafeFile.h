#pragma once
// Whole-file reads and crash-safe whole-file replacement.
#include <cstdint>
#include <string>
#include <vector>

// The steps of ReplaceFile, each of which can fail.
enum class WriteStep { Create, Write, Sync, Close, Rename };

// Test hook: called before each step; returning true makes that step fail as
// if the system had refused it.
extern bool (*g_failWriteStep)(WriteStep step);

// Reads a whole file in binary mode; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// Writes bytes to a temporary file beside path, syncs it, renames it over
// path and syncs the folder. On any failure path is left as it was, the
// temporary file is removed and the result is false.
bool ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
