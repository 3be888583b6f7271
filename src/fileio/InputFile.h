#pragma once
// Every file the program reads (the save file and its backups, list.xml, the
// formats) and every export it writes goes through here, so that a FIFO, a
// device or a huge file behind one of those names is refused at once instead
// of hanging the program or filling its memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The largest file any reader takes. A save file is about 12 KB, list.xml a
// few hundred; this leaves room for every real one. Positions inside a file
// held in memory fit an int because of it.
constexpr std::size_t kMaxInputFileBytes = 16u * 1024 * 1024;

enum class ReadResult {
    Read,
    Missing,  // no such file (or a link to nothing)
    Refused,  // not a regular file, or larger than kMaxInputFileBytes
    Failed,   // could not be opened or read
};

// Reads a whole regular file of at most kMaxInputFileBytes; reading stops one
// byte past the limit. A symbolic link is followed unless followLinks is
// false, when a link counts as Refused. bytes is empty unless Read.
ReadResult ReadInputFile(const std::string& path, std::string& bytes, bool followLinks = true);
ReadResult ReadInputFile(const std::string& path, std::vector<std::uint8_t>& bytes, bool followLinks = true);

// Opens path for writing from its start, creating it (mode 0666 less the
// umask) when missing; with onlyNew, a file already there is not opened. Only a
// regular file is opened, and opening never waits. The file is emptied.
// Returns the descriptor, or -1.
int OpenOutputFile(const std::string& path, bool onlyNew);
