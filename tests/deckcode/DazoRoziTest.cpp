// Exact codes for known decks. The fuzz target checks the decoder against a
// pairwise reading on any text (its seeds hold the odd cases) and the round trip.
#include "deckcode/DazoRozi.h"

#include <gtest/gtest.h>

TEST(DazoRozi, Encode)
{
    const struct {
        std::vector<std::pair<int, int>> counts;  // (card index, copies)
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
