#pragma once
// The backups the editor takes of the save file, and restoring from them.
// Backups are only ever read here: nothing in this file changes or deletes one.
#include "savedata/SaveData.h"

#include <cstdint>
#include <string>
#include <vector>

struct BackupEntry {
    std::string fileName;  // Save2612081031.dat
    std::string path;      // the folder's path, "/", the file name
    // "2026/12/08 10:31"; the forms with seconds and a count add ":05" and " (2)".
    std::string stamp;
    // False for a file that cannot be read or does not fit the save file's
    // layout: such a backup is listed but cannot be restored from.
    bool readable = false;
};

struct BackupList {
    bool folderFound = false;
    // Newest first. Only files named as the editor names backups:
    // Save<YYMMDDhhmm>.dat, Save<YYMMDDhhmmss>.dat, Save<YYMMDDhhmmss>_<n>.dat (n >= 2).
    std::vector<BackupEntry> entries;
};

// Lists the backup folder of `paths`; every backup is read once to tell
// whether it is readable.
BackupList ListBackups(const GamePaths& paths);
// Why a list holds nothing to show (the folder missing, or no backup in it);
// the empty text when it has entries.
std::string EmptyListReason(const BackupList& list);
// A bare file name is one in the backup folder; anything with a '/' is a
// path, from the working folder unless it is absolute.
std::string BackupPath(const GamePaths& paths, const std::string& nameOrPath);

// Decks (name or cards) that differ between two saves, slot by slot.
int DecksDiffering(const SaveData& a, const SaveData& b);

// The backup's deck in backupSlot, with its name, into slot, by the rules of
// 編集: the slot is emptied into the stock, a normal deck takes only the
// copies the stock holds now, and when everything fits the deck becomes the
// game's active deck. One complaint line per card that did not fit, or the
// empty text.
std::string RestoreDeck(SaveData& saveData, int slot, const SaveData& backup, int backupSlot);
// The whole save, game lines, stock and active deck included, becomes the
// backup's bytes (in memory; Write writes it).
std::string RestoreAll(SaveData& saveData, const std::vector<std::uint8_t>& backupBytes);

extern const char kTextNoBackupsYet[];
extern const char kTextBackupUnreadable[];
