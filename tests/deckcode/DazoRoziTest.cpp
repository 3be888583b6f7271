// Exact codes of known decks are in the export golden files and the
// command-line listing; what holds for any deck and any text is in
// tests/properties (CodeProperties).
#include "deckcode/DazoRozi.h"

#include <gtest/gtest.h>

TEST(DazoRozi, MoreCopiesThanACodeCarriesAreWrittenAsThreeNeverAsAnotherCard)
{
    std::uint8_t counts[600] = {};
    counts[6] = 7;
    counts[599] = 3;
    EXPECT_EQ(encode(counts), "00kt1");  // 6*3+2 = 20: "0k"
}
