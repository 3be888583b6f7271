// The write path's system calls for real. This program's own open (of a new
// file), fsync, ftruncate, rename, close and write stand in front of the C
// library's: they log the calls made on the save file, its folder and its
// temporary files, and can make one of them fail as a failing or full disk
// would, or interrupt reads and writes and cut them short, as a network
// folder may.
#include "savedata/SafeFile.h"
#include "savedata/SaveData.h"

#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <climits>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

struct Calls {
    bool on = false;      // only the tests here watch: others write from several threads
    std::string failing;  // the next call logged as this ("fsync Save.dat") fails with EIO
    bool choppy = false;  // reads and writes of watched files are interrupted or cut short, by turns
    int writes = 0, reads = 0;
    bool noExclusiveRename = false;  // renameat2 says RENAME_NOREPLACE is not supported
    std::vector<std::string> log;  // e.g. "rename Save.dat.tmp Save.dat"
} g_calls;

// A path's last part; a temporary file's random ending reads ".tmp".
std::string Short(const std::string& path)
{
    std::string name = path.substr(path.rfind('/') + 1);
    const std::size_t dat = name.find(".dat.");
    return dat == std::string::npos || name.substr(dat) == ".dat.lock" ? name : name.substr(0, dat) + ".dat.tmp";
}

std::string NameOf(int fd)
{
    char link[PATH_MAX];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link);
    return n > 0 ? Short(std::string(link, static_cast<std::size_t>(n))) : std::string();
}

bool Watched(const std::string& name) { return g_calls.on && (name.compare(0, 4, "Save") == 0 || name == "File"); }

// Logs a call on a watched file; true when it is to fail.
bool Fails(const std::string& call, const std::string& names)
{
    if (!Watched(names)) {
        return false;
    }
    g_calls.log.push_back(call + " " + names);
    if (g_calls.failing != g_calls.log.back()) {
        return false;
    }
    g_calls.failing.clear();
    errno = EIO;
    return true;
}

template <class Function>
Function Real(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {
int open(const char* path, int flags, ...)
{
    static const auto real = Real<int (*)(const char*, int, ...)>("open");
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    return (flags & O_CREAT) != 0 && Fails("create", Short(path)) ? -1 : real(path, flags, mode);
}
int fsync(int fd)
{
    static const auto real = Real<int (*)(int)>("fsync");
    return Fails("fsync", NameOf(fd)) ? -1 : real(fd);
}
int ftruncate(int fd, off_t length)
{
    static const auto real = Real<int (*)(int, off_t)>("ftruncate");
    return Fails("ftruncate", NameOf(fd)) ? -1 : real(fd, length);
}
int rename(const char* from, const char* to)
{
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    return Fails("rename", Short(from) + " " + Short(to)) ? -1 : real(from, to);
}
int close(int fd)
{
    static const auto real = Real<int (*)(int)>("close");
    const std::string name = NameOf(fd);
    const int result = real(fd);  // the descriptor is gone even when close reports a failure
    return Fails("close", name) ? -1 : result;
}
ssize_t write(int fd, const void* data, size_t size)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    const bool failing = g_calls.failing.compare(0, 6, "write ") == 0;
    const bool watched = (g_calls.choppy || failing) && Watched(NameOf(fd));
    if (watched && (failing ? Fails("write", NameOf(fd)) : g_calls.writes++ % 2 == 0)) {
        errno = g_calls.choppy ? EINTR : EIO;
        return -1;
    }
    return real(fd, data, watched ? std::min<size_t>(size, 100) : size);
}
int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags)
{
    static const auto real = Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    if (g_calls.noExclusiveRename && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return real(fromFolder, from, toFolder, to, flags);
}
ssize_t read(int fd, void* data, size_t size)
{
    static const auto real = Real<ssize_t (*)(int, void*, size_t)>("read");
    const bool watched = g_calls.choppy && Watched(NameOf(fd));
    if (watched && g_calls.reads++ % 2 == 0) {
        errno = EINTR;
        return -1;
    }
    return real(fd, data, watched ? std::min<size_t>(size, 100) : size);
}
}

namespace {

const std::string kCannotOpen = Sjis(u8"セーブファイルを開けないです");
const std::string kChangedByGame =
    Sjis(u8"セーブデータがゲームで書き換えられたみたいです。上書きはやめておきますね。");
using Names = std::vector<std::string>;

class WritePath : public ::testing::Test, protected GameFolder {
protected:
    WritePath() { SaveData::localTime = [] { return std::tm{0, 5, 7, 9, 2, 126, 0, 0, 0, 0, nullptr}; }; }
    ~WritePath() override
    {
        g_calls = Calls();
        g_failWriteStep = nullptr;
        SaveData::localTime = savedClock;
    }
    // Loads the game and renames its first deck, which makes the file shorter.
    SaveData& LoadAndEdit()
    {
        original = saveFile.Bytes();
        EXPECT_TRUE(Load().IsLoaded());
        data->Deck(0).SetName("x");
        g_calls.log.clear();
        g_calls.on = true;
        return *data;
    }
    // A second name for the save file, which makes it be rewritten in place.
    void SecondName() { ASSERT_EQ(::link(ws.SavePath().c_str(), (ws.Root() + "/second.dat").c_str()), 0); }
    Names FileFolder() const { return ws.List(ws.Root() + "/File"); }

    std::string original;
    std::tm (*savedClock)() = SaveData::localTime;
};

}  // namespace

TEST_F(WritePath, TheNewFileIsWrittenWholeAndSyncedBeforeItReplacesTheSaveFile)
{
    SaveData& data = LoadAndEdit();
    g_calls.choppy = true;
    EXPECT_EQ(data.Write(), "");
    EXPECT_GT(g_calls.writes, 10);  // the writes and the look at the file before them were in fact cut up
    EXPECT_GT(g_calls.reads, 10);
    // The lock is held from the first look at the file (a read) through the rename.
    EXPECT_EQ(g_calls.log, (Names{"create Save.dat.lock", "close Save.dat", "create Save.dat.tmp", "fsync Save.dat.tmp",
                                  "close Save.dat.tmp", "close Save.dat", "rename Save.dat.tmp Save.dat",
                                  "fsync File", "close File", "close Save.dat.lock"}));
    EXPECT_EQ(ws.Get(ws.SavePath()), Image(data));
}

TEST_F(WritePath, AFailedCallLeavesTheSaveFileAsItWasAndNoTemporaryFile)
{
    SaveData& data = LoadAndEdit();
    for (const char* call : {"create Save.dat.tmp", "write Save.dat.tmp", "fsync Save.dat.tmp", "close Save.dat.tmp",
                             "rename Save.dat.tmp Save.dat"}) {
        g_calls.failing = call;
        EXPECT_EQ(data.Write(), kCannotOpen) << call;
        EXPECT_EQ(g_calls.failing, "") << call << " was not reached";
        EXPECT_EQ(ws.Get(ws.SavePath()), original) << call;
        EXPECT_EQ(FileFolder(), (Names{"BackUp", "Save.dat", "Save.dat.lock"})) << call;
        EXPECT_TRUE(data.HasUnsavedChanges());
    }
    EXPECT_EQ(data.Write(), "");
    EXPECT_FALSE(data.HasUnsavedChanges());
}

TEST_F(WritePath, AFileWithASecondNameIsRewrittenInPlaceOnlyAfterABackup)
{
    // A second name for the file must keep seeing it, so it is not replaced.
    SaveData& data = LoadAndEdit();
    SecondName();
    ASSERT_EQ(::rmdir(ws.BackupDir().c_str()), 0);
    EXPECT_EQ(data.Write(), Sjis(u8"バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。"));
    EXPECT_EQ(ws.Get(ws.SavePath()), original);
    ASSERT_EQ(::mkdir(ws.BackupDir().c_str(), 0755), 0);
    g_calls.failing = "fsync Save.dat";  // after its own backup: no copy was taken at start-up
    EXPECT_EQ(data.Write(), kCannotOpen);
    EXPECT_EQ(g_calls.failing, "");
    g_calls.log.clear();
    EXPECT_EQ(data.Write(), "");  // what the broken-off write left is ours to write over
    EXPECT_EQ(g_calls.log, (Names{"create Save.dat.lock", "close Save.dat", "close Save.dat", "ftruncate Save.dat",
                                  "fsync Save.dat", "close Save.dat", "close Save.dat", "close Save.dat.lock"}));
    EXPECT_EQ(ws.Get(ws.Root() + "/second.dat"), Image(data));
    EXPECT_EQ(FileFolder(), (Names{"BackUp", "Save.dat", "Save.dat.lock"}));
    EXPECT_EQ(ws.List(ws.BackupDir()), Names{"Save2603090705.dat"});
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/Save2603090705.dat"), original);
}

TEST_F(WritePath, TheGameSavingWhileTheBackupIsTakenStopsAWriteInPlace)
{
    // Saved before SAVE: said before any backup of the game's file is taken.
    SaveData& data = LoadAndEdit();
    SecondName();
    ws.Put(ws.SavePath(), "newer progress");
    EXPECT_EQ(data.Write(), kChangedByGame);
    EXPECT_EQ(ws.List(ws.BackupDir()), Names{});
    ws.Put(ws.SavePath(), original);
    // Saved while the backup is taken.
    static std::string savePath;
    savePath = ws.SavePath();
    g_failWriteStep = [](WriteStep step) {
        if (step == WriteStep::Create) {  // the backup's own file
            std::ofstream(savePath, std::ios::binary | std::ios::trunc) << "newer progress";
        }
        return false;
    };
    EXPECT_EQ(data.Write(), kChangedByGame);
    EXPECT_EQ(ws.Get(ws.SavePath()), "newer progress");
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/" + ws.List(ws.BackupDir()).at(0)), original);
}

TEST_F(WritePath, ABackupThatCannotBeWrittenSaysWhy)
{
    SaveData& data = LoadAndEdit();
    const std::string notWritten =
        Sjis(u8"バックアップを書き込めなかったみたいです…。ディスクの空きと書き込みの権限を見てみてくださいね。");
    // A full or failing disk.
    for (const char* call : {"create Save2603090705.dat.tmp", "write Save2603090705.dat.tmp",
                             "fsync Save2603090705.dat.tmp", "close Save2603090705.dat.tmp"}) {
        g_calls.failing = call;
        EXPECT_EQ(data.MakeBackup(), notWritten) << call;
        EXPECT_EQ(g_calls.failing, "") << call << " was not reached";
        EXPECT_EQ(ws.List(ws.BackupDir()), Names{}) << call;
    }
    // A folder the player may not write (which does not stop root).
    ASSERT_EQ(::chmod(ws.BackupDir().c_str(), 0555), 0);
    EXPECT_EQ(data.MakeBackup(), ::geteuid() == 0 ? "" : notWritten);
    ASSERT_EQ(::chmod(ws.BackupDir().c_str(), 0755), 0);
    std::filesystem::remove_all(ws.BackupDir());
    EXPECT_EQ(data.MakeBackup(), Sjis(u8"バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。"));
}

// Some network folders have no exclusive rename: the backup is given its
// name through a hard link, still never over a name already taken.
TEST_F(WritePath, WithoutTheExclusiveRenameABackupIsLinkedIntoPlace)
{
    SaveData& data = LoadAndEdit();
    g_calls.noExclusiveRename = true;
    ws.Put(ws.BackupDir() + "/Save2603090705.dat", "taken");
    EXPECT_EQ(data.MakeBackup(), "");
    EXPECT_EQ(ws.List(ws.BackupDir()), (Names{"Save2603090705.dat", "Save260309070500.dat"}));
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/Save2603090705.dat"), "taken");
    EXPECT_EQ(ws.Get(ws.BackupDir() + "/Save260309070500.dat"), original);
}

TEST_F(WritePath, AReplacedFileKeepsOwnerGroupAndModeANewOneFollowsTheUmask)
{
    // As root: root's own file, one of root's with another group, and a
    // player's (a run under sudo) made read-only, which does not stop root.
    const bool root = ::geteuid() == 0;
    const struct { uid_t uid; gid_t gid; mode_t mode, mask; } cases[] = {
        {0, 0, 0640, 022}, {0, 40124, 0604, 077}, {40123, 40124, 0444, 002}};
    const mode_t savedMask = ::umask(022);
    for (const auto& c : cases) {
        SaveData& data = LoadAndEdit();
        const uid_t uid = root ? c.uid : ::getuid();
        const gid_t gid = root ? c.gid : ::getgid();
        const mode_t mode = root ? c.mode : c.mode | 0200;
        ASSERT_EQ(::chown(ws.SavePath().c_str(), uid, gid), 0);
        ASSERT_EQ(::chmod(ws.SavePath().c_str(), mode), 0);
        ::umask(c.mask);
        EXPECT_EQ(data.Write(), "");
        const struct stat st = StatOf(ws.SavePath());
        EXPECT_EQ(std::make_tuple(st.st_uid, st.st_gid, st.st_mode & 07777), std::make_tuple(uid, gid, mode));
        ::unlink(ws.SavePath().c_str());
        EXPECT_EQ(data.Overwrite(), "");
        EXPECT_EQ(StatOf(ws.SavePath()).st_mode & 07777, 0666 & ~c.mask);
    }
    ::umask(savedMask);
}

TEST_F(WritePath, ALinkLoopOrAFifoIsNeverReplaced)
{
    const std::string loop = ws.Root() + "/loop", fifo = ws.Root() + "/fifo";
    ASSERT_EQ(::symlink("loop", loop.c_str()), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(ReplaceFile(loop, {'x'}), ReplaceResult::Failed);
    EXPECT_EQ(ReplaceFile(fifo, {'x'}), ReplaceResult::Failed);
    EXPECT_EQ(std::filesystem::read_symlink(loop), "loop");
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));
}
