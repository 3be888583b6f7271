// Deck-list files: what each format writes for a known save file, the
// placeholders of each section, file names, and when format edits count.
#include "export/DeckListExporter.h"
#include "rules/DeckRules.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

const std::string kDashes(50, '-');

// Runs `action` with files limited to `bytes`, as a disk that fills up.
template <class Action>
void WithFileSizeLimit(rlim_t bytes, Action action)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = bytes;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    action();
    ::setrlimit(RLIMIT_FSIZE, &previous);
}

// Slot 0: card 7 three times, 12 once, 151 once (creatures), 105 twice (magic),
// added out of order. Its code: "0", then 6*3+2=20 "0k", 11*3=33 "0x",
// 104*3+1=313 "53", 150*3=450 "7g".
void FireDeck(SaveFileBuilder& saveFile)
{
    saveFile.SetPlayer(Sjis(u8"ゼヴ使い"));
    saveFile.names[0] = Sjis(u8"炎のデッキ");
    saveFile.Add(0, 151);
    saveFile.Add(0, 105, 2);
    saveFile.Add(0, 12);
    saveFile.Add(0, 7, 3);
}

}  // namespace

TEST(WriteDeckList, DefaultFormatsWriteTheExpectedFiles)
{
    GameFolder f;
    FireDeck(f.saveFile);
    f.saveFile.Add(52, 1);  // a training deck: one copy of card 1, code "000"
    DeckListExporter exporter(f.Load(), f.ws.Paths());
    for (int format = 0; format < 3; ++format) {
        exporter.WriteDeckList(format, 0, false);
    }

    EXPECT_EQ(f.ws.Get("../deck_1_format1.txt"),
              SjisLines({u8"ゼヴ使いのデッキリスト(シンプル)", u8"", kDashes, u8"デッキ名：\t炎のデッキ",
                         u8"DAZO Rozi:\t00k0x537g", kDashes, u8"クリーチャー(5枚)", u8"No.007 Card7 x 3",
                         u8"No.012 Card12 x 1", u8"No.151 Card151 x 1", u8"", u8"マジック(2枚)", u8"No.105 Card105 x 2",
                         u8""}));
    EXPECT_EQ(f.ws.Get("../deck_1_format2.txt"),
              SjisLines({u8"ゼヴ使いのデッキリスト(forWiki)", u8"", u8"*炎のデッキ", u8"00k0x537g", u8"",
                         u8"・クリーチャー5枚", u8"", u8"", u8"Ｎｏ007[[Card7]]×3", u8"Ｎｏ012[[Card12]]×1",
                         u8"Ｎｏ151[[Card151]]×1", u8"", u8"", u8"", u8"・マジック(2枚)", u8"", u8"",
                         u8"Ｎｏ105[[Card105]]×2", u8"", u8"", u8"", u8"**解説", u8"", u8"", u8"ｖｅｒ○.○○現在。",
                         u8""}));
    EXPECT_EQ(f.ws.Get("../deck_1_format3.txt"),
              SjisLines({u8"デッキコードリスト", u8"", u8"Name:炎のデッキ", u8"Code:00k0x537g", u8""}));

    // All decks, the empty and training ones too (every deck in order, each
    // with its code: CommandLine.ExportsSeeTheRunsEarlierCommands). An empty
    // deck gets its header, separator and footer and no card lines.
    exporter.WriteDeckList(0, 17, true);
    const std::string all = f.ws.Get("../deck_all_format1.txt");
    const std::string emptyDeck = SjisLines({kDashes, u8"デッキ名：\tDeck 2", u8"DAZO Rozi:\t0", kDashes,
                                             u8"クリーチャー(0枚)", u8"", u8"マジック(0枚)", u8""});
    const std::string trainingDeck = SjisLines({kDashes, u8"デッキ名：\tDeck 53", u8"DAZO Rozi:\t000", kDashes,
                                                u8"クリーチャー(1枚)", u8"No.001 Card1 x 1", u8"", u8"マジック(0枚)", u8""});
    EXPECT_NE(all.find(emptyDeck), std::string::npos);
    EXPECT_EQ(all.size() - trainingDeck.size(), all.rfind(trainingDeck));
    EXPECT_FALSE(f.ws.Exists("../deck_18_format1.txt"));
}

TEST(WriteDeckList, EachSectionFillsItsOwnPlaceholdersOnce)
{
    const std::string line = "pn=\\player_name ver=\\ver dn=\\deck_name dc=\\deck_code mg=\\magics cr=\\creatures "
                             "no=\\card_no NO=\\CARD_NO nm=\\card_name cp=\\cp ap=\\ap dp=\\dp at=\\attribute "
                             "ra=\\race sp=\\sp n=\\cards again=\\player_name\\card_no\\sp\n";
    std::string format;
    for (const char* section : {"globalheader", "header", "creature", "separator", "magic", "footer"}) {
        format += std::string("\\") + section + "_start\n" + section + " " + line + "\\" + section + "_end\n";
    }
    GameFolder f;
    f.ws.Put("format1.ini", format);
    f.saveFile.SetPlayer("P1");
    f.saveFile.names[4] = "Fire";
    // Card 9: cp 2, ap 90, dp 45, Attr4, Race0, Sp9. Card 103 (magic): cp 5, Attr3, Sp103.
    // Code: 8*3+2=26 "0q", 102*3+1=307 "4X".
    f.saveFile.Add(4, 103, 2);
    f.saveFile.Add(4, 9, 3);
    DeckListExporter exporter(f.Load(), f.ws.Paths());
    exporter.WriteDeckList(0, 4, false);

    const std::string deckLine = "pn=P1 ver=\\ver dn=Fire dc=00q4X mg=2 cr=3 no=\\card_no NO=\\CARD_NO "
                                 "nm=\\card_name cp=\\cp ap=\\ap dp=\\dp at=\\attribute ra=\\race sp=\\sp n=\\cards "
                                 "again=\\player_name\\card_no\\sp\r\n";
    const std::string expected =
        "globalheader pn=P1 ver=1.08.0 dn=\\deck_name dc=\\deck_code mg=\\magics cr=\\creatures no=\\card_no "
        "NO=\\CARD_NO nm=\\card_name cp=\\cp ap=\\ap dp=\\dp at=\\attribute ra=\\race sp=\\sp n=\\cards "
        "again=\\player_name\\card_no\\sp\r\n"
        "header " + deckLine +
        "creature pn=\\player_name ver=\\ver dn=\\deck_name dc=\\deck_code mg=\\magics cr=\\creatures no=9 NO=009 "
        "nm=Card9 cp=2 ap=90 dp=45 at=Attr4 ra=Race0 sp=Sp9 n=3 again=\\player_name\\card_no\\sp\r\n"
        "separator " + deckLine +
        "magic pn=\\player_name ver=\\ver dn=\\deck_name dc=\\deck_code mg=\\magics cr=\\creatures no=103 NO=103 "
        "nm=Card103 cp=5 ap=\\ap dp=\\dp at=Attr3 ra=\\race sp=Sp103 n=2 again=\\player_name\\card_no\\sp\r\n"
        "footer " + deckLine;
    EXPECT_EQ(f.ws.Get("../deck_5_format1.txt"), expected);
}

TEST(WriteDeckList, LaterReplacementsSearchTheTextEarlierOnesLeft)
{
    GameFolder f;
    // A card name holding "\sp" and a deck name holding "\magics" and "\player_name".
    f.ws.Put("list.xml", SimpleCardList() + "<no>9</no>\n<name>N\\sp</name>\n");
    f.ws.Put("format1.ini", FormatWith({{"header", "[\\deck_name|\\magics|\\player_name]\n"},
                                            {"creature", "[\\card_name|\\sp]\n"}}));
    f.saveFile.SetPlayer("P1");
    f.saveFile.names[0] = "\\magics\\player_name";
    f.saveFile.Add(0, 9);
    f.saveFile.Add(0, 101);
    DeckListExporter exporter(f.Load(), f.ws.Paths());
    exporter.WriteDeckList(0, 0, false);
    // The player's name is filled before the deck name comes in; "\magics" is
    // then found first inside the deck name.
    EXPECT_EQ(f.ws.Get("../deck_1_format1.txt"), "[1\\player_name|\\magics|P1]\r\n[NSp9|\\sp]\r\n");
}

// Deck 1 and deck 53 by their numbers: CommandLine.FailuresAreReported and
// CommandLine.ExportsSeeTheRunsEarlierCommands. Line breaks read as CR LF or
// LF: the export fuzz target and the default formats above.
TEST(WriteDeckList, FileNamesFollowTheSlotAndALoneCarriageReturnIsText)
{
    GameFolder f;
    f.ws.Put("format3.ini", FormatWith({{"header", "\\deck_name\rx\r\r\n"}}));
    SaveData& saveData = f.Load();
    ASSERT_EQ(SwapDecks(saveData, 0, 6), "");
    DeckListExporter exporter(saveData, f.ws.Paths());
    exporter.WriteDeckList(2, 6, false);
    // Indices outside the formats and slots write nothing.
    exporter.WriteDeckList(3, 0, false);
    exporter.WriteDeckList(2, 53, false);
    exporter.WriteDeckList(-1, 0, true);

    EXPECT_EQ(f.ws.Get("../deck_7_format3.txt"), "Deck 1\rx\r\r\n");
    EXPECT_EQ(f.ws.List(f.ws.Root()), (std::vector<std::string>{"DeckEditor", "File", "deck_7_format3.txt"}));
}

// A folder in place of a list file: CommandLine.FailuresAreReported.
TEST(WriteDeckList, FilesThatCannotBeFullyWrittenAreRemoved)
{
    GameFolder f;
    SaveData& saveData = f.Load();
    std::unique_ptr<DeckListExporter> exporter;
    // Default 3 fits, 1 and 2 do not.
    WithFileSizeLimit(300, [&] { exporter = std::make_unique<DeckListExporter>(saveData, f.ws.Paths()); });
    EXPECT_FALSE(f.ws.Exists("format1.ini"));
    EXPECT_FALSE(f.ws.Exists("format2.ini"));
    EXPECT_TRUE(f.ws.Exists("format3.ini"));
    // The run goes on with the defaults from memory.
    exporter->WriteDeckList(1, 0, false);
    EXPECT_EQ(f.ws.Get("../deck_1_format2.txt").substr(0, 8), "Player" + Sjis(u8"の"));

    // The disk refuses the list past 100 bytes: no partial list stays behind.
    f.ws.Put("../deck_all_format1.txt", "an earlier export");
    WithFileSizeLimit(100, [&] { exporter->WriteDeckList(0, 0, true); });
    EXPECT_FALSE(f.ws.Exists("../deck_all_format1.txt"));
}
