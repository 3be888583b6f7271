// The browser window's logic and the editor's client of it, without Qt.
#include "browser/BrowserClient.h"
#include "browser/CBrowser.h"
#include "support/Cp932.h"

#include <gtest/gtest.h>

namespace m = browsermessage;

namespace {

bool Overlap(const BrowserRect& a, const BrowserRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

// Wholly on the desktop, and beside its owner wherever one side has room.
// (An owner with room on its right is in tests/e2e.)
TEST(BrowserDialog, PlacedBesideItsOwnerAndWhollyOnTheDesktop)
{
    const struct {
        BrowserRect desktop, owner;
        bool roomBeside;
    } cases[] = {
        {{0, 0, 1920, 1080}, {100, 200, 550, 504}, true},  // an owner wider than the usual offset
        {{0, 0, 1280, 1024}, {800, 100, 1135, 404}, true},  // room on the left only
        {{0, 0, 1024, 768}, {344, 232, 679, 536}, false},
        {{0, 0, 1024, 600}, {0, 0, 335, 304}, true},        // taller than the desktop
        {{0, 0, 600, 800}, {0, 0, 335, 304}, false},        // wider than the desktop
        {{0, 0, 1024, 768}, {}, false},                     // no owner
        {{0, 0, 1024, 768}, {600, 100, 900, 100}, false},   // a frame with no height is none either
    };
    for (const auto& c : cases) {
        const BrowserRect placed = CBrowser::Placement({100, 50, 700, 900}, c.desktop, c.owner);
        const std::string where = std::to_string(c.owner.left) + " on " + std::to_string(c.desktop.right);
        EXPECT_TRUE(placed.left >= c.desktop.left && placed.right <= c.desktop.right && placed.top >= c.desktop.top &&
                    placed.bottom <= c.desktop.bottom)
            << where;
        EXPECT_GT(placed.Width(), 300) << where;
        EXPECT_GT(placed.Height(), 500) << where;
        if (c.desktop.bottom == 600) {  // taller than the desktop: its height less 25
            EXPECT_EQ(placed.Height(), 575);
        }
        if (c.roomBeside) {
            EXPECT_FALSE(Overlap(placed, c.owner)) << where;
        }
        if (c.owner.Width() <= 0 || c.owner.Height() <= 0) {
            EXPECT_EQ(placed, CBrowser::Placement({100, 50, 700, 900}, c.desktop, {})) << where;
        }
    }
}

// ok sends the last code the page reported since the hand-over, once.
TEST(BrowserDialog, OnlyCodesAreCapturedAndOkTakesTheLastOnceUntilTheNextHandOver)
{
    CBrowser browser;
    for (const std::string text : {"0a1b2", "", "file:///home/player/deck.htm", "Loading...", " 0zz"}) {
        browser.OnStatusTextChange(text);
    }
    browser.OnStatusTextChange(Sjis(u8"読み込み中"));
    EXPECT_EQ(browser.TakeCode(), "0a1b2");
    EXPECT_EQ(browser.TakeCode(), "");
    browser.OnStatusTextChange("0zz\n");
    OpenRequest request;
    request.code = "0";
    browser.HandOver(request);
    EXPECT_EQ(browser.TakeCode(), "");
}

// The page is given the collection (or null) before the deck; bytes that no
// code holds are escaped, never closing the script's string.
TEST(BrowserDialog, HandOverGivesTheCollectionThenTheDeck)
{
    const struct {
        std::string code, collection, script;
    } cases[] = {
        {"0aZ9", "", "try { if (typeof deckstock == 'function') deckstock(null); } catch (e) {}\n"
                     "demaid(deck, '0aZ9')"},
        {"0'\\\n", "{\"kind\":\"normal\",\"cards\":[1,'x']}",
         "try { if (typeof deckstock == 'function') deckstock(JSON.parse('\\x7b\\x22kind\\x22\\x3a\\x22normal\\x22"
         "\\x2c\\x22cards\\x22\\x3a\\x5b1\\x2c\\x27x\\x27\\x5d\\x7d')); } catch (e) {}\n"
         "demaid(deck, '0\\x27\\x5c\\x0a')"},
    };
    for (const auto& c : cases) {
        OpenRequest request;
        request.code = c.code;
        request.collection = c.collection;
        EXPECT_EQ(CBrowser().HandOver(request), c.script);
    }
}

// An open whose numbers are out of range, or whose lengths do not fit its
// text, is refused whole.
TEST(BrowserChannel, OpenTextsOutOfRangeAreRefused)
{
    OpenRequest request;
    for (const char* text : {"2147483648 0 0 0 0 0 0\n", "-2147483649 0 0 0 0 0 0\n", "1 0 0 0 2147483648 0 0\n",
                             "1 0 0 0 0 -1 0\n", "1 0 0 0 0 0 -1\nab", "1 0 0 0 0 2 1\nab", "1 0 0 0 0 0\n"}) {
        EXPECT_FALSE(ParseOpen(text, request)) << text;
    }
    EXPECT_TRUE(ParseOpen("2147483647 -2147483648 0 0 0 1 1\nab", request));
}

// ---------------------------------------------------------------- the client

// Each open is answered once, by ok with a code or by cancel; anything else
// from the browser answers nothing.
TEST(BrowserClient, EachOpenIsAnsweredOnce)
{
    const struct {
        std::vector<BrowserMessage> received;
        std::vector<std::string> answers;  // each code, and "cancel"
    } cases[] = {
        {{{m::kOk, "0ab"}, {m::kOk, "0cd"}, {m::kCancel, ""}}, {"0ab"}},
        {{{m::kCancel, ""}, {m::kOk, "0ab"}}, {"cancel"}},
        {{{m::kOk, ""}, {m::kReady, ""}, {"okay", "0ab"}, {m::kOk, "0cd"}}, {"0cd"}},
    };
    for (const auto& c : cases) {
        BrowserClient client{GamePaths()};
        EXPECT_EQ(client.Receive({m::kOk, "0early"}).kind, BrowserAnswer::Kind::None);  // nothing asked yet
        OpenRequest request;
        request.slot = 7;
        request.name = Sjis(u8"デッキ\n\\");
        request.code = "0ab";
        request.owner = {10, 20, 350, 320};
        EXPECT_EQ(client.Open(request), "7 10 20 350 320 " + std::to_string(request.name.size()) + " 3\n" +
                                            request.name + "0ab");
        std::vector<std::string> answers;
        for (const BrowserMessage& message : c.received) {
            const BrowserAnswer answer = client.Receive(message);
            if (answer.kind != BrowserAnswer::Kind::None) {
                answers.push_back(answer.kind == BrowserAnswer::Kind::Code ? answer.code : "cancel");
            }
        }
        EXPECT_EQ(answers, c.answers);
    }
}
