// Exact codes for known decks, and what the decoder makes of odd texts (the
// fuzz target checks the round trip and a pairwise reading on any text).
#include "deckcode/DazoRozi.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<std::pair<int, int>>;  // (card index, copies)

}  // namespace

TEST(DazoRozi, Encode)
{
    const struct {
        Entries counts;
        const char* code;
    } cases[] = {
        {{}, "0"},
        {{{0, 1}}, "000"},
        {{{599, 3}}, "0t1"},
        {{{6, 2}, {599, 3}}, "00jt1"},  // 6*3+1 = 19: "0j"; ascending card order
        // More copies than a code can carry are written as three, never as another card.
        {{{6, 7}, {599, 3}}, "00kt1"},
    };
    for (const auto& c : cases) {
        std::uint8_t counts[600] = {};
        for (auto [index, copies] : c.counts) {
            counts[index] = static_cast<std::uint8_t>(copies);
        }
        EXPECT_EQ(encode(counts), c.code);
    }
}

TEST(DazoRozi, Decode)
{
    const struct {
        std::string text;
        Entries entries;
        bool valid;
    } cases[] = {
        {"", {}, true},
        {"0", {}, true},
        {"X00", {{0, 1}}, true},                   // the first character is never read
        {"000t", {{0, 1}}, true},                  // an unpaired last character is dropped
        {"0t100", {{0, 1}, {599, 3}}, true},       // sorted
        {"0020000", {{0, 1}, {0, 1}, {0, 3}}, true},
        {"0t2ZZ01", {{0, 2}}, true},               // "t2" is 1800 and "ZZ" 3843: past the 600 cards
        {"0-101", {{0, 2}}, false},                // a group with a character outside the alphabet
        {std::string("0\xff" "101", 5), {{0, 2}}, false},
        {std::string("00\0", 3), {}, false},
    };
    for (const auto& c : cases) {
        Entries entries;
        for (DecodedCode d = decode(c.text); d.current_count() != 0; d.advance()) {
            entries.emplace_back(d.current_card(), d.current_count());
        }
        EXPECT_EQ(entries, c.entries) << c.text;
        EXPECT_EQ(IsValidCodeText(c.text), c.valid) << c.text;
    }
}
