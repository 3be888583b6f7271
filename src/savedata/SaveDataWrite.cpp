// Writing the save file back, and the copies kept before it is changed.
#include "savedata/SaveData.h"

#include "fileio/InputFile.h"
#include "savedata/BackupName.h"
#include "savedata/SafeFile.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

bool SaveData::KeepsItsLines(const std::vector<std::uint8_t>& out) const
{
    // A stock count or the active slot written next to a byte the game keeps
    // can spell CR LF, which would end the line early and shift every later
    // line: the file would no longer load.
    for (int p = stockLineStart; p < activeLineStart + 2; ++p) {
        if (p != activeLineStart - 2 && out[static_cast<std::size_t>(p)] == '\r' &&
            out[static_cast<std::size_t>(p + 1)] == '\n') {
            return false;
        }
    }
    return true;
}

std::string SaveData::Write() { return WriteFile(true); }

std::string SaveData::Overwrite() { return WriteFile(false); }

std::string SaveData::WriteFile(bool keepGameChanges)
{
    image = BuildImage();
    if (!KeepsItsLines(image)) {
        return kTextWouldBreakFile;
    }
    // A long tail plus longer names could pass the read limit: the file
    // written would never open again.
    if (image.size() > kMaxInputFileBytes) {
        return kTextTooLargeToSave;
    }
    ReplaceOptions options;
    options.expected = keepGameChanges ? &knownFile : nullptr;
    options.takeTurns = true;
    options.turnWait = turnWait;
    options.whileWaiting = whileWaitingForTurn;
    // A save file that can only be rewritten in place is damaged if that
    // breaks off; it is done only once a copy of it exists.
    std::string backupProblem;
    options.mayWriteInPlace = [this, &backupProblem] {
        backupProblem = backupTaken ? std::string() : MakeBackup();
        return backupProblem.empty();
    };
    switch (ReplaceFile(paths.SaveFile(), image, options)) {
    case ReplaceResult::Done:
        knownFile = image;
        settledImage = image;
        damaged = false;  // the file now holds the editor's own lines
        return std::string();
    case ReplaceResult::Changed:
        return kTextChangedByGame;
    case ReplaceResult::Busy:
        return kTextSomeoneElseSaving;
    case ReplaceResult::Damaged:
        // What is there now is our own doing, not the game's: a retry may
        // write over it. The backup holds the file as it was.
        ReadWholeFile(paths.SaveFile(), knownFile);
        break;
    case ReplaceResult::Failed:
        break;
    }
    return backupProblem.empty() ? std::string(kTextCannotOpenSave) : backupProblem;
}

namespace {

// Whether the newest of the editor's backups holds these bytes: then a start
// with no change since needs no further copy. A link there is not followed.
bool NewestBackupHolds(const std::string& folder, const std::vector<std::uint8_t>& bytes)
{
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    BackupName newest;
    std::string newestName;
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        BackupName key;
        if (ParseBackupName(name, key) && (newestName.empty() || newest < key)) {
            newest = key;
            newestName = name;
        }
    }
    std::vector<std::uint8_t> there;
    return !newestName.empty() &&
           ReadInputFile(folder + "/" + newestName, there, false) == ReadResult::Read &&
           there == bytes;
}

// Why a copy could not be made: the folder is missing, or it could not be
// written (a full disk, no permission).
std::string BackupFailure(const std::string& folder)
{
    struct stat found {};
    return ::stat(folder.c_str(), &found) == 0 && S_ISDIR(found.st_mode) ? kTextBackupNotWritten : kTextNoBackupFolder;
}

}  // namespace

std::string SaveData::MakeBackup()
{
    const std::tm now = localTime();
    char minute[32];
    std::snprintf(minute, sizeof minute, "%02d%02d%02d%02d%02d", (now.tm_year + 1900) % 100, now.tm_mon + 1,
                  now.tm_mday, now.tm_hour, now.tm_min);
    char second[8];
    std::snprintf(second, sizeof second, "%02d", now.tm_sec);
    std::vector<std::uint8_t> bytes;
    struct stat file {};
    if (!ReadWholeFile(paths.SaveFile(), bytes) || ::stat(paths.SaveFile().c_str(), &file) != 0) {
        return kTextCannotOpenSave;
    }
    if (NewestBackupHolds(paths.BackupFolder(), bytes)) {
        backupTaken = true;
        return std::string();
    }
    // A copy from earlier in the same minute (another start, another command
    // line) may be the only one of the file before it was changed: it is
    // never replaced. The next free name still sorts by time.
    for (int n = 0; n < 1000; ++n) {
        std::string name = paths.BackupFolder() + "/Save" + minute;
        if (n > 0) {
            name += second;
        }
        if (n > 1) {
            name += "_" + std::to_string(n);
        }
        // Never more readable than the file it copies: a private save stays private.
        switch (CreateNewFile(name + ".dat", bytes, file.st_mode & 0777)) {
        case NewFileResult::Created:
        case NewFileResult::Identical:
            backupTaken = true;
            return std::string();
        case NewFileResult::Taken:
            break;
        case NewFileResult::Failed:
            return BackupFailure(paths.BackupFolder());
        }
    }
    return BackupFailure(paths.BackupFolder());
}

bool SaveData::HasUnsavedChanges() const { return loaded && BuildImage() != settledImage; }

bool SaveData::ChangedOnDisk() const
{
    std::vector<std::uint8_t> onDisk;
    return !ReadWholeFile(paths.SaveFile(), onDisk) || onDisk != knownFile;
}
