// The demo folder that make-demo lays out: it loads and writes back byte for
// byte, and a player's save file is never overwritten without --force.
#include "savedata/SaveData.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

const std::string kDataDir = DECKEDITOR_DATA_DIR;

// Runs make-demo; its output goes to the test's log.
int RunMakeDemo(const std::string& arguments)
{
    const int status = std::system((ShellQuoted(MAKE_DEMO) + " " + arguments).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(MakeDemo, LaysOutAGameFolderThatLoadsAndWritesBackByteForByte)
{
    Workspace ws;
    const std::string demo = ws.Root() + "/demo";
    ASSERT_EQ(RunMakeDemo(ShellQuoted(demo)), 0);
    EXPECT_EQ(ws.List(demo + "/File"), (std::vector<std::string>{"BackUp", "Save.dat"}));
    EXPECT_TRUE(ws.List(demo + "/File/BackUp").empty());
    EXPECT_EQ(ReadFileBytes(demo + "/DeckEditor/list.xml"), ReadFileBytes(kDataDir + "/list.xml"));
    EXPECT_EQ(ReadFileBytes(demo + "/DeckEditor/deckmaker.htm"), ReadFileBytes(kDataDir + "/deckmaker.htm"));

    const std::string fresh = ReadFileBytes(demo + "/File/Save.dat");
    SaveData save(GamePaths(demo + "/DeckEditor"));
    ASSERT_TRUE(save.IsLoaded());
    EXPECT_FALSE(save.HasUnsavedChanges());
    EXPECT_TRUE(save.Deck(save.ActiveDeck()).IsComplete());
    EXPECT_EQ(save.Write(), "");
    EXPECT_EQ(ReadFileBytes(demo + "/File/Save.dat"), fresh);

    // A player's save file is kept unless forced; backups are never touched.
    ws.Put(demo + "/File/Save.dat", std::string("played\r\n"));
    ws.Put(demo + "/File/BackUp/Save2406012147.dat", std::string("older\r\n"));
    EXPECT_EQ(RunMakeDemo(ShellQuoted(demo)), 0);
    EXPECT_EQ(ws.Get(demo + "/File/Save.dat"), "played\r\n");
    EXPECT_EQ(RunMakeDemo("--force " + ShellQuoted(demo)), 0);
    EXPECT_EQ(ws.Get(demo + "/File/Save.dat"), fresh);  // the same demo every time
    EXPECT_EQ(ws.Get(demo + "/File/BackUp/Save2406012147.dat"), "older\r\n");
}
