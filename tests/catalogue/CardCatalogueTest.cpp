#include "catalogue/CardCatalogue.h"

#include "savedata/SaveData.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

CardCatalogue Read(const std::string& text)
{
    std::istringstream in(text);
    return CardCatalogue(in);
}

void ExpectUntouched(const CardCatalogue& c, int index)
{
    EXPECT_EQ(c.GetName(index), "unknown");
    EXPECT_EQ(c.GetSpecial(index), "unknown");
    EXPECT_EQ(c.attribute[index], "unknown");
    EXPECT_EQ(c.race[index], "unknown");
    EXPECT_EQ(c.GetApText(index), "0");
    EXPECT_EQ(c.GetDpText(index), "0");
    EXPECT_EQ(c.GetCpText(index), "0");
}

}  // namespace

TEST(CardCatalogue, MissingOrEmptyFileLeavesEveryCardUnknown)
{
    Workspace ws;
    CardCatalogue missing;  // no list.xml in the working folder
    ws.Put("list.xml", "");
    CardCatalogue empty;
    for (int i : {0, 299, 599}) {
        ExpectUntouched(missing, i);
        ExpectUntouched(empty, i);
    }
}

TEST(CardCatalogue, ReadsFieldsOfTheLatestCardNumber)
{
    const std::string name = Sjis(u8"炎の竜");
    CardCatalogue c = Read("<no>3</no>\n<name>" + name + "</name>\n<ap>1200</ap>\n");
    EXPECT_EQ(c.GetName(2), name);
    EXPECT_EQ(c.GetApText(2), "1200");
    EXPECT_EQ(c.GetDpText(2), "0");
    EXPECT_EQ(c.race[2], "unknown");
    ExpectUntouched(c, 0);
    ExpectUntouched(c, 3);
}

TEST(CardCatalogue, WordRules)
{
    CardCatalogue c = Read(
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
        "<no>11</no>\n<NAME>upper</NAME>\n<name attr=\"1\">z</name>\n");
    EXPECT_EQ(c.GetName(0), "first");
    EXPECT_EQ(c.GetName(1), "open-ended");
    EXPECT_EQ(c.GetName(2), "");
    EXPECT_EQ(c.GetApText(3), "0");
    EXPECT_EQ(c.GetName(4), "two");
    EXPECT_EQ(c.GetName(5), "late</name>");
    EXPECT_EQ(c.GetApText(6), "4294967291");
    EXPECT_EQ(c.GetDpText(6), "12");
    EXPECT_EQ(c.GetCpText(6), "0");
    EXPECT_EQ(c.GetApText(7), "2147483647");  // saturates
    EXPECT_EQ(c.GetDpText(7), "2147483648");  // -2147483648 as unsigned
    EXPECT_EQ(c.GetName(8), "b");
    EXPECT_EQ(c.race[8], "r");
    EXPECT_EQ(c.GetName(9), "y");
    EXPECT_EQ(c.GetSpecial(9), "unknown");
    EXPECT_EQ(c.GetName(10), "unknown");
}

TEST(CardCatalogue, FieldsAfterAnInvalidNumberAreDropped)
{
    CardCatalogue c = Read(
        "<no>1</no>\n<name>one</name>\n"
        "<no>0</no>\n<name>zero</name>\n"
        "<no>601</no>\n<name>big</name>\n<ap>5</ap>\n"
        "<no>-3</no>\n<name>negative</name>\n"
        "<no>abc</no>\n<name>text</name>\n"
        "<no>99999999999</no>\n<name>huge</name>\n"
        "<no>600</no>\n<name>last</name>\n");
    EXPECT_EQ(c.GetName(0), "one");
    EXPECT_EQ(c.GetApText(0), "0");
    EXPECT_EQ(c.GetName(599), "last");
    for (int i = 1; i < 599; ++i) {
        ASSERT_EQ(c.GetName(i), "unknown") << i;
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
