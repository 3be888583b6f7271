// Writing never damages the save file; the start-up backup.
#include "savedata/SafeFile.h"
#include "fileio/InputFile.h"
#include "rules/DeckRules.h"
#include "savedata/SaveData.h"

#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kCannotOpen = Sjis(u8"セーブファイルを開けないです");
const std::string kNoBackupFolder = Sjis(u8"バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。");
const std::string kChangedByGame =
    Sjis(u8"セーブデータがゲームで書き換えられたみたいです。上書きはやめておきますね。");
// The lock file beside the save file stays once made.
const std::vector<std::string> kSaveFileAlone = {"BackUp", "Save.dat", "Save.dat.lock"};

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
    void SetClock(const char* when)
    {
        g_now = std::tm {};
        ::strptime(when, "%Y-%m-%d %H:%M", &g_now);
        SaveData::localTime = [] { return g_now; };
    }
    std::vector<std::string> FileFolder() const { return ws.List(ws.Root() + "/File"); }

    std::string original;
    std::tm (*savedClock)() = SaveData::localTime;
    mode_t savedMask = ::umask(022);
};

using Backup = WriteSafety;

}  // namespace

TEST_F(WriteSafety, TheGamesNewerFileIsNeverOverwrittenUnasked)
{
    // The bytes the game writes, and what SAVE and OVERWRITE then leave, are
    // in CommandLine.SaveRefusesToOverwriteTheGamesNewerFile.
    SaveData& data = LoadGame();
    data.Deck(0).SetName("mine");
    Hook([&](WriteStep step) {
        if (step == WriteStep::Rename) {
            ws.Put(ws.SavePath(), "newer");
        }
        return false;
    });
    EXPECT_EQ(data.Write(), kChangedByGame);
    EXPECT_EQ(FileFolder(), kSaveFileAlone);
    EXPECT_TRUE(data.ChangedOnDisk());
    EXPECT_EQ(data.Overwrite(), "");
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
    // The lock file is beside the file the links lead to.
    EXPECT_EQ(FileFolder(), (std::vector<std::string>{"BackUp", "Save.dat"}));
    EXPECT_EQ(ws.List(elsewhere), (std::vector<std::string>{"hop", "real.dat", "real.dat.lock"}));
}

TEST_F(Backup, EachCopyGetsANameThatSortsByTimeAndNoCopyIsEverReplaced)
{
    // A failed copy: WritePath.ABackupThatCannotBeWrittenSaysWhy.
    SaveData& data = LoadGame();
    // Starts at the turn of a year, then in one minute and one second, some
    // after the file changed; the bytes of the newest copy, or of a copy at
    // the name that would be taken, are not copied again.
    const struct { const char* when; int second; std::string bytes, name; } starts[] = {
        {"2009-12-31 23:59", 0, original, "Save0912312359.dat"},
        {"2010-01-01 00:00", 7, original, ""},
        {"2010-01-01 00:00", 8, "after the first run", "Save1001010000.dat"},
        {"2010-01-01 00:00", 9, original, "Save100101000009.dat"},
        {"2010-01-01 00:00", 9, "after the second run", "Save100101000009_2.dat"},
        {"2010-01-01 00:00", 9, "after the third run", "Save100101000009_3.dat"},
        {"2010-01-01 00:00", 9, "after the second run", ""},
    };
    std::vector<std::string> names;
    for (const auto& start : starts) {
        ws.Put(ws.SavePath(), start.bytes);
        SetClock(start.when);
        g_now.tm_sec = start.second;
        EXPECT_EQ(data.MakeBackup(), "") << start.bytes;
        if (!start.name.empty()) {
            names.push_back(start.name);
        }
        EXPECT_EQ(ws.List(ws.BackupDir()), names) << start.bytes;
    }
    for (const auto& start : starts) {
        EXPECT_TRUE(start.name.empty() || ws.Get(ws.BackupDir() + "/" + start.name) == start.bytes) << start.name;
    }
    ::unlink(ws.SavePath().c_str());
    EXPECT_EQ(data.MakeBackup(), kCannotOpen);
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
    EXPECT_TRUE(SaveData(ws.Paths()).IsLoaded());
}

TEST_F(WriteSafety, ASaveThatCouldNotBeReadBackIsRefusedBeforeAnythingIsWritten)
{
    // A long tail: the file is exactly as large as a file read may be.
    const std::string loaded = saveFile.Bytes() + std::string(kMaxInputFileBytes - saveFile.Bytes().size(), 'T');
    ws.Put(ws.SavePath(), loaded);
    SaveData data(ws.Paths());
    ASSERT_TRUE(data.IsLoaded());
    data.Deck(0).SetName("Deck 1+");
    EXPECT_EQ(data.Write(), Sjis(u8"このままセーブするとセーブファイルが大きくなりすぎて、開けなくなっちゃうみたいです。"
                                 u8"書き込みはやめておきますね。"));
    EXPECT_EQ(ws.Get(ws.SavePath()), loaded);
    EXPECT_EQ(FileFolder(), (std::vector<std::string>{"BackUp", "Save.dat"}));
    data.Deck(0).SetName("Deck 2");  // exactly the limit again
    EXPECT_EQ(data.Write(), "");
    EXPECT_TRUE(SaveData(ws.Paths()).IsLoaded());
}

TEST_F(WriteSafety, AHeldTurnIsWaitedForABoundedTimeThenSaid)
{
    // Anyone who may read the lock file can hold it. Where something else
    // than a file stands at its name, the turn is the save file's own.
    const auto savedWait = SaveData::turnWait;
    SaveData::turnWait = std::chrono::milliseconds(200);
    for (const bool folderAtLockName : {false, true}) {
        SaveData& data = LoadGame();
        data.Deck(0).SetName("mine");
        if (folderAtLockName) {
            std::filesystem::remove(ws.SavePath() + ".lock");
            ASSERT_EQ(::mkdir((ws.SavePath() + ".lock").c_str(), 0755), 0);
        }
        const std::string held = folderAtLockName ? ws.SavePath() : ws.SavePath() + ".lock";
        const int lock = ::open(held.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_EQ(::flock(lock, LOCK_EX), 0);
        int looks = 0;
        data.whileWaitingForTurn = [&looks] { ++looks; };
        ::alarm(20);  // a wait without end would hang here
        for (auto write : {&SaveData::Write, &SaveData::Overwrite}) {
            EXPECT_EQ((data.*write)(), Sjis(u8"ほかのプログラムがセーブ中みたいです。書き込みはやめておきますね。"));
        }
        ::alarm(0);
        EXPECT_GE(looks, 2);  // the window painted while it waited
        EXPECT_EQ(ws.Get(ws.SavePath()), original);
        EXPECT_TRUE(data.HasUnsavedChanges());
        ::close(lock);
        EXPECT_EQ(data.Write(), "");
        EXPECT_EQ(ws.Get(ws.SavePath()), Image(data));
    }
    SaveData::turnWait = savedWait;
}

TEST_F(WriteSafety, TheBackupAndTheLockFileAreNoMoreReadableThanTheSaveFile)
{
    const struct { mode_t save, mask, made; } cases[] = {
        {0600, 022, 0600}, {0640, 077, 0600}, {0664, 002, 0664}, {0644, 022, 0644}, {0660, 027, 0640}};
    for (const auto& c : cases) {
        SaveData& data = LoadGame();
        std::filesystem::remove_all(ws.BackupDir());
        std::filesystem::create_directory(ws.BackupDir());
        std::filesystem::remove(ws.SavePath() + ".lock");
        ASSERT_EQ(::chmod(ws.SavePath().c_str(), c.save), 0);
        ::umask(c.mask);
        EXPECT_EQ(data.MakeBackup(), "");
        EXPECT_EQ(data.Write(), "");
        EXPECT_EQ(StatOf(ws.BackupDir() + "/Save2603090705.dat").st_mode & 07777, c.made) << std::oct << c.save;
        EXPECT_EQ(StatOf(ws.SavePath() + ".lock").st_mode & 07777, c.made) << std::oct << c.save;
    }
}

TEST_F(Backup, ALinkAtABackupNameIsNeitherFollowedNorTakenForTheCopy)
{
    // Links planted at the first two names: one to a file of the player's,
    // one to the save file itself (which holds the very bytes to be copied).
    SaveData& data = LoadGame();
    const std::string victim = ws.Root() + "/victim.txt";
    ws.Put(victim, "the player's own file");
    ASSERT_EQ(::symlink(victim.c_str(), (ws.BackupDir() + "/Save2603090705.dat").c_str()), 0);
    g_now.tm_sec = 30;
    ASSERT_EQ(::symlink(ws.SavePath().c_str(), (ws.BackupDir() + "/Save260309070530.dat").c_str()), 0);
    EXPECT_EQ(data.MakeBackup(), "");
    EXPECT_EQ(ws.Get(victim), "the player's own file");
    EXPECT_EQ(ws.List(ws.BackupDir()),
              (std::vector<std::string>{"Save2603090705.dat", "Save260309070530.dat", "Save260309070530_2.dat"}));
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/Save260309070530_2.dat"), original);
    EXPECT_FALSE(std::filesystem::is_symlink(ws.BackupDir() + "/Save260309070530_2.dat"));
}

namespace {

// Two writers of this program that loaded the same file save at the same
// moment, each with a rename of its own: one must win and the other be told
// the file has changed. Returns how many pairs lost an update (both said
// they had saved, or the file holds neither or a loser's bytes). The writers
// are threads: each opens the lock file for itself, and such locks exclude
// each other within a process as between processes.
int LostUpdates(Workspace& ws, const std::string& original, int pairs)
{
    int lost = 0;
    for (int pair = 0; pair < pairs; ++pair) {
        ws.Put(ws.SavePath(), original);
        std::unique_ptr<SaveData> data[2] = {std::make_unique<SaveData>(ws.Paths()), std::make_unique<SaveData>(ws.Paths())};
        std::string outcome[2];
        std::atomic<int> waiting{2};
        auto write = [&](int w) {
            data[w]->Deck(w).SetName(w == 0 ? "first" : "second");
            for (--waiting; waiting > 0;) {
            }
            outcome[w] = data[w]->Write();
        };
        std::thread first(write, 0);
        write(1);
        first.join();
        const int winner = outcome[0].empty() ? 0 : 1;
        // The winner's rename is in the file, the loser's is not.
        const std::string written = ws.Get(ws.SavePath());
        lost += !outcome[winner].empty() || outcome[1 - winner] != kChangedByGame ||
                FileLines(written, 30, 31) != (winner == 0 ? "first\r\n" : "Deck 1\r\n") ||
                FileLines(written, 32, 33) != (winner == 1 ? "second\r\n" : "Deck 2\r\n");
    }
    return lost;
}

}  // namespace

TEST_F(WriteSafety, TwoWritersAtOnceNeverLoseAnUpdate)
{
    LoadGame();
    EXPECT_EQ(LostUpdates(ws, original, 400), 0);
}

TEST_F(WriteSafety, AWriterKilledInItsTurnNeverBlocksTheNext)
{
    SaveData& data = LoadGame();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t killed = ::fork();
    if (killed == 0) {
        // Stops for good while its temporary file is being written, and
        // goes with the test should the test end first (a time limit).
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        static int signal;
        signal = ready[1];
        g_failWriteStep = [](WriteStep step) {
            if (step == WriteStep::Write) {
                ::write(signal, "x", 1);
                ::pause();
            }
            return false;
        };
        data.Deck(0).SetName("killed");
        data.Write();
        ::_exit(0);
    }
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    // While it lives, its turn is held.
    const int lock = ::open((ws.SavePath() + ".lock").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lock, 0);
    EXPECT_NE(::flock(lock, LOCK_EX | LOCK_NB), 0);
    ::close(lock);
    ::kill(killed, SIGKILL);
    ::waitpid(killed, nullptr, 0);

    ::alarm(20);  // a lock that outlived its process would hang here
    data.Deck(1).SetName("next");
    EXPECT_EQ(data.Write(), "");
    ::alarm(0);
    EXPECT_EQ(ws.Get(ws.SavePath()), Image(data));
    EXPECT_EQ(data.Deck(0).Name(), "Deck 1");
}
