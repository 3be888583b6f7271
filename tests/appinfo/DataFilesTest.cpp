// Which card list and deck page are read: the working folder's, or the
// installed copies.
#include "appinfo/DataFiles.h"

#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(DataFiles, WorkingFolderFirstThenInstalledCopies)
{
    struct Case {
        bool workList, workPage, installedList, installedPage;
        const char* list;  // "" for the working folder's, else the installed one's name
        const char* page;
    };
    const Case cases[] = {
        {true, true, true, true, "", ""},
        {false, false, true, true, "list.xml", "deckmaker.htm"},
        // The installed page would show the installed cards, not the working folder's.
        {true, false, true, true, "", ""},
        {false, true, true, true, "list.xml", ""},
        {false, false, false, true, "", "deckmaker.htm"},
        {false, false, false, false, "", ""},
    };
    for (const Case& c : cases) {
        Workspace ws;
        const std::string installed = ws.Root() + "/share";
        ::mkdir(installed.c_str(), 0755);
        auto put = [&ws](bool wanted, const std::string& path) {
            if (wanted) {
                ws.Put(path, "x");
            }
        };
        put(c.workList, "list.xml");
        put(c.workPage, "deckmaker.htm");
        put(c.installedList, installed + "/list.xml");
        put(c.installedPage, installed + "/deckmaker.htm");
        auto expected = [&installed](const char* name, const std::string& inWorkingFolder) {
            return *name ? installed + "/" + name : inWorkingFolder;
        };
        const std::string row = ::testing::PrintToString(
            std::vector<bool>{c.workList, c.workPage, c.installedList, c.installedPage});
        EXPECT_EQ(DataFilePath("list.xml", installed), expected(c.list, "list.xml")) << row;
        EXPECT_EQ(DeckPagePath(installed), expected(c.page, "deckmaker.htm")) << row;
    }
}

TEST(DataFiles, BuildTreeHasNoInstalledCopies)
{
    Workspace ws;
    EXPECT_EQ(InstalledDataDirectory(), "");
    EXPECT_EQ(DataFilePath("list.xml"), "list.xml");
    EXPECT_EQ(DeckPagePath(), "deckmaker.htm");
}
