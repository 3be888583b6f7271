// Delete, store, duplicate and swap: the stock, the active deck and the names.
#include "deckcode/DazoRozi.h"
#include "rules/DeckRules.h"
#include "savedata/SaveData.h"

#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

namespace {

class DeckOperations : public ::testing::Test, protected GameFolder {
protected:
    void LoadGame() { ASSERT_TRUE(Load().IsLoaded()); }
    int Stock(int cardNumber) const { return data->Stock(cardNumber - 1); }
    int Count(int slot, int cardNumber) const { return data->Deck(slot).Counts()[cardNumber - 1]; }
};

const std::string kLastDeck = Sjis(u8"最後のデッキみたいです。全部のデッキは消せないですよぉ");

}  // namespace

TEST_F(DeckOperations, AFullStockLeavesTheDeckPartlyEmptied)
{
    saveFile.Add(0, 5, 3);
    saveFile.Add(0, 6, 2);
    saveFile.stock[4] = 98;
    saveFile.stock[5] = 0;
    saveFile.active = 9;
    LoadGame();
    EXPECT_EQ(data->DeleteDeck(0), Sjis(u8"デッキの消去に失敗しちゃいましたぁ"));
    EXPECT_EQ(Count(0, 5), 2);
    EXPECT_EQ(Stock(5), 99);
    EXPECT_EQ(Count(0, 6), 0);
    EXPECT_EQ(Stock(6), 2);
    // StoreDeck stops there and does not fill the deck.
    EXPECT_EQ(StoreDeck(*data, 0, CodeOf({{7, 1}})), Sjis(u8"デッキの消去に失敗しちゃいましたぁ"));
    EXPECT_EQ(Count(0, 7), 0);
}

TEST_F(DeckOperations, StoringMakesTheDeckActiveOnlyWhenEverythingWentIn)
{
    saveFile.Fill(3, 1);
    saveFile.Fill(8, 100);
    saveFile.active = 3;
    saveFile.stock[499] = 1;
    saveFile.stock[500] = 0;
    LoadGame();
    // Into the active deck: it moves away during the delete and comes back.
    EXPECT_EQ(StoreDeck(*data, 3, CodeOf({{500, 1}})), "");
    EXPECT_EQ(data->ActiveDeck(), 3);
    EXPECT_EQ(Stock(500), 0);
    EXPECT_EQ(Stock(1), 3);  // the old cards went back
    // A refused card: the rest stays, the active deck does not move here.
    EXPECT_EQ(StoreDeck(*data, 5, CodeOf({{1, 1}, {501, 1}})), "Card501" + Sjis(u8" が足りないみたいです\n"));
    EXPECT_EQ(Count(5, 1), 1);
    EXPECT_EQ(data->ActiveDeck(), 3);
}

TEST_F(DeckOperations, DuplicatingCopiesCardsAndNameOnlyOnSuccess)
{
    saveFile.Add(0, 7, 5);  // more copies than a code carries
    saveFile.Add(0, 8, 1);
    saveFile.names[0] = Sjis(u8"元のデッキ");
    saveFile.stock[6] = 5;
    saveFile.stock[7] = 2;
    saveFile.Fill(9, 100);
    saveFile.active = 9;
    LoadGame();
    EXPECT_EQ(DuplicateDeck(*data, 0, 1), "");
    EXPECT_EQ(data->Deck(1).Name(), Sjis(u8"元のデッキ"));
    EXPECT_EQ(Count(1, 7), 5);
    EXPECT_EQ(encode(data->Deck(1)), encode(data->Deck(0)));
    EXPECT_EQ(Stock(7), 0);
    EXPECT_EQ(data->ActiveDeck(), 1);

    // No stock left for a third set: the target keeps what it got and its name.
    EXPECT_EQ(DuplicateDeck(*data, 0, 2), "Card7" + Sjis(u8" が足りないみたいです\n"));
    EXPECT_EQ(Count(2, 8), 1);
    EXPECT_EQ(data->Deck(2).Name(), saveFile.names[2]);
    EXPECT_EQ(data->ActiveDeck(), 1);

    // Onto itself, the active deck: emptied into the stock and filled again.
    EXPECT_EQ(DuplicateDeck(*data, 1, 1), "");
    EXPECT_EQ(encode(data->Deck(1)), encode(data->Deck(0)));
}

TEST_F(DeckOperations, TheActiveDeckAfterADeleteOrASwap)
{
    const std::string acrossKinds = Sjis(u8"訓練デッキと普通のデッキは入れ替えできないんです。");
    // "delete" deletes deck a; "duplicate" copies deck a onto b, deleting b
    // first, so onto the last complete deck it is refused the same way
    // (storing: the refused-code table). That a refusal changes no byte:
    // SaveProperties.
    const struct { std::vector<int> complete; int active; const char* command; int a, b; std::string message;
                   int activeAfter; } cases[] = {
        {{3, 10}, 3, "delete", 10, 0, "", 3},
        {{3, 10, 52}, 52, "delete", 52, 0, "", 10},  // the highest complete deck itself
        {{3, 52}, 3, "delete", 3, 0, "", 52},
        {{3}, 3, "delete", 3, 0, kLastDeck, 3},
        {{3}, 3, "duplicate", 4, 3, kLastDeck, 3},
        {{5}, 5, "swap", 5, 0, "", 0},
        {{5}, 5, "swap", 0, 5, "", 0},
        {{5}, 5, "swap", 50, 52, "", 5},
        {{5}, 5, "swap", 49, 50, acrossKinds, 5},
        {{5}, 5, "swap", 51, 5, acrossKinds, 5},
    };
    for (const auto& c : cases) {
        saveFile = SaveFileBuilder();
        for (int slot : c.complete) {
            saveFile.Fill(slot, 1);
        }
        saveFile.Add(4, 50, 39);  // 39 cards: not complete
        saveFile.active = static_cast<std::uint8_t>(c.active);
        LoadGame();
        const std::string command = c.command;
        const bool swap = command == "swap";
        EXPECT_EQ(swap ? SwapDecks(*data, c.a, c.b)
                       : command == "delete" ? ClearDeck(*data, c.a) : DuplicateDeck(*data, c.a, c.b),
                  c.message)
            << c.command << c.a;
        EXPECT_EQ(data->ActiveDeck(), c.activeAfter) << c.command << " " << c.a << " " << c.b;
        if (command == "delete") {  // a training deck's cards never came from the stock
            EXPECT_EQ(Stock(1), saveFile.stock[0] + (c.a < 50 && c.message.empty() ? 3 : 0)) << c.a;
        } else if (c.message.empty()) {
            EXPECT_EQ(data->Deck(c.b).Name(), saveFile.names[c.a]);
        }
    }
}

// That a refused code changes no byte: SaveProperties.
TEST_F(DeckOperations, ACodeIsRefusedForAStrayCharacterAndBlanksAroundItAreDropped)
{
    saveFile.names[2] = "Mine";
    saveFile.Add(2, 9, 2);
    saveFile.stock[0] = 3;
    saveFile.Fill(5, 100);
    saveFile.active = 5;  // the only complete deck
    LoadGame();
    const std::string kBadCode = Sjis(u8"DAZO Roziに使えない文字が入ってるみたいです…。");
    const struct { std::string code; int slot; std::string outcome; } refused[] = {
        {"000 x", 2, kBadCode}, {"0 00", 2, kBadCode}, {"000\r\nx", 2, kBadCode}, {"0\x81\x40" "00", 2, kBadCode},
        {" 000\n", 5, kLastDeck},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(CreateDeck(*data, c.slot, c.code), c.outcome) << c.code;
        EXPECT_EQ(StoreDeck(*data, c.slot, c.code), c.outcome) << c.code;
    }
    // As pasted: blanks (full-width ones from a Japanese text too), tabs and
    // line breaks at both ends.
    EXPECT_EQ(StoreDeck(*data, 2, " \x81\x40\t000\x81\x40\r\n\x81\x40"), "");
    EXPECT_EQ(encode(data->Deck(2)), "000");
    EXPECT_EQ(data->Deck(2).Name(), "Mine");
    EXPECT_EQ(CreateDeck(*data, 2, "\x81\x40" "000 "), "");
    EXPECT_EQ(encode(data->Deck(2)), "000");
    EXPECT_EQ(data->Deck(2).Name(), Sjis(u8"デッキ03"));
    EXPECT_EQ(data->ActiveDeck(), 2);
}
