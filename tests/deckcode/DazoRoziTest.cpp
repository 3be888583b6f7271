// Exact codes of known decks are in the export golden files and the
// command-line listing; the fuzz target checks the decoder against a pairwise
// reading on any text (its seeds hold the odd cases) and the round trip.
#include "deckcode/DazoRozi.h"

#include <gtest/gtest.h>

TEST(DazoRozi, MoreCopiesThanACodeCarriesAreWrittenAsThreeNeverAsAnotherCard)
{
    std::uint8_t counts[600] = {};
    counts[6] = 7;
    counts[599] = 3;
    EXPECT_EQ(encode(counts), "00kt1");  // 6*3+2 = 20: "0k"
    // and read back, up to the largest entry there is: card 600 three times.
    DecodedCode decoded = decode("00kt1");
    std::vector<std::pair<int, int>> read;
    for (; decoded.current_count() != 0; decoded.advance()) {
        read.emplace_back(decoded.current_card(), decoded.current_count());
    }
    EXPECT_EQ(read, (std::vector<std::pair<int, int>>{{6, 3}, {599, 3}}));
}
