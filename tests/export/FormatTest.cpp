// Format files: the built-in defaults, how a format text splits into its six
// sections, and how format files are read.
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
    EXPECT_EQ(exporter.Format(1).header, "mine\n");
}

TEST(FormatFiles, ExtractSection)
{
    const struct {
        const char* text;
        const char* section;
    } cases[] = {
        // The byte after the start marker is skipped whatever it is; the line
        // break before the end marker is kept.
        {"\\a_start\nX\nY\n\\a_end\n", "X\nY\n"},
        {"\\a_startQrest\nX\n\\a_end", "rest\nX\n"},
        {"\\a_start\r\nX\r\n\\a_end", "\nX\r\n"},
        {"\\a_start\n\\a_end", ""},
        // Only the first occurrence of each marker counts.
        {"\\a_start\n1\n\\a_end\n\\a_start\n2\n\\a_end", "1\n"},
        // No end marker, or one before the beginning: to the end of the text.
        {"\\a_start\nX\nY", "X\nY"},
        {"\\a_end\n\\a_start\nX\n", "X\n"},
        // No start marker: the section begins at the offset of the marker's length.
        {"0123456789abcdef\\a_end", "89abcdef"},
        {"01234\\a_end6789abcdef", "end6789abcdef"},
        // A beginning at or past the end of the text gives an empty section.
        {"xx\\a_start\n", ""},
        {"xx\\a_start", ""},
        {"short", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractSection(c.text, "\\a_start", "\\a_end"), c.section) << c.text;
    }
}

TEST(FormatFiles, SectionsInAnyOrderAndNotesAround)
{
    const FormatTemplate f = SplitFormat(
        "notes\n\\footer_start\nF\n\\footer_end\n\n\\magic_start\nM\n\\magic_end\n"
        "\\header_start\nH\n\\header_end\nmore notes\n\\separator_start\nS\n\\separator_end\n"
        "\\creature_start\nC\n\\creature_end\n\\globalheader_start\nG\n\\globalheader_end\n");
    EXPECT_EQ(f.globalheader + f.header + f.creature + f.separator + f.magic + f.footer, "G\nH\nC\nS\nM\nF\n");
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
