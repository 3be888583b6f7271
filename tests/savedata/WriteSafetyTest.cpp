// Writing never damages the save file; the start-up backup.
#include "savedata/SafeFile.h"
#include "rules/DeckRules.h"
#include "savedata/SaveData.h"

#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

WriteStep g_stepToFail;
int g_injected = 0;

bool FailChosenStep(WriteStep step)
{
    if (step != g_stepToFail) {
        return false;
    }
    ++g_injected;
    return true;
}

struct HookGuard {
    ~HookGuard() { g_failWriteStep = nullptr; }
};

std::tm g_now {};
std::tm FixedNow() { return g_now; }

struct ClockGuard {
    ClockGuard(int year, int month, int day, int hour, int minute)
    {
        g_now = std::tm {};
        g_now.tm_year = year - 1900;
        g_now.tm_mon = month - 1;
        g_now.tm_mday = day;
        g_now.tm_hour = hour;
        g_now.tm_min = minute;
        g_now.tm_sec = 42;
        SaveData::localTime = &FixedNow;
    }
    ~ClockGuard() { SaveData::localTime = saved; }
    std::tm (*saved)() = SaveData::localTime;
};

const std::string kCannotOpen = Sjis(u8"セーブファイルを開けないです");
}  // namespace

TEST(WriteSafety, AFailureAtAnyStepLeavesTheSaveFileAsItWas)
{
    HookGuard guard;
    Workspace ws;
    SaveFileBuilder saveFile;
    const std::string original = saveFile.Bytes();
    ws.Put(ws.SavePath(), original);
    SaveData data;
    ASSERT_TRUE(data.IsLoaded());
    data.Deck(0).SetName("renamed");
    for (WriteStep step : {WriteStep::Create, WriteStep::Write, WriteStep::Sync, WriteStep::Close, WriteStep::Rename}) {
        g_stepToFail = step;
        g_injected = 0;
        g_failWriteStep = &FailChosenStep;
        EXPECT_EQ(data.Write(), kCannotOpen) << static_cast<int>(step);
        EXPECT_EQ(g_injected, 1) << "the failure was not reached";
        EXPECT_EQ(ws.Get(ws.SavePath()), original);
        EXPECT_EQ(ws.List(ws.Root() + "/File"), (std::vector<std::string>{"BackUp", "Save.dat"}));
        EXPECT_TRUE(data.HasUnsavedChanges());
    }
    g_failWriteStep = nullptr;
    EXPECT_EQ(data.Write(), "");
    EXPECT_NE(ws.Get(ws.SavePath()), original);
    EXPECT_EQ(ws.Get(ws.SavePath()), Image(data));
    EXPECT_FALSE(data.HasUnsavedChanges());
}

TEST(WriteSafety, AFullDiskLeavesTheSaveFileAsItWas)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting a small filesystem needs root";
    }
    Workspace ws;
    const std::string folder = ws.Root() + "/File";
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount tmpfs here";
    }
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{folder};

    SaveFileBuilder saveFile;
    const std::string original = saveFile.Bytes();
    ws.Put(ws.SavePath(), original);
    SaveData data;
    ASSERT_TRUE(data.IsLoaded());
    data.Deck(7).SetName("full disk");

    // Fill what is left of the filesystem.
    const std::string filler = folder + "/filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const std::string block(512, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ASSERT_EQ(errno, ENOSPC);
    ::close(fd);

    EXPECT_EQ(data.Write(), kCannotOpen);
    EXPECT_EQ(ws.Get(ws.SavePath()), original);
    EXPECT_EQ(ws.List(folder), (std::vector<std::string>{"Save.dat", "filler"}));

    ::unlink(filler.c_str());
    EXPECT_EQ(data.Write(), "");
    EXPECT_EQ(ws.Get(ws.SavePath()), Image(data));
}

TEST(WriteSafety, TheGamesNewerFileIsNeverOverwrittenUnasked)
{
    HookGuard guard;
    Workspace ws;
    SaveFileBuilder game;
    ws.Put(ws.SavePath(), game.Bytes());
    SaveData data;
    ASSERT_TRUE(data.IsLoaded());
    data.Deck(0).SetName("mine");
    game.stock[0] = 42;
    const std::string changedByGame =
        Sjis(u8"セーブデータがゲームで書き換えられたみたいです。上書きはやめておきますね。");

    // The game saves before SAVE, or while the temporary file is written.
    static Workspace* g_ws;
    static std::string g_gameBytes;
    g_ws = &ws;
    g_gameBytes = game.Bytes();
    for (const bool whileWriting : {false, true}) {
        ws.Put(ws.SavePath(), std::string(data.KnownFileBytes().begin(), data.KnownFileBytes().end()));
        if (whileWriting) {
            g_failWriteStep = [](WriteStep step) {
                if (step == WriteStep::Rename) {
                    g_ws->Put(g_ws->SavePath(), g_gameBytes);
                }
                return false;
            };
        } else {
            ws.Put(ws.SavePath(), g_gameBytes);
        }
        EXPECT_TRUE(data.ChangedOnDisk() != whileWriting);
        EXPECT_EQ(data.Write(), changedByGame) << whileWriting;
        EXPECT_EQ(ws.Get(ws.SavePath()), g_gameBytes);
        EXPECT_EQ(ws.List(ws.Root() + "/File"), (std::vector<std::string>{"BackUp", "Save.dat"}));
        EXPECT_EQ(data.Overwrite(), "");  // the player agreed
        EXPECT_EQ(ws.Get(ws.SavePath()), Image(data));
        EXPECT_FALSE(data.ChangedOnDisk());  // what we wrote ourselves is known
        g_failWriteStep = nullptr;
    }
    ::unlink(ws.SavePath().c_str());
    EXPECT_TRUE(data.ChangedOnDisk());
    EXPECT_EQ(data.Write(), changedByGame);
    EXPECT_FALSE(ws.Exists(ws.SavePath()));
}

TEST(WriteSafety, ALinkedSaveFileIsWrittenWhereItLeads)
{
    // A save in a Wine prefix or a synced folder, linked to from File/:
    // directly, or through a relative link to a relative link.
    for (const bool twoHops : {false, true}) {
        Workspace ws;
        const std::string elsewhere = ws.Root() + "/Elsewhere";
        ASSERT_EQ(::mkdir(elsewhere.c_str(), 0755), 0);
        const std::string real = elsewhere + "/real.dat";
        std::vector<std::pair<std::string, std::string>> links = {{ws.SavePath(), real}};
        if (twoHops) {
            links = {{ws.SavePath(), "../Elsewhere/hop"}, {elsewhere + "/hop", "real.dat"}};
        }
        for (const auto& [path, to] : links) {
            ASSERT_EQ(::symlink(to.c_str(), path.c_str()), 0);
        }
        ws.Put(real, SaveFileBuilder().Bytes());
        SaveData data;
        ASSERT_TRUE(data.IsLoaded());
        data.Deck(3).SetName("linked");
        EXPECT_EQ(data.Write(), "");
        EXPECT_EQ(ws.Get(real), Image(data));
        for (const auto& [path, to] : links) {
            char buffer[4096] = {};
            EXPECT_GT(::readlink(path.c_str(), buffer, sizeof buffer - 1), 0);
            EXPECT_EQ(buffer, to);
        }
        EXPECT_EQ(ws.List(ws.Root() + "/File"), (std::vector<std::string>{"BackUp", "Save.dat"}));
        EXPECT_EQ(ws.List(elsewhere).size(), links.size());
    }
}

namespace {
struct Mode {
    ~Mode() { ::umask(saved); }
    mode_t saved = ::umask(022);
};
}  // namespace

TEST(WriteSafety, NewFilesFollowTheUmaskAndAReplacedFileKeepsItsMode)
{
    Mode restore;
    ClockGuard clock(2026, 3, 9, 7, 5);
    for (const mode_t mask : {022, 077, 002}) {
        Workspace ws;
        ws.Put(ws.SavePath(), SaveFileBuilder().Bytes());
        ASSERT_EQ(::chmod(ws.SavePath().c_str(), 0604), 0);
        SaveData data;
        ::umask(mask);
        EXPECT_EQ(data.MakeBackup(), "");
        EXPECT_EQ(StatOf(ws.BackupDir() + "/Save2603090705.dat").st_mode & 07777, 0666 & ~mask) << mask;
        data.Deck(0).SetName("umask");
        EXPECT_EQ(data.Write(), "");
        EXPECT_EQ(StatOf(ws.SavePath()).st_mode & 07777, 0604u);
        ::unlink(ws.SavePath().c_str());
        EXPECT_EQ(data.Overwrite(), "");
        EXPECT_EQ(StatOf(ws.SavePath()).st_mode & 07777, 0666 & ~mask);
        EXPECT_EQ(ws.Get(ws.SavePath()), Image(data));
    }
}

TEST(WriteSafety, OwnerGroupAndModeAreKept)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving files to a second user needs root";
    }
    Workspace ws;
    ws.Put(ws.SavePath(), SaveFileBuilder().Bytes());
    SaveData data;
    ASSERT_TRUE(data.IsLoaded());
    // A player's file saved by root (a run under sudo); and read-only, which
    // does not stop root, as it would not stop the game run as root.
    for (const mode_t mode : {0640, 0444}) {
        ASSERT_EQ(::chown(ws.SavePath().c_str(), 40123, 40124), 0);
        ASSERT_EQ(::chmod(ws.SavePath().c_str(), mode), 0);
        data.Deck(1).SetName(std::to_string(mode));
        EXPECT_EQ(data.Write(), "");
        const struct stat st = StatOf(ws.SavePath());
        EXPECT_EQ(st.st_uid, 40123u);
        EXPECT_EQ(st.st_gid, 40124u);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(ws.Get(ws.SavePath()), Image(data));
    }
}

TEST(WriteSafety, AFileWithASecondNameIsRewrittenInPlaceOnlyAfterABackup)
{
    // A second name for the file must keep seeing it, so it is not replaced.
    HookGuard guard;
    Workspace ws(false);
    const std::string original = SaveFileBuilder().Bytes();
    ws.Put(ws.SavePath(), original);
    const std::string other = ws.Root() + "/second-name.dat";
    ASSERT_EQ(::link(ws.SavePath().c_str(), other.c_str()), 0);
    SaveData data;
    ASSERT_TRUE(data.IsLoaded());
    data.Deck(1).SetName("in place");
    EXPECT_EQ(data.Write(), Sjis(u8"バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。"));
    EXPECT_EQ(ws.Get(other), original);

    ASSERT_EQ(::mkdir(ws.BackupDir().c_str(), 0755), 0);
    ASSERT_EQ(data.MakeBackup(), "");  // as at start-up
    g_stepToFail = WriteStep::Sync;
    g_injected = 0;
    g_failWriteStep = &FailChosenStep;
    EXPECT_EQ(data.Write(), kCannotOpen);
    EXPECT_EQ(g_injected, 1);
    g_failWriteStep = nullptr;
    ASSERT_EQ(ws.List(ws.BackupDir()).size(), 1u);
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/" + ws.List(ws.BackupDir())[0]), original);

    EXPECT_EQ(data.Write(), "");
    EXPECT_EQ(ws.Get(other), Image(data));
    EXPECT_EQ(StatOf(ws.SavePath()).st_nlink, 2u);
    EXPECT_EQ(ws.List(ws.Root() + "/File"), (std::vector<std::string>{"BackUp", "Save.dat"}));
}

TEST(Backup, CopiesTheFileUnderTheMinuteItWasTaken)
{
    Workspace ws;
    const std::string original = SaveFileBuilder().Bytes();
    ws.Put(ws.SavePath(), original);
    SaveData data;
    {
        ClockGuard clock(2009, 12, 31, 23, 59);
        EXPECT_EQ(data.MakeBackup(), "");
    }
    {
        ClockGuard clock(2010, 1, 1, 0, 0);
        EXPECT_EQ(data.MakeBackup(), "");
        ws.Put(ws.SavePath(), "changed since");
        EXPECT_EQ(data.MakeBackup(), "");  // the same minute replaces the earlier copy
    }
    EXPECT_EQ(ws.List(ws.BackupDir()), (std::vector<std::string>{"Save0912312359.dat", "Save1001010000.dat"}));
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/Save0912312359.dat"), original);
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/Save1001010000.dat"), "changed since");
}

TEST(Backup, FailuresAreReportedAndLeaveNoPartialCopy)
{
    HookGuard guard;
    ClockGuard clock(2026, 3, 9, 7, 5);
    const std::string noFolder = Sjis(u8"バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。");
    {
        Workspace ws(false);
        ws.Put(ws.SavePath(), SaveFileBuilder().Bytes());
        SaveData data;
        EXPECT_EQ(data.MakeBackup(), noFolder);
        EXPECT_EQ(ws.List(ws.Root() + "/File"), (std::vector<std::string>{"Save.dat"}));
    }
    Workspace ws;
    ws.Put(ws.SavePath(), SaveFileBuilder().Bytes());
    SaveData data;
    g_stepToFail = WriteStep::Write;
    g_injected = 0;
    g_failWriteStep = &FailChosenStep;
    EXPECT_EQ(data.MakeBackup(), noFolder);
    EXPECT_EQ(g_injected, 1);
    EXPECT_TRUE(ws.List(ws.BackupDir()).empty());
    g_failWriteStep = nullptr;
    ::unlink(ws.SavePath().c_str());
    EXPECT_EQ(data.MakeBackup(), kCannotOpen);
    EXPECT_TRUE(ws.List(ws.BackupDir()).empty());
}

TEST(WriteSafety, ANumberThatWouldSpellALineBreakIsNeverWritten)
{
    // The game keeps a byte after each stock count and after the active slot;
    // a count of 13 before a kept 10 would end the line early.
    Workspace ws;
    SaveFileBuilder saveFile;
    saveFile.stock[4] = 12;
    saveFile.stockSecond[4] = '\n';
    saveFile.Add(1, 5, 1);
    saveFile.activeSecond = '\n';
    saveFile.Fill(13, 100);
    saveFile.Fill(0, 300);
    saveFile.active = 0;
    const std::string original = saveFile.Bytes();
    ws.Put(ws.SavePath(), original);
    const std::string refused =
        Sjis(u8"このままセーブするとセーブファイルが壊れちゃうみたいです。書き込みはやめておきますね。");

    SaveData data;
    ASSERT_TRUE(data.IsLoaded());
    ASSERT_EQ(data.DeleteDeck(1), "");  // card 5 back: its count becomes 13
    EXPECT_EQ(data.Write(), refused);
    EXPECT_EQ(ws.Get(ws.SavePath()), original);
    ASSERT_TRUE(data.TakeFromStock(4));
    EXPECT_EQ(data.Write(), "");

    ASSERT_EQ(StoreDeck(data, 13, "0"), "");  // the active slot becomes 13
    EXPECT_EQ(data.Write(), refused);
    data.SetActiveDeck(0);
    EXPECT_EQ(data.Write(), "");
    SaveData again;
    EXPECT_TRUE(again.IsLoaded());
}
