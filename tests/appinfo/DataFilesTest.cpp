// Which deck page is read: the working folder's, or the installed copy.
#include "appinfo/DataFiles.h"

#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(DataFiles, WorkingFolderFirstThenInstalledCopies)
{
    const struct { bool inWorkingFolder, installed, expectInstalled; } cases[] = {
        {true, true, false}, {false, true, true}, {false, false, false}};
    for (const auto& c : cases) {
        Workspace ws;
        const std::string installed = ws.Root() + "/share";
        ::mkdir(installed.c_str(), 0755);
        if (c.inWorkingFolder) {
            ws.Put("deckmaker.htm", "x");
        }
        if (c.installed) {
            ws.Put(installed + "/deckmaker.htm", "x");
        }
        const std::string page = ws.Paths().Page();
        EXPECT_EQ(DataFilePath(page, installed), c.expectInstalled ? installed + "/deckmaker.htm" : page)
            << c.inWorkingFolder << c.installed;
    }
    // The build tree has no installed copies.
    EXPECT_EQ(InstalledDataDirectory(), "");
    EXPECT_EQ(DataFilePath("deckmaker.htm"), "deckmaker.htm");
}
