// Filling a deck from a code: the 40-card limit, the stock and training decks.
#include "deckcode/DazoRozi.h"
#include "rules/DeckRules.h"

#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class DeckRules : public ::testing::Test {
protected:
    DeckRecord& Load(int slot)
    {
        ws.Put("list.xml", SimpleCardList());
        ws.Put(ws.SavePath(), saveFile.Bytes());
        data = std::make_unique<SaveData>();
        EXPECT_TRUE(data->IsLoaded());
        loadedSlot = slot;
        return data->Deck(slot);
    }
    std::string Add(const std::string& code) { return AddFromCode(*data, loadedSlot, code); }
    static std::string Group(int number, int copies)
    {
        const int v = (number - 1) * 3 + copies - 1;
        return {digit_char(v / 62), digit_char(v % 62)};
    }
    static std::string Short(int number) { return "Card" + std::to_string(number) + Sjis(u8" が足りないみたいです\n"); }
    static std::string Refused(int number)
    {
        return "Card" + std::to_string(number) + Sjis(u8" は訓練デッキにいれられないようです\n");
    }

    Workspace ws;
    SaveFileBuilder saveFile;
    std::unique_ptr<SaveData> data;
    int loadedSlot = 0;
};

}  // namespace

TEST_F(DeckRules, NormalDecksDrawOnTheStock)
{
    saveFile.stock[9] = 2;   // card 10
    saveFile.stock[10] = 0;  // card 11
    DeckRecord& deck = Load(49);  // number 50 is still a normal deck
    EXPECT_EQ(Add("0"), "");
    EXPECT_EQ(Add("0" + Group(10, 3) + Group(11, 1)), Short(10) + Short(11));
    EXPECT_EQ(deck.Counts()[9], 2);
    EXPECT_EQ(data->Stock(9), 0);
    EXPECT_EQ(deck.Counts()[10], 0);
    EXPECT_EQ(deck.CardCount(), 2);
    // Copies already held count toward the wanted number; nothing is taken for them.
    saveFile.Add(49, 12, 3);
    saveFile.stock[11] = 3;
    DeckRecord& again = Load(49);
    EXPECT_EQ(Add("0" + Group(12, 2)), "");
    EXPECT_EQ(again.Counts()[11], 3);
    EXPECT_EQ(data->Stock(11), 3);
}

TEST_F(DeckRules, ACardNamedTwiceIsServedTwice)
{
    saveFile.stock[19] = 0;
    DeckRecord& deck = Load(0);
    EXPECT_EQ(Add("0" + Group(20, 3) + Group(20, 1)), Short(20) + Short(20));
    saveFile.stock[19] = 2;
    DeckRecord& more = Load(0);
    EXPECT_EQ(Add("0" + Group(20, 1) + Group(20, 3)), Short(20));
    EXPECT_EQ(more.Counts()[19], 2);
}

TEST_F(DeckRules, TrainingDecksCheckTheExclusionsNotTheStock)
{
    saveFile.stock[0] = 0;
    saveFile.stock[97] = 5;
    DeckRecord& deck = Load(50);  // number 51
    EXPECT_EQ(Add("0" + Group(1, 3) + Group(98, 2) + Group(99, 1) + Group(101, 1)),
              Refused(98) + Refused(99));
    EXPECT_EQ(deck.Counts()[0], 3);
    EXPECT_EQ(deck.Counts()[97], 0);
    EXPECT_EQ(deck.Counts()[100], 1);
    EXPECT_EQ(data->Stock(0), 0);
    EXPECT_EQ(data->Stock(97), 5);
}

TEST_F(DeckRules, TheFortyCardLimitCutsTheHighestCardsSilently)
{
    std::string code = "0";
    for (int number = 1; number <= 15; ++number) {
        code += Group(number, 3);  // 45 copies asked for
    }
    DeckRecord& training = Load(52);
    EXPECT_EQ(Add(code), "");
    EXPECT_EQ(training.CardCount(), 40);
    EXPECT_EQ(training.Counts()[12], 3);
    EXPECT_EQ(training.Counts()[13], 1);  // the 14th card only partly served
    EXPECT_EQ(training.Counts()[14], 0);

    for (int i = 0; i < 15; ++i) {
        saveFile.stock[i] = 3;
    }
    saveFile.stock[14] = 0;  // would complain, but the limit comes first
    DeckRecord& normal = Load(3);
    EXPECT_EQ(Add(code), "");
    EXPECT_EQ(normal.CardCount(), 40);
    EXPECT_EQ(data->Stock(13), 2);
}

TEST_F(DeckRules, UnknownCardsAreNamedUnknown)
{
    saveFile.stock[0] = 0;
    ws.Put(ws.SavePath(), saveFile.Bytes());  // and no list.xml
    SaveData withoutList;
    EXPECT_EQ(AddFromCode(withoutList, 0, "000"), "unknown" + Sjis(u8" が足りないみたいです\n"));
}
