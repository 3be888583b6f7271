// Format files: the built-in defaults, how a format text splits into its six
// sections, and how format files are read.
#include "ExportFixture.h"
#include "export/DeckListExporter.h"
#include "support/Cp932.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>

namespace {

// Lines joined by CR LF, with no line break after the last one.
std::string JoinCrLf(const std::vector<std::string>& lines)
{
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += (i ? "\r\n" : "") + Sjis(lines[i]);
    }
    return out;
}

const std::string kDashes(50, '-');

const std::string kExpectedDefault1 = JoinCrLf({
    u8"\\globalheader_start", u8"\\player_nameのデッキリスト(シンプル)", u8"", u8"\\globalheader_end", u8"",
    u8"\\header_start", kDashes, u8"デッキ名：\t\\deck_name", u8"DAZO Rozi:\t\\deck_code", kDashes,
    u8"クリーチャー(\\creatures枚)", u8"\\header_end", u8"", u8"\\creature_start",
    u8"No.\\CARD_NO \\card_name x \\cards", u8"\\creature_end", u8"", u8"\\separator_start", u8"",
    u8"マジック(\\magics枚)", u8"\\separator_end", u8"", u8"\\magic_start", u8"No.\\card_no \\card_name x \\cards",
    u8"\\magic_end", u8"", u8"\\footer_start", u8"", u8"\\footer_end",
});

const std::string kExpectedDefault2 = JoinCrLf({
    u8"\\globalheader_start", u8"\\player_nameのデッキリスト(forWiki)", u8"", u8"\\globalheader_end", u8"",
    u8"\\header_start", u8"*\\deck_name", u8"\\deck_code", u8"", u8"・クリーチャー\\creatures枚", u8"", u8"",
    u8"\\header_end", u8"", u8"\\creature_start", u8"Ｎｏ\\CARD_NO[[\\card_name]]×\\cards", u8"\\creature_end",
    u8"", u8"\\separator_start", u8"", u8"", u8"", u8"・マジック(\\magics枚)", u8"", u8"", u8"\\separator_end",
    u8"", u8"\\magic_start", u8"Ｎｏ\\card_no[[\\card_name]]×\\cards", u8"\\magic_end", u8"", u8"\\footer_start",
    u8"", u8"", u8"", u8"**解説", u8"", u8"", u8"ｖｅｒ○.○○現在。", u8"", u8"\\footer_end",
});

const std::string kExpectedDefault3 = JoinCrLf({
    u8"\\globalheader_start", u8"デッキコードリスト", u8"", u8"\\globalheader_end", u8"", u8"\\header_start",
    u8"Name:\\deck_name", u8"Code:\\deck_code", u8"", u8"\\header_end", u8"", u8"\\creature_start",
    u8"\\creature_end", u8"", u8"\\separator_start", u8"\\separator_end", u8"", u8"\\magic_start", u8"\\magic_end",
    u8"", u8"\\footer_start", u8"\\footer_end",
});

}  // namespace

TEST(DefaultFormats, WrittenByteForByteIntoAnEmptyFolder)
{
    ExportFolder f;
    DeckListExporter exporter(f.Load());

    EXPECT_EQ(f.folder.Get("format1.ini"), kExpectedDefault1);
    EXPECT_EQ(f.folder.Get("format2.ini"), kExpectedDefault2);
    EXPECT_EQ(f.folder.Get("format3.ini"), kExpectedDefault3);
}

TEST(ExtractSection, MarkersInPlace)
{
    // The byte after the start marker is skipped whatever it is; the line
    // break before the end marker is kept.
    EXPECT_EQ(ExtractSection("\\a_start\nX\nY\n\\a_end\n", "\\a_start", "\\a_end"), "X\nY\n");
    EXPECT_EQ(ExtractSection("\\a_start\n\\a_end", "\\a_start", "\\a_end"), "");
    EXPECT_EQ(ExtractSection("\\a_startQrest\nX\n\\a_end", "\\a_start", "\\a_end"), "rest\nX\n");
    EXPECT_EQ(ExtractSection("\\a_start\r\nX\r\n\\a_end", "\\a_start", "\\a_end"), "\nX\r\n");
    // Only the first occurrence of each marker counts.
    EXPECT_EQ(ExtractSection("\\a_start\n1\n\\a_end\n\\a_start\n2\n\\a_end", "\\a_start", "\\a_end"), "1\n");
}

TEST(ExtractSection, MissingOrMisplacedMarkers)
{
    // No end marker, or one before the beginning: to the end of the text.
    EXPECT_EQ(ExtractSection("\\a_start\nX\nY", "\\a_start", "\\a_end"), "X\nY");
    EXPECT_EQ(ExtractSection("\\a_end\n\\a_start\nX\n", "\\a_start", "\\a_end"), "X\n");
    // No start marker: the section begins at the offset of the marker's length.
    EXPECT_EQ(ExtractSection("0123456789abcdef\\a_end", "\\a_start", "\\a_end"), "89abcdef");
    EXPECT_EQ(ExtractSection("01234\\a_end6789abcdef", "\\a_start", "\\a_end"), "end6789abcdef");
    EXPECT_EQ(ExtractSection("0123456789", "\\a_start", "\\a_end"), "89");
    // A beginning at or past the end of the text gives an empty section.
    EXPECT_EQ(ExtractSection("xx\\a_start\n", "\\a_start", "\\a_end"), "");
    EXPECT_EQ(ExtractSection("xx\\a_start", "\\a_start", "\\a_end"), "");
    EXPECT_EQ(ExtractSection("short", "\\a_start", "\\a_end"), "");
    EXPECT_EQ(ExtractSection("", "\\a_start", "\\a_end"), "");
}

TEST(ExtractSection, SectionsInAnyOrderAndNotesAround)
{
    const std::string inOrder = "\\globalheader_start\nG\n\\globalheader_end\n\\header_start\nH\n\\header_end\n"
                                "\\creature_start\nC\n\\creature_end\n\\separator_start\nS\n\\separator_end\n"
                                "\\magic_start\nM\n\\magic_end\n\\footer_start\nF\n\\footer_end";
    const std::string shuffled = "notes\n\\footer_start\nF\n\\footer_end\n\n\\magic_start\nM\n\\magic_end\n"
                                 "\\header_start\nH\n\\header_end\nmore notes\n\\separator_start\nS\n\\separator_end\n"
                                 "\\creature_start\nC\n\\creature_end\n\\globalheader_start\nG\n\\globalheader_end\n";
    for (const std::string& text : {inOrder, shuffled}) {
        const FormatTemplate f = SplitFormat(text);
        EXPECT_EQ(f.globalheader + f.header + f.creature + f.separator + f.magic + f.footer, "G\nH\nC\nS\nM\nF\n");
    }
}

TEST(FormatFiles, ExistingFilesAreReadAndKept)
{
    ExportFolder f;
    const std::string mine = "\\header_start\r\nmine\r\n\\header_end\r\n";
    f.folder.Put("format2.ini", mine);
    DeckListExporter exporter(f.Load());
    EXPECT_EQ(f.folder.Get("format2.ini"), mine);
    EXPECT_EQ(exporter.Format(1).header, "mine\n");
    EXPECT_EQ(f.folder.Get("format1.ini"), kExpectedDefault1);
    EXPECT_EQ(f.folder.Get("format3.ini"), kExpectedDefault3);
}

TEST(FormatFiles, LineBreaksAsATextModeReadGivesThem)
{
    ExportFolder f;
    f.folder.Put("format1.ini", "\\header_start\r\nA\r\nB\r\n\\header_end\r\n");
    f.folder.Put("format2.ini", "\\header_start\nA\nB\n\\header_end\n");
    // A lone CR is content; a NUL ends the text, so the end marker after it is missing.
    f.folder.Put("format3.ini", std::string("\\header_start\nA\rB\r\r\n\\header_end\n\\footer_start\nF\0\n\\footer_end", 52));
    DeckListExporter exporter(f.Load());
    EXPECT_EQ(exporter.Format(0).header, "A\nB\n");
    EXPECT_EQ(exporter.Format(1).header, "A\nB\n");
    EXPECT_EQ(exporter.Format(2).header, "A\rB\r\n");
    EXPECT_EQ(exporter.Format(2).footer, "F");
}

TEST(FormatFiles, OnlyTheFirst10240BytesCount)
{
    const std::string start = "\\footer_start\n";
    const std::string end = "\\footer_end";
    const std::string fits(10240 - start.size() - end.size(), 'x');

    ExportFolder f;
    f.folder.Put("format1.ini", start + fits + end + "\nafter");
    f.folder.Put("format2.ini", start + fits + "y" + end);
    // CR LF counts as one byte: this file is 10240 bytes once read.
    std::string crlf = start;
    for (std::size_t i = 0; i < (fits.size()) / 2; ++i) {
        crlf += "x\r\n";
    }
    f.folder.Put("format3.ini", crlf + end);
    DeckListExporter exporter(f.Load());

    EXPECT_EQ(exporter.Format(0).footer, fits);
    // The end marker no longer fits: the section runs to the cut.
    EXPECT_EQ(exporter.Format(1).footer, fits + "y" + end.substr(0, end.size() - 1));
    EXPECT_EQ(exporter.Format(2).footer.size(), fits.size() / 2 * 2);
}

TEST(FormatFiles, UnreadableOrUnwritableFilesFallBackToTheDefault)
{
    ExportFolder f;
    // A folder in place of a format file can neither be read nor replaced.
    ASSERT_EQ(::mkdir((f.folder.WorkDir() + "/format2.ini").c_str(), 0755), 0);
    f.saveFile.names[0] = "Zero";
    DeckListExporter exporter(f.Load());
    EXPECT_EQ(exporter.Format(1).header, SplitFormat(DefaultFormatText(2)).header);
    exporter.WriteDeckList(1, 0, false);
    const std::string head = Sjis(u8"Playerのデッキリスト(forWiki)\r\n\r\n*Zero\r\n0\r\n");
    EXPECT_EQ(f.folder.Get("../deck_1_format2.txt").substr(0, head.size()), head);
}

TEST(FormatFiles, RandomFormatTextsNeverReachOutsideTheText)
{
    ExportFolder f;
    f.saveFile.Fill(0, 1);
    f.saveFile.Fill(1, 101);
    SaveData& saveData = f.Load();
    const std::vector<std::string> pieces = {
        "\\globalheader_start", "\\globalheader_end", "\\header_start", "\\header_end", "\\creature_start",
        "\\creature_end",       "\\separator_start",  "\\separator_end", "\\magic_start", "\\magic_end",
        "\\footer_start",       "\\footer_end",       "\\card_no",      "\\CARD_NO",     "\\sp",
        "\\deck_code",          "\\",                 "\r",             "\n",            "\r\n",
        std::string(1, '\0'),   "x",                  "\x83\x5c",       std::string(5000, 'p')};
    std::mt19937 random(12345);
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
        }
        for (int n = 1; n <= 3; ++n) {
            f.folder.Put(FormatFileName(n), text.substr(0, text.size() * static_cast<std::size_t>(n) / 3));
        }
        DeckListExporter exporter(saveData);
        for (int index = 0; index < 3; ++index) {
            const FormatTemplate& t = exporter.Format(index);
            for (const std::string* section : {&t.globalheader, &t.header, &t.creature, &t.separator, &t.magic, &t.footer}) {
                EXPECT_LE(section->size(), DeckListExporter::kMaxFormatBytes);
            }
            exporter.WriteDeckList(index, 0, round % 2 == 0);
        }
    }
}
