// Which list.xml each part of the program reads, and when. The reading rules
// themselves are checked by fuzz/fuzz_catalogue against a plain reading, on
// its committed inputs in every sanitizer build.
#include "catalogue/CardCatalogue.h"

#include "savedata/SaveData.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

TEST(CardCatalogue, TheSaveDataReadsListXmlOnceForItsDecksAndALaterCatalogueReadsItAgain)
{
    Workspace ws;
    ws.Put("list.xml", "<no>600</no>\r\n<name>" + Sjis(u8"終わりの札") + "</name>\r\n<cp>7</cp>");
    ws.Put(ws.SavePath(), SaveFileBuilder().Bytes());
    const SaveData data(ws.Paths());
    EXPECT_EQ(data.Catalogue().GetName(599), Sjis(u8"終わりの札"));
    EXPECT_EQ(data.Catalogue().GetCpText(599), "7");  // the last word needs no line break after it
    for (int s = 0; s < SaveData::kDecks; ++s) {
        ASSERT_EQ(&data.Deck(s).Catalogue(), &data.Catalogue()) << s;
    }
    // The exporter's catalogue, made later, reads a list changed since.
    ws.Put("list.xml", "<no>600</no>\n<name>new</name>\n");
    const CardCatalogue later(ws.Paths().CardList());
    EXPECT_EQ(later.GetName(599), "new");
    EXPECT_EQ(data.Deck(0).Catalogue().GetName(599), Sjis(u8"終わりの札"));
}

// Card numbers 1-100 are creatures and 101-150 magic cards, and so on for each 150.
TEST(CardCatalogue, MagicCardsAreTheLastFiftyOfEachHundredAndFifty)
{
    for (int number : {1, 100, 151, 250, 301, 400, 451, 550}) {
        EXPECT_FALSE(CardCatalogue::IsMagic(number - 1)) << number;
    }
    for (int number : {101, 150, 251, 300, 401, 450, 551, 600}) {
        EXPECT_TRUE(CardCatalogue::IsMagic(number - 1)) << number;
    }
}
