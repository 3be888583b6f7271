// Filling a deck from a code: the 40-card limit, the stock and training decks.
#include "rules/DeckRules.h"

#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

namespace {

using Cards = std::vector<std::pair<int, int>>;  // (card number, copies)

std::string Short(int number) { return "Card" + std::to_string(number) + Sjis(u8" が足りないみたいです\n"); }
std::string Refused(int number) { return "Card" + std::to_string(number) + Sjis(u8" は訓練デッキにいれられないようです\n"); }

std::string FifteenTimesThree()
{
    return CodeOf({{1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 3}, {8, 3}, {9, 3}, {10, 3}, {11, 3},
                   {12, 3}, {13, 3}, {14, 3}, {15, 3}});
}

}  // namespace

// Card 600 three times, the largest entry a code holds: CodeProperties.
TEST(DeckRules, AddFromCode)
{
    const struct { const char* what; int slot; Cards stock, held; std::string code, complaints;
                   Cards deckAfter, stockAfter; int cardsAfter; } cases[] = {
        {"deck 50 is still a normal deck and draws on the stock", 49, {{10, 2}, {11, 0}}, {},
         CodeOf({{10, 3}, {11, 1}}), Short(10) + Short(11), {{10, 2}, {11, 0}}, {{10, 0}}, 2},
        {"copies held count toward the wanted number", 49, {{12, 3}}, {{12, 3}}, CodeOf({{12, 2}}), "",
         {{12, 3}}, {{12, 3}}, 3},
        {"a card named twice is served twice", 0, {{20, 0}}, {}, CodeOf({{20, 3}, {20, 1}}), Short(20) + Short(20),
         {{20, 0}}, {}, 0},
        {"the larger count named wins", 0, {{20, 2}}, {}, CodeOf({{20, 1}, {20, 3}}), Short(20), {{20, 2}},
         {{20, 0}}, 2},
        {"training decks check the exclusions, not the stock", 50, {{1, 0}, {98, 5}}, {},
         CodeOf({{1, 3}, {98, 2}, {99, 1}, {101, 1}}), Refused(98) + Refused(99), {{1, 3}, {98, 0}, {101, 1}},
         {{1, 0}, {98, 5}}, 4},
        {"the 40-card limit cuts the highest cards silently", 52, {}, {}, FifteenTimesThree(), "",
         {{13, 3}, {14, 1}, {15, 0}}, {}, 40},
        {"the limit comes before a missing copy", 3,
         {{1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 3}, {8, 3}, {9, 3}, {10, 3}, {11, 3}, {12, 3},
          {13, 3}, {14, 3}, {15, 0}},
         {}, FifteenTimesThree(), "", {{14, 1}}, {{14, 2}}, 40},
    };
    for (const auto& c : cases) {
        GameFolder game;
        for (auto [number, count] : c.stock) {
            game.saveFile.stock[number - 1] = static_cast<std::uint8_t>(count);
        }
        for (auto [number, copies] : c.held) {
            game.saveFile.Add(c.slot, number, copies);
        }
        SaveData& data = game.Load();
        EXPECT_EQ(AddFromCode(data, c.slot, c.code), c.complaints) << c.what;
        for (auto [number, copies] : c.deckAfter) {
            EXPECT_EQ(data.Deck(c.slot).Counts()[number - 1], copies) << c.what << ": card " << number;
        }
        for (auto [number, count] : c.stockAfter) {
            EXPECT_EQ(data.Stock(number - 1), count) << c.what << ": stock of card " << number;
        }
        EXPECT_EQ(data.Deck(c.slot).CardCount(), c.cardsAfter) << c.what;
    }
}

// The whole table, not a sample: a training deck refuses exactly these cards.
TEST(DeckRules, TrainingDecksRefuseExactlyTheExcludedCards)
{
    std::vector<int> refused;
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        if (!CardCatalogue::IsAllowedInTrainingDeck(i)) {
            refused.push_back(i + 1);
        }
    }
    EXPECT_EQ(refused, (std::vector<int>{98, 99, 100, 137, 212, 249, 250, 288, 317, 318, 345, 346, 347, 348,
                                         349, 350, 351, 352, 353, 363, 365, 366, 398, 399, 400, 426, 432, 459,
                                         460, 462, 463, 469, 472, 477, 504, 505, 506, 541, 548, 549, 550, 588}));
}
