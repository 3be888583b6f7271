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

TEST(WriteSafety, TheGameRewritingTheFileIsNoticed)
{
    Workspace ws;
    SaveFileBuilder saveFile;
    ws.Put(ws.SavePath(), saveFile.Bytes());
    SaveData data;
    ASSERT_TRUE(data.IsLoaded());
    EXPECT_FALSE(data.ChangedOnDisk());
    saveFile.stock[0] = 42;
    ws.Put(ws.SavePath(), saveFile.Bytes());
    EXPECT_TRUE(data.ChangedOnDisk());
    ASSERT_EQ(data.Write(), "");
    EXPECT_FALSE(data.ChangedOnDisk());  // what we wrote ourselves is known
    ::unlink(ws.SavePath().c_str());
    EXPECT_TRUE(data.ChangedOnDisk());
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
