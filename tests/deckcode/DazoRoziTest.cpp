#include "deckcode/DazoRozi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

std::vector<std::pair<int, int>> Entries(const std::string& code)
{
    std::vector<std::pair<int, int>> out;
    for (DecodedCode d = decode(code); d.current_count() != 0; d.advance()) {
        out.emplace_back(d.current_card(), d.current_count());
    }
    return out;
}

using E = std::vector<std::pair<int, int>>;

}  // namespace

TEST(DazoRozi, EncodesCardsInAscendingOrder)
{
    std::uint8_t counts[600] = {};
    EXPECT_EQ(encode(counts), "0");
    counts[0] = 1;
    EXPECT_EQ(encode(counts), "000");
    counts[0] = 0;
    counts[599] = 3;
    EXPECT_EQ(encode(counts), "0t1");
    counts[6] = 2;  // 6*3+1 = 19 -> "0j"
    EXPECT_EQ(encode(counts), "00j" "t1");
    // More copies than a code can carry are written as three, never as another card.
    counts[6] = 7;
    EXPECT_EQ(encode(counts), "00k" "t1");
}

TEST(DazoRozi, DecodeReadsPairsAfterTheFirstCharacter)
{
    EXPECT_EQ(Entries(""), E{});
    EXPECT_EQ(Entries("0"), E{});
    EXPECT_EQ(Entries("X00"), (E{{0, 1}}));
    EXPECT_EQ(Entries("000t"), (E{{0, 1}}));          // unpaired last character dropped
    EXPECT_EQ(Entries("0t100"), (E{{0, 1}, {599, 3}}));  // sorted
    EXPECT_EQ(Entries("0020000"), (E{{0, 1}, {0, 1}, {0, 3}}));
}

TEST(DazoRozi, DecodeSkipsWhatCannotBeACard)
{
    // "t2" is 1800 (card index 600) and "ZZ" 3843: outside the 600 cards.
    EXPECT_EQ(Entries("0t2ZZ01"), (E{{0, 2}}));
    // A group with a character outside the alphabet is skipped whole.
    EXPECT_EQ(Entries("0-101"), (E{{0, 2}}));
    EXPECT_EQ(Entries(std::string("0\xff" "101", 6)), (E{{0, 2}}));
    EXPECT_FALSE(IsValidCodeText("0-1"));
    EXPECT_TRUE(IsValidCodeText("-01"));  // the first character is never read
    EXPECT_TRUE(IsValidCodeText(""));
    EXPECT_FALSE(IsValidCodeText(std::string("00\0", 3)));
}

TEST(DazoRozi, RandomDecksRoundTrip)
{
    std::mt19937 random(20261206);
    for (int round = 0; round < 2000; ++round) {
        std::uint8_t counts[600] = {};
        int total = 0;
        const int distinct = static_cast<int>(random() % 41);
        for (int k = 0; k < distinct && total < 40; ++k) {
            const int card = static_cast<int>(random() % 600);
            const int copies = 1 + static_cast<int>(random() % 3);
            total += copies - counts[card];
            counts[card] = static_cast<std::uint8_t>(copies);
        }
        const std::string code = encode(counts);
        std::uint8_t back[600] = {};
        for (DecodedCode d = decode(code); d.current_count() != 0; d.advance()) {
            ASSERT_EQ(back[d.current_card()], 0) << code;
            back[d.current_card()] = static_cast<std::uint8_t>(d.current_count());
        }
        ASSERT_EQ(0, std::memcmp(counts, back, sizeof counts)) << code;
        ASSERT_EQ(code.size() % 2, 1u);
    }
}
