// What stands at the save file's name is read only when it is a regular file
// of sane size: a FIFO, a device or a huge file is refused at once.
#include "fileio/InputFile.h"
#include "savedata/SaveData.h"

#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class InputFiles : public ::testing::Test, protected GameFolder {};

}  // namespace

TEST_F(InputFiles, TheSaveFileAndItsBackupsAreReadOnlyWhenRegularAndOfSaneSize)
{
    const std::string good = saveFile.Bytes();
    const std::string other = ws.Root() + "/File/other.dat";
    const struct { const char* what; std::function<void(const std::string&)> make; bool loads; } cases[] = {
        {"a FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, false},
        {"a folder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0755), 0); }, false},
        {"a link to /dev/zero", [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); }, false},
        // Sparse files: the save file followed by zero bytes.
        {"over 2 GiB", [&](const std::string& p) { ws.Put(p, good), ::truncate(p.c_str(), 2148000000); }, false},
        {"one byte over the limit",
         [&](const std::string& p) { ws.Put(p, good), ::truncate(p.c_str(), kMaxInputFileBytes + 1); }, false},
        {"right at the limit",
         [&](const std::string& p) { ws.Put(p, good), ::truncate(p.c_str(), kMaxInputFileBytes); }, true},
    };
    for (const auto& c : cases) {
        for (const std::string& path : {ws.SavePath(), other}) {
            ::unlink(path.c_str());
            ::rmdir(path.c_str());
            c.make(path);
        }
        const auto start = std::chrono::steady_clock::now();
        SaveData data(ws.Paths());
        EXPECT_EQ(data.IsLoaded(), c.loads) << c.what;
        EXPECT_EQ(SaveData(ws.Paths(), other).IsLoaded(), c.loads) << c.what;
        EXPECT_EQ(data.MakeBackup(), c.loads ? "" : Sjis(u8"セーブファイルを開けないです")) << c.what;
        // Refused without reading: 2 GiB would take minutes.
        EXPECT_TRUE(c.loads || std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) << c.what;
    }
}
