#include "backups/Backups.h"

#include "rules/DeckRules.h"
#include "savedata/BackupName.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <tuple>

const char kTextNoBackupsYet[] = "バックアップはまだ一つも無いみたいです。";
const char kTextBackupUnreadable[] = "このバックアップは読めないみたいです…。";

namespace {

std::string StampOf(const BackupName& key)
{
    const std::string& m = key.minute;
    std::string stamp = "20" + m.substr(0, 2) + "/" + m.substr(2, 2) + "/" + m.substr(4, 2) + " " + m.substr(6, 2) +
                        ":" + m.substr(8, 2);
    if (key.second >= 0) {
        stamp += (key.second < 10 ? ":0" : ":") + std::to_string(key.second);
    }
    if (key.count > 1) {
        stamp += " (" + std::to_string(key.count) + ")";
    }
    return stamp;
}

}  // namespace

BackupList ListBackups(const GamePaths& paths, const SaveData* against)
{
    const std::string folder = paths.BackupFolder();
    BackupList list;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        return list;
    }
    list.folderFound = true;
    std::vector<std::pair<BackupName, BackupEntry>> found;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        BackupName key;
        if (ParseBackupName(name, key)) {
            found.push_back({key, BackupEntry{name, folder + "/" + name, StampOf(key)}});
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return b.first < a.first; });
    // One card list for them all: the save data's, or else read once.
    const CardCatalogue cardList = against != nullptr ? against->Catalogue() : CardCatalogue(paths.CardList());
    for (auto& [key, entry] : found) {
        // Read once: a backup that changes or goes meanwhile is simply unreadable.
        const std::unique_ptr<SaveData> backup = OpenBackup(paths, entry.path, cardList);
        entry.readable = backup != nullptr;
        if (backup && against != nullptr) {
            entry.decksDiffering = DecksDiffering(*against, *backup);
        }
        list.entries.push_back(std::move(entry));
    }
    return list;
}

std::string EmptyListReason(const BackupList& list)
{
    if (!list.folderFound) {
        return kTextNoBackupFolder;
    }
    return list.entries.empty() ? std::string(kTextNoBackupsYet) : std::string();
}

std::string BackupPath(const GamePaths& paths, const std::string& nameOrPath)
{
    return nameOrPath.find('/') == std::string::npos ? paths.BackupFolder() + "/" + nameOrPath
                                                     : paths.FromWorkingFolder(nameOrPath);
}

std::unique_ptr<SaveData> OpenBackup(const GamePaths& paths, const std::string& path)
{
    return OpenBackup(paths, path, CardCatalogue(paths.CardList()));
}

std::unique_ptr<SaveData> OpenBackup(const GamePaths& paths, const std::string& path, const CardCatalogue& cardList)
{
    auto backup = std::make_unique<SaveData>(paths, path, cardList);
    return backup->IsWhole() ? std::move(backup) : nullptr;
}

int DecksDiffering(const SaveData& a, const SaveData& b)
{
    if (!a.IsLoaded() || !b.IsLoaded()) {
        return -1;
    }
    int differing = 0;
    for (int s = 0; s < SaveData::kDecks; ++s) {
        const DeckRecord& x = a.Deck(s);
        const DeckRecord& y = b.Deck(s);
        if (x.Name() != y.Name() || std::memcmp(x.Counts(), y.Counts(), CardCatalogue::kCards) != 0) {
            ++differing;
        }
    }
    return differing;
}

std::string RestoreDeck(SaveData& saveData, int slot, const SaveData& backup, int backupSlot)
{
    if (!backup.IsWhole()) {
        return kTextBackupUnreadable;
    }
    const DeckRecord& wanted = backup.Deck(backupSlot);
    std::string message = saveData.DeleteDeck(static_cast<std::uint8_t>(slot));
    if (!message.empty()) {
        return message;
    }
    message = AddFromCounts(saveData, slot, wanted.Counts());
    // The name comes with the deck even when a card is short: it is the deck
    // the player asked for, and the complaints say what it lacks.
    saveData.Deck(slot).SetName(wanted.Name());
    if (message.empty()) {
        saveData.SetActiveDeck(slot);
    }
    return message;
}

std::string RestoreAll(SaveData& saveData, const std::vector<std::uint8_t>& backupBytes)
{
    return HasWholeDeckLines(backupBytes) && saveData.ReplaceContents(backupBytes) ? std::string()
                                                                                 : std::string(kTextBackupUnreadable);
}
