// Format files: the built-in defaults, and format files that cannot be read
// or written. How a text splits into its sections is checked by
// fuzz/fuzz_export against a plain reading of the rules.
#include "export/DeckListExporter.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(FormatFiles, DefaultsAreWrittenIntoAnEmptyFolderAndExistingFilesKept)
{
    GameFolder game;
    const std::string mine = "\\header_start\r\nmine\r\n\\header_end\r\n";
    game.ws.Put("format2.ini", mine);
    DeckListExporter exporter(game.Load());
    // The committed default formats are the fuzz seeds, made from the program's own texts.
    EXPECT_EQ(game.ws.Get("format1.ini"), ReadFileBytes(EXPORT_SEEDS "/default-format1"));
    EXPECT_EQ(game.ws.Get("format2.ini"), mine);
    EXPECT_EQ(game.ws.Get("format3.ini"), ReadFileBytes(EXPORT_SEEDS "/default-format3"));
}

TEST(FormatFiles, UnreadableOrUnwritableFilesFallBackToTheDefault)
{
    GameFolder game;
    // A folder in place of a format file can neither be read nor replaced.
    ASSERT_EQ(::mkdir((game.ws.WorkDir() + "/format2.ini").c_str(), 0755), 0);
    game.saveFile.names[0] = "Zero";
    DeckListExporter exporter(game.Load());
    exporter.WriteDeckList(1, 0, false);
    const std::string head = Sjis(u8"Playerのデッキリスト(forWiki)\r\n\r\n*Zero\r\n0\r\n");
    EXPECT_EQ(game.ws.Get("../deck_1_format2.txt").substr(0, head.size()), head);
}

TEST(FormatFiles, OnlyTheFirst10240BytesCount)
{
    GameFolder game;
    game.ws.Put("format1.ini", "\\globalheader_start\n" + std::string(10240 - 20, 'x') + "cut off");
    DeckListExporter exporter(game.Load());
    const std::string list = exporter.BuildDeckList(0, 0, false);
    EXPECT_EQ(list.substr(0, 10240 - 20), std::string(10240 - 20, 'x'));
    EXPECT_EQ(list.find('c'), std::string::npos);
}
