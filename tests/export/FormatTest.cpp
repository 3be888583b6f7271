// Format files: the built-in defaults. A format file that cannot be read is in
// InputFilesTest.cpp and CommandLine.AsAPlayerWhoIsNotRoot; how a text splits
// into its sections is checked by fuzz/fuzz_export against a plain reading of
// the rules.
#include "export/DeckListExporter.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

// Format 2 is the player's own; of format 1 only the first 10240 bytes count.
TEST(FormatFiles, DefaultsAreWrittenIntoAnEmptyFolderAndExistingFilesKept)
{
    GameFolder game;
    const std::string mine = "\\globalheader_start\n" + std::string(10240 - 20, 'x') + "cut off";
    game.ws.Put("format2.ini", mine);
    DeckListExporter exporter(game.Load(), game.ws.Paths());
    // The committed default formats are the fuzz seeds, made from the program's own texts.
    EXPECT_EQ(game.ws.Get("format1.ini"), ReadFileBytes(EXPORT_SEEDS "/default-format1"));
    EXPECT_EQ(game.ws.Get("format2.ini"), mine);
    EXPECT_EQ(game.ws.Get("format3.ini"), ReadFileBytes(EXPORT_SEEDS "/default-format3"));
    const std::string list = exporter.BuildDeckList(1, 0, false);
    EXPECT_EQ(list.substr(0, 10240 - 20), std::string(10240 - 20, 'x'));
    EXPECT_EQ(list.find('c'), std::string::npos);
}
