#pragma once
// Whole-file reads and crash-safe whole-file replacement.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The steps of ReplaceFile, each of which can fail. Writing in place goes
// through the same steps, Create being the opening of the file.
enum class WriteStep { Create, Write, Sync, Close, Rename };

// Test hook: called before each step; returning true makes that step fail as
// if the system had refused it.
extern bool (*g_failWriteStep)(WriteStep step);

// Reads a whole regular file of at most kMaxInputFileBytes (see
// fileio/InputFile.h); false when it cannot be opened or read, or is refused.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

enum class ReplaceResult {
    Done,
    Failed,   // nothing changed
    Changed,  // the file no longer held the expected bytes; nothing changed
    Damaged,  // a write in place broke off: the file may hold any part of the bytes
    Busy,     // another writer kept its turn for the whole wait; nothing changed
};

struct ReplaceOptions {
    // When set, the file must still hold exactly these bytes right before it
    // is replaced (a file that has gone or cannot be read counts as changed).
    const std::vector<std::uint8_t>* expected = nullptr;
    // Asked before the file is rewritten in place; false refuses.
    std::function<bool()> mayWriteInPlace;
    // Take turns with the program's other writers of this file (see below).
    bool takeTurns = false;
    // How long to wait for another writer's turn to end before giving up
    // (Busy), and what to do between looks at the lock: a window keeps
    // painting. Any process that may read the lock file can hold it.
    std::chrono::milliseconds turnWait{5000};
    std::function<void()> whileWaiting;
};

// Replaces the file at path with bytes. A symbolic link is followed to its
// final target, which is replaced in its own folder; the links stay. A file
// the user may not write, one that is not a regular file, or a new file in a
// folder the user may not write, is refused before anything is created.
//
// With takeTurns, writers of this program take turns: from the first look at
// the expected bytes through the replacement each holds an advisory lock (flock) on
// "<target>.lock" beside the final target, which is made once (with the
// target's mode, so that it says no more about the file than the file does)
// and never removed, or on the target itself where that file cannot be made (its folder
// is not writable, so only a write in place is possible). The lock goes with
// its process, so a writer that was killed never blocks the next one.
//
// The bytes go to a temporary file beside the target, which is synced and
// renamed over it, so that a failure never leaves a damaged file. The
// replaced file's owner, group and mode are kept; a new file gets the mode
// the umask leaves. Where a new file cannot stand in for the old one (its
// owner cannot be kept, it has further hard links, or its folder cannot be
// written), the file is rewritten in place instead, if mayWriteInPlace agrees,
// and read back to check every byte.
ReplaceResult ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                          const ReplaceOptions& options = {});

enum class NewFileResult {
    Created,
    Identical,  // a regular file (not a link) of that name already holds these bytes
    Taken,      // the name is taken by something else; nothing was written to it
    Failed,     // nothing was created
};

// Creates path holding bytes, as a new file that never replaces anything and
// never follows a link at its name. The bytes go to a temporary file beside it,
// which is synced and only then given the name, so that the name holds the
// whole bytes or nothing. The mode is the given one less the umask.
NewFileResult CreateNewFile(const std::string& path, const std::vector<std::uint8_t>& bytes, unsigned mode = 0666);
