#include "backups/Backups.h"

#include "rules/DeckRules.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <tuple>

const char kTextNoBackupsYet[] = "バックアップはまだ一つも無いみたいです。";
const char kTextBackupUnreadable[] = "このバックアップは読めないみたいです…。";

namespace {

// What a backup's name says: its time and its place among backups of the same minute.
struct NameKey {
    std::string minute;  // YYMMDDhhmm
    int second = -1;     // -1: the plain minute name, the first of its minute
    int count = 1;       // n of _<n>
    bool operator<(const NameKey& other) const
    {
        return std::tie(minute, second, count) < std::tie(other.minute, other.second, other.count);
    }
};

bool AllDigits(const std::string& text, std::size_t from, std::size_t length)
{
    if (from + length > text.size()) {
        return false;
    }
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                       text.begin() + static_cast<std::ptrdiff_t>(from + length),
                       [](char c) { return c >= '0' && c <= '9'; });
}

int TwoDigits(const std::string& text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

// Save<YYMMDDhhmm>.dat, Save<YYMMDDhhmmss>.dat or Save<YYMMDDhhmmss>_<n>.dat
// with n from 2 and a date that can be; false for any other name.
bool ParseName(const std::string& name, NameKey& key)
{
    if (name.size() < 18) {
        return false;
    }
    const std::size_t stem = name.size() - 4;  // where ".dat" starts
    if (name.compare(0, 4, "Save") != 0 || name.compare(stem, 4, ".dat") != 0 ||
        !AllDigits(name, 4, 10)) {
        return false;
    }
    key = NameKey{name.substr(4, 10)};
    if (stem > 14) {
        if (!AllDigits(name, 14, 2)) {
            return false;
        }
        key.second = TwoDigits(name, 14);
    }
    if (stem > 16) {
        const std::size_t digits = stem - 17;
        if (name[16] != '_' || digits == 0 || digits > 4 || name[17] == '0' || !AllDigits(name, 17, digits)) {
            return false;
        }
        key.count = std::stoi(name.substr(17, digits));
        if (key.count < 2) {
            return false;
        }
    }
    const int month = TwoDigits(name, 6), day = TwoDigits(name, 8);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && TwoDigits(name, 10) < 24 &&
           TwoDigits(name, 12) < 60 && key.second < 60;
}

std::string StampOf(const NameKey& key)
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

BackupList ListBackups(const GamePaths& paths)
{
    const std::string folder = paths.BackupFolder();
    BackupList list;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        return list;
    }
    list.folderFound = true;
    std::vector<std::pair<NameKey, BackupEntry>> found;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        NameKey key;
        if (ParseName(name, key)) {
            found.push_back({key, BackupEntry{name, folder + "/" + name, StampOf(key)}});
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return b.first < a.first; });
    for (auto& [key, entry] : found) {
        entry.readable = SaveData(paths, entry.path).IsLoaded();
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

int DecksDiffering(const SaveData& a, const SaveData& b)
{
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
    return saveData.ReplaceContents(backupBytes) ? std::string() : std::string(kTextBackupUnreadable);
}
