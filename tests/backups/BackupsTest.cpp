// The backups: which files count, their order and dates, and restoring from
// them by the deck rules against the stock as it is now.
#include "backups/Backups.h"

#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::string Short(int number) { return "Card" + std::to_string(number) + Sjis(u8" が足りないみたいです\n"); }

}  // namespace

TEST(Backups, OnlyTheEditorsNamesAreListedNewestFirstAndUnreadableOnesMarked)
{
    // First a folder with no backup in it (a missing folder: tests/cli and tests/app).
    GameFolder game;
    game.ws.Put(game.ws.BackupDir() + "/notes.txt", "");
    EXPECT_EQ(EmptyListReason(ListBackups(game.ws.Paths())), Sjis(u8"バックアップはまだ一つも無いみたいです。"));
    const std::string good = game.saveFile.Bytes();
    for (const char* name : {"Save2612081031.dat", "Save261208103105_3.dat", "Save261208103105.dat",
                             "Save261208103105_2.dat", "Save2612081030.dat", "Save2612081031_2.dat",
                             "Save261208103105_1.dat", "Save261208103105_02.dat", "Save261208103105_2x.dat", "Save261208103105_1000.dat", "Save261208103105_10000.dat", "Save2613081031.dat",
                             "Save2612082460.dat", "Save2612082360.dat", "Save2600081031.dat", "Save2612001031.dat", "Save261208103109.dat", "Save261208103.dat", "save2612081031.dat", "Save2612081031.txt",
                             "Save2612081031.dat.tmp", "Save26120810311.dat", "Save2612320000.dat", "Save2612310000.dat", "Save2701010000.dat"}) {
        game.ws.Put(game.ws.BackupDir() + "/" + name, good);
    }
    game.ws.Put(game.ws.BackupDir() + "/Save2612071200.dat", "not a save file");
    ASSERT_EQ(::mkdir((game.ws.BackupDir() + "/Save2612061200.dat").c_str(), 0755), 0);

    const BackupList list = ListBackups(game.ws.Paths());
    EXPECT_TRUE(list.folderFound);
    std::vector<std::string> shown;
    for (const BackupEntry& e : list.entries) {
        EXPECT_EQ(e.path, game.ws.Paths().BackupFolder() + "/" + e.fileName);
        shown.push_back(e.fileName + " " + e.stamp + (e.readable ? "" : " unreadable"));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "Save2701010000.dat 2027/01/01 00:00",
                         "Save2612310000.dat 2026/12/31 00:00",
                         "Save261208103109.dat 2026/12/08 10:31:09",
                         "Save261208103105_1000.dat 2026/12/08 10:31:05 (1000)",
                         "Save261208103105_3.dat 2026/12/08 10:31:05 (3)",
                         "Save261208103105_2.dat 2026/12/08 10:31:05 (2)",
                         "Save261208103105.dat 2026/12/08 10:31:05",
                         "Save2612081031.dat 2026/12/08 10:31",
                         "Save2612081030.dat 2026/12/08 10:30",
                         "Save2612071200.dat 2026/12/07 12:00 unreadable",
                         "Save2612061200.dat 2026/12/06 12:00 unreadable",
                     }));
    EXPECT_EQ(EmptyListReason(list), "");
}

// The backup's deck goes in by the rules of 編集: the slot's own cards go back
// to the stock first, and only what the stock then holds comes out.
TEST(Backups, RestoreDeckTakesOnlyWhatTheStockHoldsNow)
{
    // held, stock: copies of card 10 in the slot and the stock now; card11: in the backup.
    const struct { const char* what; int slot, backupSlot, held, stock, card11; std::string complaints;
                   int copiesAfter, stockAfter, activeAfter; } cases[] = {
        {"everything fits: the deck becomes the active deck", 2, 2, 1, 2, 0, "", 3, 0, 2},
        {"the slot's own copy counts", 2, 2, 1, 1, 0, Short(10), 2, 0, 0},
        {"a stock too small for the backup's deck", 2, 2, 0, 1, 1, Short(10) + Short(11), 1, 0, 0},
        {"another slot of the backup", 4, 2, 0, 3, 0, "", 3, 0, 4},
        {"a training deck takes no stock", 51, 2, 0, 0, 0, "", 3, 0, 51},
    };
    for (const auto& c : cases) {
        GameFolder game;
        game.saveFile.stock[10 - 1] = static_cast<std::uint8_t>(c.stock);
        game.saveFile.stock[11 - 1] = 0;
        game.saveFile.Add(c.slot, 10, c.held);
        game.saveFile.Add(c.slot, 12);  // not in the backup's deck: back to the stock
        game.saveFile.stock[12 - 1] = 0;
        SaveFileBuilder old = game.saveFile;
        old.cards[c.slot].clear();
        old.Add(c.backupSlot, 10, 3);
        old.Add(c.backupSlot, 11, c.card11);
        old.names[c.backupSlot] = Sjis(u8"先週のデッキ");
        game.ws.Put("old.dat", old.Bytes());
        SaveData& data = game.Load();
        const SaveData backup(game.ws.Paths(), game.ws.WorkDir() + "/old.dat");
        ASSERT_TRUE(backup.IsLoaded());

        EXPECT_EQ(RestoreDeck(data, c.slot, backup, c.backupSlot), c.complaints) << c.what;
        EXPECT_EQ(data.Deck(c.slot).Counts()[10 - 1], c.copiesAfter) << c.what;
        EXPECT_EQ(data.Stock(10 - 1), c.stockAfter) << c.what;
        EXPECT_EQ(data.Deck(c.slot).Counts()[12 - 1], 0) << c.what;
        EXPECT_EQ(data.Deck(c.slot).Name(), Sjis(u8"先週のデッキ")) << c.what;
        EXPECT_EQ(data.ActiveDeck(), c.activeAfter) << c.what;
    }
}

// A backup with a line break gone, or cut short, loads by the save file's
// tolerance but would bring back shifted or missing decks.
TEST(Backups, OnlyAWholeBackupIsListedAsReadableOrRestoredFrom)
{
    GameFolder game;
    SaveFileBuilder old = game.saveFile;
    old.names[1] = "Older";
    const std::string whole = old.Bytes();
    const std::string lines35 = FileLines(whole, 0, 36);
    const std::string broken[] = {lines35.substr(0, lines35.size() - 2) + FileLines(whole, 36, 200),
                                  whole.substr(0, 3000)};
    game.ws.Put(game.ws.BackupDir() + "/Save2612011200.dat", whole);
    game.ws.Put(game.ws.BackupDir() + "/Save2612021200.dat", broken[0]);
    game.ws.Put(game.ws.BackupDir() + "/Save2612031200.dat", broken[1]);
    SaveData& data = game.Load();
    const std::string before = Image(data);

    std::vector<std::string> shown;
    for (const BackupEntry& e : ListBackups(game.ws.Paths(), &data).entries) {
        shown.push_back(e.fileName + " " + (e.readable ? std::to_string(e.decksDiffering) : "unreadable"));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Save2612031200.dat unreadable", "Save2612021200.dat unreadable",
                                               "Save2612011200.dat 1"}));
    for (const char* name : {"Save2612021200.dat", "Save2612031200.dat"}) {
        const std::string path = BackupPath(game.ws.Paths(), name);
        EXPECT_EQ(OpenBackup(game.ws.Paths(), path), nullptr) << name;
        const SaveData backup(game.ws.Paths(), path);
        ASSERT_TRUE(backup.IsLoaded()) << name;
        EXPECT_EQ(RestoreDeck(data, 1, backup, 1), kTextBackupUnreadable) << name;
        EXPECT_EQ(RestoreAll(data, backup.KnownFileBytes()), kTextBackupUnreadable) << name;
        EXPECT_EQ(Image(data), before) << name;
    }
    // A backup that went while the list was read.
    EXPECT_EQ(DecksDiffering(data, SaveData(game.ws.Paths(), "gone.dat")), -1);
}
