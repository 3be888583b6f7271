// Writing never damages the save file; the start-up backup.
#include "savedata/SafeFile.h"
#include "rules/DeckRules.h"
#include "savedata/SaveData.h"

#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kCannotOpen = Sjis(u8"セーブファイルを開けないです");
const std::string kNoBackupFolder = Sjis(u8"バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。");
const std::string kChangedByGame =
    Sjis(u8"セーブデータがゲームで書き換えられたみたいです。上書きはやめておきますね。");
const std::vector<std::string> kSaveFileAlone = {"BackUp", "Save.dat"};

std::function<bool(WriteStep)> g_hook;
std::tm g_now {};

// A game folder whose save file is loaded by LoadGame. The clock stands at
// 2026-03-09 07:05 unless a test sets it; the write hook, the clock and the
// umask are put back after each test.
class WriteSafety : public ::testing::Test, protected GameFolder {
protected:
    WriteSafety() { SetClock("2026-03-09 07:05"); }
    ~WriteSafety() override
    {
        g_failWriteStep = nullptr;
        g_hook = nullptr;
        SaveData::localTime = savedClock;
        ::umask(savedMask);
    }

    SaveData& LoadGame()
    {
        original = saveFile.Bytes();
        EXPECT_TRUE(Load().IsLoaded());
        return *data;
    }
    // Called before each write step; true makes that step fail.
    void Hook(std::function<bool(WriteStep)> hook)
    {
        g_hook = std::move(hook);
        g_failWriteStep = [](WriteStep step) { return g_hook(step); };
    }
    void FailAt(WriteStep failing)
    {
        injected = 0;
        Hook([this, failing](WriteStep step) {
            injected += step == failing;
            return step == failing;
        });
    }
    void SetClock(const char* when)
    {
        g_now = std::tm {};
        ::strptime(when, "%Y-%m-%d %H:%M", &g_now);
        SaveData::localTime = [] { return g_now; };
    }
    std::vector<std::string> FileFolder() const { return ws.List(ws.Root() + "/File"); }

    std::string original;
    int injected = 0;
    std::tm (*savedClock)() = SaveData::localTime;
    mode_t savedMask = ::umask(022);
};

using Backup = WriteSafety;

}  // namespace

TEST_F(WriteSafety, TheGamesNewerFileIsNeverOverwrittenUnasked)
{
    // The game saving before SAVE is in CommandLine.SaveRefusesToOverwriteTheGamesNewerFile
    // and the end-to-end tests; here it saves while the temporary file is written.
    SaveData& data = LoadGame();
    data.Deck(0).SetName("mine");
    SaveFileBuilder game = saveFile;
    game.stock[0] = 42;
    const std::string newer = game.Bytes();
    Hook([&](WriteStep step) {
        if (step == WriteStep::Rename) {
            ws.Put(ws.SavePath(), newer);
        }
        return false;
    });
    EXPECT_EQ(data.Write(), kChangedByGame);
    EXPECT_EQ(ws.Get(ws.SavePath()), newer);
    EXPECT_EQ(FileFolder(), kSaveFileAlone);
    EXPECT_TRUE(data.ChangedOnDisk());
    EXPECT_EQ(data.Overwrite(), "");  // the player agreed
    EXPECT_EQ(ws.Get(ws.SavePath()), Image(data));
    EXPECT_FALSE(data.ChangedOnDisk());  // what we wrote ourselves is known

    g_failWriteStep = nullptr;
    ::unlink(ws.SavePath().c_str());
    EXPECT_TRUE(data.ChangedOnDisk());
    EXPECT_EQ(data.Write(), kChangedByGame);
    EXPECT_FALSE(ws.Exists(ws.SavePath()));
}

TEST_F(WriteSafety, ALinkedSaveFileIsWrittenWhereItLeads)
{
    // A save in a Wine prefix or a synced folder, linked to from File/; here
    // through an absolute link to a link relative to its own folder.
    const std::string elsewhere = ws.Root() + "/Elsewhere";
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0755), 0);
    const std::pair<std::string, std::string> links[] = {{ws.SavePath(), elsewhere + "/hop"},
                                                         {elsewhere + "/hop", "real.dat"}};
    for (const auto& [path, to] : links) {
        ASSERT_EQ(::symlink(to.c_str(), path.c_str()), 0);
    }
    SaveData& data = LoadGame();
    data.Deck(3).SetName("linked");
    EXPECT_EQ(data.Write(), "");
    EXPECT_EQ(ws.Get(elsewhere + "/real.dat"), Image(data));
    for (const auto& [path, to] : links) {
        EXPECT_EQ(std::filesystem::read_symlink(path).string(), to);
    }
    EXPECT_EQ(FileFolder(), kSaveFileAlone);
    EXPECT_EQ(ws.List(elsewhere), (std::vector<std::string>{"hop", "real.dat"}));
}

TEST_F(Backup, CopiesTheFileUnderTheMinuteItWasTakenOrReportsWhyNot)
{
    // A missing folder: see WritePath.AFileWithASecondNameIsRewrittenInPlaceOnlyAfterABackup.
    SaveData& data = LoadGame();
    FailAt(WriteStep::Write);
    EXPECT_EQ(data.MakeBackup(), kNoBackupFolder);
    EXPECT_EQ(injected, 1);
    EXPECT_TRUE(ws.List(ws.BackupDir()).empty());  // no partial copy
    g_failWriteStep = nullptr;

    SetClock("2009-12-31 23:59");
    EXPECT_EQ(data.MakeBackup(), "");
    SetClock("2010-01-01 00:00");
    EXPECT_EQ(data.MakeBackup(), "");
    ws.Put(ws.SavePath(), "changed since");
    EXPECT_EQ(data.MakeBackup(), "");  // the same minute replaces the earlier copy
    ::unlink(ws.SavePath().c_str());
    EXPECT_EQ(data.MakeBackup(), kCannotOpen);
    EXPECT_EQ(ws.List(ws.BackupDir()), (std::vector<std::string>{"Save0912312359.dat", "Save1001010000.dat"}));
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/Save0912312359.dat"), original);
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/Save1001010000.dat"), "changed since");
}

TEST_F(WriteSafety, ANumberThatWouldSpellALineBreakIsNeverWritten)
{
    // The game keeps a byte after each stock count and after the active slot;
    // a count of 13 before a kept 10 would end the line early.
    saveFile.stock[4] = 12;
    saveFile.stockSecond[4] = '\n';
    saveFile.Add(1, 5, 1);
    saveFile.activeSecond = '\n';
    saveFile.Fill(13, 100);
    saveFile.Fill(0, 300);
    saveFile.active = 0;
    SaveData& data = LoadGame();
    const std::string refused =
        Sjis(u8"このままセーブするとセーブファイルが壊れちゃうみたいです。書き込みはやめておきますね。");

    ASSERT_EQ(data.DeleteDeck(1), "");  // card 5 back: its count becomes 13
    EXPECT_EQ(data.Write(), refused);
    EXPECT_EQ(ws.Get(ws.SavePath()), original);
    ASSERT_TRUE(data.TakeFromStock(4));
    EXPECT_EQ(data.Write(), "");

    ASSERT_EQ(StoreDeck(data, 13, "0"), "");  // the active slot becomes 13
    EXPECT_EQ(data.Write(), refused);
    data.SetActiveDeck(0);
    EXPECT_EQ(data.Write(), "");
    EXPECT_TRUE(SaveData().IsLoaded());
}
