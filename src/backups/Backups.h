#pragma once
// The backups the editor takes of the save file, and restoring from them.
// Backups are only ever read here: nothing in this file changes or deletes one.
#include "savedata/SaveData.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct BackupEntry {
    std::string fileName;  // Save2612081031.dat
    std::string path;      // the folder's path, "/", the file name
    // "2026/12/08 10:31"; the forms with seconds and a count add ":05" and " (2)".
    std::string stamp;
    // False for a file that cannot be read or does not hold the save file's
    // whole layout (SaveData::IsWhole): such a backup is listed but cannot be
    // restored from.
    bool readable = false;
    // Decks differing from the save ListBackups compared with, or -1.
    int decksDiffering = -1;
};

struct BackupList {
    bool folderFound = false;
    // Newest first. Only files named as the editor names backups:
    // Save<YYMMDDhhmm>.dat, Save<YYMMDDhhmmss>.dat, Save<YYMMDDhhmmss>_<n>.dat (n >= 2).
    std::vector<BackupEntry> entries;
};

// Lists the backup folder of `paths`; every backup is read once to tell
// whether it is readable and, when against is given, how many decks differ
// from it.
BackupList ListBackups(const GamePaths& paths, const SaveData* against = nullptr);
// The backup at path to restore from; nullptr when it cannot be read or does
// not hold the whole layout (then kTextBackupUnreadable is the reason).
std::unique_ptr<SaveData> OpenBackup(const GamePaths& paths, const std::string& path);
// The same, its decks named by a card list already read.
std::unique_ptr<SaveData> OpenBackup(const GamePaths& paths, const std::string& path, const CardCatalogue& cardList);
// Why a list holds nothing to show (the folder missing, or no backup in it);
// the empty text when it has entries.
std::string EmptyListReason(const BackupList& list);
// A bare file name is one in the backup folder; anything with a '/' is a
// path, from the working folder unless it is absolute.
std::string BackupPath(const GamePaths& paths, const std::string& nameOrPath);

// Decks (name or cards) that differ between two saves, slot by slot; -1 when
// either did not load.
int DecksDiffering(const SaveData& a, const SaveData& b);

// The backup's deck in backupSlot, with its name, into slot, by the rules of
// 編集: the slot is emptied into the stock, a normal deck takes only the
// copies the stock holds now, and when everything fits the deck becomes the
// game's active deck. One complaint line per card that did not fit, or the
// empty text; kTextBackupUnreadable, with nothing changed, for a backup that
// is not whole.
std::string RestoreDeck(SaveData& saveData, int slot, const SaveData& backup, int backupSlot);
// The whole save, game lines, stock and active deck included, becomes the
// backup's bytes (in memory; Write writes it); kTextBackupUnreadable, with
// nothing changed, for bytes that do not hold the whole layout.
std::string RestoreAll(SaveData& saveData, const std::vector<std::uint8_t>& backupBytes);

extern const char kTextNoBackupsYet[];
extern const char kTextBackupUnreadable[];
