// Loading the save file and writing it back.
#include "savedata/SaveData.h"

#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

namespace {

std::string Slot(int card) { return std::string{static_cast<char>(card % 100), static_cast<char>(card / 100)}; }

class SaveFile : public ::testing::Test, protected GameFolder {};

}  // namespace

// A file in the game's own layout written back byte for byte, game lines of
// any bytes included: SaveProperties.
TEST_F(SaveFile, APlayersNameStopsAtAZeroByte)
{
    saveFile.SetPlayer(std::string("Na\0me", 5));
    EXPECT_EQ(Load().PlayerName(), "Na");
}

TEST_F(SaveFile, LoadingNormalisesOnlyTheDeckLines)
{
    saveFile.SetPlayer(std::string(50, 'P'));
    saveFile.names[0] = std::string(40, 'L');
    // Out-of-order slots, a 150,0 pair, empty and out-of-range pairs in between.
    saveFile.cardLines[0] = Slot(20) + std::string{static_cast<char>(150), 0} + std::string(2, '\0') + Slot(601) +
                            Slot(7) + Slot(20) + std::string(68, '\0');
    saveFile.names[1] = std::string("ab\0cd", 5);
    const std::string file = saveFile.Bytes();
    ws.Put(ws.SavePath(), file);

    SaveData data(ws.Paths());
    ASSERT_TRUE(data.IsLoaded());
    EXPECT_EQ(data.PlayerName(), std::string(37, 'P'));  // its line in the file stays whole
    ASSERT_EQ(data.Write(), "");
    const std::string written = ws.Get(ws.SavePath());
    EXPECT_EQ(FileLines(written, 30, 32),
              std::string(37, 'L') + "\r\n" + Slot(7) + Slot(20) + Slot(20) + Slot(150) + std::string(72, '\0') + "\r\n");
    EXPECT_EQ(FileLines(written, 32, 33), "ab\r\n");
}

// Lines after the last deck's, with any bytes, and ReplaceContents' round
// trip: SaveProperties.
TEST_F(SaveFile, MissingDeckLinesGiveDefaultNamesAndNoCards)
{
    saveFile.Fill(49, 200);
    saveFile.Fill(50, 1);
    const std::string full = saveFile.Bytes();
    ws.Put(ws.SavePath(), FileLines(full, 0, 130));  // ends after slot 49's lines
    SaveData data(ws.Paths());
    ASSERT_TRUE(data.IsLoaded());
    EXPECT_EQ(data.Deck(49).CardCount(), 40);
    EXPECT_EQ(data.Deck(52).Name(), Sjis(u8"デッキ53"));
    ASSERT_EQ(data.Write(), "");
    EXPECT_EQ(FileLines(ws.Get(ws.SavePath()), 130, 132), Sjis(u8"デッキ51") + "\r\n" + std::string(80, '\0') + "\r\n");

    // A card line cut short keeps the cards of the slots that are there.
    std::string cut = FileLines(full, 0, 130) + "short\r\n" + Slot(5) + Slot(6) + Slot(5);
    ws.Put(ws.SavePath(), cut);
    SaveData shortLine(ws.Paths());
    ASSERT_TRUE(shortLine.IsLoaded());
    EXPECT_EQ(shortLine.Deck(50).Name(), "short");
    EXPECT_EQ(shortLine.Deck(50).CardCount(), 3);
    EXPECT_EQ(shortLine.Deck(51).Name(), Sjis(u8"デッキ52"));
}

// The save file loads with its tolerance either way; a backup is restored
// from only when whole.
TEST_F(SaveFile, ACardLineOfAnotherLengthLooksDamagedAndOnlyWholeLinesMakeAWholeFile)
{
    saveFile.Fill(2, 200);
    const std::string full = saveFile.Bytes();
    const std::string lines35 = FileLines(full, 0, 36);
    const struct { const char* what; std::string bytes; bool whole, damaged; } cases[] = {
        {"as the editor writes it", full, true, false},
        {"a tail after deck 53", full + "game's\r\nown", true, false},
        {"ends after a whole pair", FileLines(full, 0, 130), true, false},
        {"ends after the active deck's line", FileLines(full, 0, 30), true, false},
        {"the CR LF that ends line 35 gone", lines35.substr(0, lines35.size() - 2) + FileLines(full, 36, 200), false, true},
        {"cut at 3000 bytes, in a card line", full.substr(0, 3000), false, true},
        {"a card line of 82 bytes", FileLines(full, 0, 31) + std::string(82, '\0') + "\r\n", false, true},
        {"deck 53's card line unended", full.substr(0, full.size() - 2), false, true},
        {"ends after a name line", FileLines(full, 0, 33), false, false},
        {"ends inside a name line", FileLines(full, 0, 32) + "Dec", false, false},
    };
    for (const auto& c : cases) {
        ws.Put(ws.SavePath(), c.bytes);
        const SaveData data(ws.Paths());
        ASSERT_TRUE(data.IsLoaded()) << c.what;
        EXPECT_EQ(data.IsWhole(), c.whole) << c.what;
        EXPECT_EQ(HasWholeDeckLines(data.KnownFileBytes()), c.whole) << c.what;
        EXPECT_EQ(data.LooksDamaged(), c.damaged) << c.what;
    }
}

TEST_F(SaveFile, FilesThatDoNotFillTheLayoutAreRefused)
{
    const std::string good = SaveFileBuilder().Bytes();
    const std::size_t stockAt = FileLines(good, 0, 28).size();
    const std::size_t activeAt = stockAt + 1202;
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"only the game lines", FileLines(good, 0, 28)},
        {"stock line unterminated", good.substr(0, activeAt - 2)},
        {"active line missing", good.substr(0, activeAt)},
        {"active line unterminated", good.substr(0, activeAt + 2)},
        {"short stock line", good.substr(0, stockAt + 1198) + good.substr(stockAt + 1200)},
        {"active line of three bytes", good.substr(0, activeAt + 2) + "x" + good.substr(activeAt + 2)},
        {"active line of one byte", good.substr(0, activeAt + 1) + good.substr(activeAt + 2)},
    };
    for (const auto& [what, bytes] : cases) {
        ws.Put(ws.SavePath(), bytes);
        EXPECT_FALSE(SaveData(ws.Paths()).IsLoaded()) << what;
    }

    // A longer stock line is the game's business: accepted and carried through.
    const std::string longStock = good.substr(0, stockAt + 1200) + "xy" + good.substr(stockAt + 1200);
    ws.Put(ws.SavePath(), longStock);
    SaveData data(ws.Paths());
    ASSERT_TRUE(data.IsLoaded());
    ASSERT_EQ(data.Write(), "");
    EXPECT_EQ(ws.Get(ws.SavePath()), longStock);
}

TEST_F(SaveFile, NamesKeepAtMost37BytesAndNoLineBreaks)
{
    ASSERT_TRUE(Load().IsLoaded());
    DeckRecord& deck = data->Deck(4);
    const std::pair<std::string, std::string> cases[] = {
        {std::string(40, 'x'), std::string(37, 'x')},
        {"a\r\nb\rc\nd", "abcd"},
        {std::string("ab\0cd", 5), "ab"},
        // The cut falls after the last whole character.
        {Sjis(u8"漢字漢字漢字漢字漢字漢字漢字漢字漢字漢"), Sjis(u8"漢字漢字漢字漢字漢字漢字漢字漢字漢字")},
        {"a" + Sjis(u8"漢字漢字漢字漢字漢字漢字漢字漢字漢字漢"), "a" + Sjis(u8"漢字漢字漢字漢字漢字漢字漢字漢字漢字")},
        {"ab" + Sjis(u8"漢字漢字漢字漢字漢字漢字漢字漢字漢字漢"), "ab" + Sjis(u8"漢字漢字漢字漢字漢字漢字漢字漢字漢")},
        {std::string(40, '\xB1'), std::string(37, '\xB1')},  // half-width kana are one byte
        // Line breaks go before the cut.
        {"12\r\n" + Sjis(u8"漢字漢字漢字漢字漢字漢字漢字漢字漢字漢"), "12" + Sjis(u8"漢字漢字漢字漢字漢字漢字漢字漢字漢")},
        {"ab\x82", "ab"},  // a lead byte with nothing after it
    };
    for (const auto& [given, kept] : cases) {
        deck.SetName(given);
        EXPECT_EQ(deck.Name(), kept);
    }
    EXPECT_TRUE(data->HasUnsavedChanges());
    deck.SetName(saveFile.names[4]);
    EXPECT_FALSE(data->HasUnsavedChanges());  // changed and changed back

    // A longer name in the file is cut the same way.
    saveFile.names[6] = std::string(36, 'A') + "\x82\xa0" "BB";
    ASSERT_TRUE(Load().IsLoaded());
    EXPECT_EQ(FileLines(Image(*data), 42, 43), std::string(36, 'A') + "\r\n");
}
