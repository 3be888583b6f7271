// What the deck page is told, held against what storing the page's code does.
#include "collection/Collection.h"
#include "rules/DeckRules.h"

#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

namespace {

// The numbers of the JSON array under `key`.
std::vector<int> ArrayOf(const std::string& json, const std::string& key)
{
    std::smatch match;
    std::regex_search(json, match, std::regex("\"" + key + "\":\\[([0-9,]*)\\]"));
    std::vector<int> values;
    std::istringstream numbers(match[1].str());
    for (std::string number; std::getline(numbers, number, ',');) {
        values.push_back(std::stoi(number));
    }
    return values;
}

// A card number, its spare copies and copies in deck 5, then what deck 5 is told.
struct Card { int number, stock, inDeck, usable, elsewhere; };

class Collection : public testing::Test, protected GameFolder {};

TEST_F(Collection, ANormalDeckMayHoldItsOwnCopiesAndTheStocksUpToWhatACodeCarries)
{
    constexpr int kSlot = 4;
    const Card cards[] = {
        {1, 0, 0, 0, 2},    // all in other decks
        {2, 1, 1, 2, 0},    // one spare, one in this deck
        {3, 5, 0, 3, 0},    // more spares than a code names
        {4, 0, 5, 3, 0},    // this deck holds more than a code carries
        {5, 1, 0, 1, 0},    // three more sit in a training deck, which owns none
        {6, 2, 0, 2, 1},
        {600, 1, 1, 2, 1},  // the table's last card, in the last normal deck
    };
    for (const Card& card : cards) {
        saveFile.stock[card.number - 1] = static_cast<std::uint8_t>(card.stock);
        saveFile.Add(kSlot, card.number, card.inDeck);
    }
    saveFile.Add(0, 1);
    saveFile.Add(7, 1);
    saveFile.Add(0, 6);
    saveFile.Add(49, 600);
    saveFile.Add(50, 5, 3);
    saveFile.Fill(9, 200);
    saveFile.active = 9;

    const std::string json = CollectionJson(Load(), kSlot);
    ASSERT_TRUE(std::regex_match(json, std::regex(R"(\{"kind":"normal","number":5,"usable":\[(\d,){599}\d\],)"
                                                  R"("elsewhere":\[(\d+,){599}\d+\]\})")))
        << json;
    const std::vector<int> usable = ArrayOf(json, "usable"), elsewhere = ArrayOf(json, "elsewhere");
    for (const Card& card : cards) {
        const int n = card.number;
        EXPECT_EQ(usable[n - 1], card.usable) << "card " << n;
        EXPECT_EQ(elsewhere[n - 1], card.elsewhere) << "card " << n;
        // Storing exactly the usable copies goes through; one more is refused.
        Load();
        EXPECT_EQ(StoreDeck(*data, kSlot, card.usable == 0 ? "0" : CodeOf({{n, card.usable}})), "") << "card " << n;
        EXPECT_EQ(data->Deck(kSlot).Counts()[n - 1], card.usable) << "card " << n;
        if (card.usable < 3) {
            Load();
            EXPECT_EQ(StoreDeck(*data, kSlot, CodeOf({{n, card.usable + 1}})),
                      "Card" + std::to_string(n) + Sjis(u8" が足りないみたいです\n"));
        }
    }
}

TEST_F(Collection, ATrainingDeckNamesExactlyTheCardsStoringRefuses)
{
    saveFile.Fill(9, 200);
    saveFile.active = 9;
    Load();
    for (const int slot : {50, 52}) {
        const std::string json = CollectionJson(*data, slot);
        EXPECT_TRUE(std::regex_match(json, std::regex(R"(\{"kind":"training","number":)" + std::to_string(slot + 1) +
                                                      R"(,"refused":\[(\d+,)*\d+\]\})")))
            << json;
        const std::vector<int> refused = ArrayOf(json, "refused");
        std::vector<int> refusedByStoring;
        for (int n = 1; n <= 600; ++n) {
            if (!StoreDeck(*data, slot, CodeOf({{n, 3}})).empty()) {
                refusedByStoring.push_back(n);
            }
            data->SetActiveDeck(9);  // storing made the part-filled deck the active one
        }
        EXPECT_EQ(refused, refusedByStoring);
    }
}

}  // namespace
