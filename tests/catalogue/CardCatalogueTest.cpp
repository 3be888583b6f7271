#include "catalogue/CardCatalogue.h"

#include "savedata/SaveData.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(CardCatalogue, ReadingRules)
{
    std::istringstream in(
        "<name>first</name>\n"                          // before any <no>: card 1
        "<no>2</no>\n<name>open-ended\n"                // no closing tag
        "<no>3</no>\n<name>\n"                          // tag alone: empty
        "<no>4</no><ap>77</ap>\n"                       // only the <no> of a joined word counts
        "<no>5</no>\n<name>two words</name>\n"          // only the first word
        "<no>6</no>\n</name>x<name>late</name>\n"       // closing tag before the opening one
        "<no>7</no>\r\n<ap>-5</ap>\r\n<dp>12abc</dp>\r\n<cp>\r\n9</cp>\r\n"
        "<no>8</no>\n<ap>99999999999</ap>\n<dp>-99999999999</dp>\n"
        "<no>9</no>\n<name>a</name>\n<name>b</name>\n<no>9</no>\n<race>r</race>\n"
        "<no>10</no>\n<special>x<name>y</name></special>\n"  // <name> is looked for first
        "<no>11</no>\n<NAME>upper</NAME>\n<name attr=\"1\">z</name>\n"
        // Fields after a number outside 1-600 belong to no card.
        "<no>0</no>\n<name>zero</name>\n<no>601</no>\n<name>big</name>\n<ap>5</ap>\n<no>-3</no>\n<name>minus</name>\n"
        "<no>abc</no>\n<name>text</name>\n<no>99999999999</no>\n<name>huge</name>\n"
        "<no>600</no>\n<name>" + Sjis(u8"終わりの札") + "</name>\n<attribute>A</attribute>\n<cp>7</cp>");
    const CardCatalogue c(in);
    const struct {
        int number;
        const char* field;
        std::string value;
    } cases[] = {
        {1, "name", "first"},         {1, "ap", "0"},
        {2, "name", "open-ended"},    {3, "name", ""},
        {4, "ap", "0"},               {5, "name", "two"},
        {6, "name", "late</name>"},   {7, "ap", "4294967291"},
        {7, "dp", "12"},              {7, "cp", "0"},
        {8, "ap", "2147483647"},      {8, "dp", "2147483648"},  // saturated; -2147483648 as unsigned
        {9, "name", "b"},             {9, "race", "r"},
        {10, "name", "y"},            {10, "special", "unknown"},
        {11, "name", "unknown"},      {11, "attribute", "unknown"},
        {12, "name", "unknown"},      {12, "ap", "0"},
        {600, "name", Sjis(u8"終わりの札")}, {600, "attribute", "A"},
        {600, "cp", "7"},  // the last word needs no line break after it
    };
    for (const auto& k : cases) {
        const int i = k.number - 1;
        const std::string field = k.field;
        const std::string value = field == "name" ? c.GetName(i) : field == "special" ? c.GetSpecial(i)
                                : field == "attribute" ? c.attribute[i] : field == "race" ? c.race[i]
                                : field == "ap" ? c.GetApText(i) : field == "dp" ? c.GetDpText(i) : c.GetCpText(i);
        EXPECT_EQ(value, k.value) << "card " << k.number << " " << field;
    }
    for (int i = 11; i < 599; ++i) {
        ASSERT_EQ(c.GetName(i), "unknown") << i + 1;
    }
}

TEST(CardCatalogue, StartUpReadsListXmlOnceAndAChangedFileAgain)
{
    Workspace ws;
    ws.Put("list.xml", "<no>600</no>\r\n<name>" + Sjis(u8"終わりの札") + "</name>\r\n<cp>7</cp>");
    ws.Put(ws.SavePath(), SaveFileBuilder().Bytes());
    const SaveData data;
    const CardCatalogue window;
    EXPECT_EQ(window.GetName(599), Sjis(u8"終わりの札"));
    EXPECT_EQ(window.GetCpText(599), "7");  // the last word needs no line break after it
    for (int s = 0; s < SaveData::kDecks; ++s) {
        ASSERT_TRUE(data.Deck(s).Catalogue().SharesTableWith(window)) << s;
    }
    // The exporter's catalogue, made later, reads a list changed since.
    ws.Put("list.xml", "<no>600</no>\n<name>new</name>\n");
    const CardCatalogue later;
    EXPECT_EQ(later.GetName(599), "new");
    EXPECT_EQ(data.Deck(0).Catalogue().GetName(599), Sjis(u8"終わりの札"));
}
