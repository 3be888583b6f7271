// The browser dialog's handlers, through the test view and a fake control.
#include "Fakes.h"

#include "browser/BrowserMessages.h"

#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Dialog {
    TestView view;
    FakeBrowserControl control;
    CBrowser browser;

    Dialog() { browser.Attach(&view, &control); }
};

bool Overlap(const ViewRect& a, const ViewRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

// As bytes: a folder name that is not code page 932, nor even UTF-8.
TEST(BrowserDialog, PagePathIsTheWholeWorkingFolderAsTheFileSystemNamesIt)
{
    Workspace ws;
    std::string expected = ws.WorkDir() + "/caf\xe9";
    ASSERT_EQ(mkdir("caf\xe9", 0755), 0);
    ASSERT_EQ(chdir("caf\xe9"), 0);
    const std::string part(200, 'd');
    for (int i = 0; i < 12; ++i) {  // well beyond 2048 bytes
        ASSERT_EQ(mkdir(part.c_str(), 0755), 0);
        ASSERT_EQ(chdir(part.c_str()), 0);
        expected += "/" + part;
    }
    Dialog d;
    d.browser.Create(nullptr);
    ASSERT_EQ(chdir(ws.WorkDir().c_str()), 0);
    EXPECT_EQ(d.control.urls, std::vector<std::string>{expected + "/deckmaker.htm"});
    EXPECT_FALSE(d.view.IsWindowVisible());
}

// Wholly on the desktop, and beside its owner wherever one side has room.
// (An owner with room on its right is in tests/e2e.)
TEST(BrowserDialog, PlacedBesideItsOwnerAndWhollyOnTheDesktop)
{
    const struct {
        ViewRect desktop, owner;
        bool roomBeside;
    } cases[] = {
        {{0, 0, 1920, 1080}, {100, 200, 550, 504}, true},  // an owner wider than the usual offset
        {{0, 0, 1280, 1024}, {800, 100, 1135, 404}, true},  // room on the left only
        {{0, 0, 1024, 768}, {344, 232, 679, 536}, false},
        {{0, 0, 1024, 600}, {0, 0, 335, 304}, true},        // taller than the desktop
        {{0, 0, 600, 800}, {0, 0, 335, 304}, false},        // wider than the desktop
        {{0, 0, 1024, 768}, {}, false},                     // no owner
    };
    for (const auto& c : cases) {
        const ViewRect placed = CBrowser::Placement({100, 50, 700, 900}, c.desktop, c.owner);
        const std::string where = std::to_string(c.owner.left) + " on " + std::to_string(c.desktop.right);
        EXPECT_TRUE(placed.left >= c.desktop.left && placed.right <= c.desktop.right && placed.top >= c.desktop.top &&
                    placed.bottom <= c.desktop.bottom)
            << where;
        EXPECT_GT(placed.Width(), 300) << where;
        EXPECT_GT(placed.Height(), 500) << where;
        if (c.roomBeside) {
            EXPECT_FALSE(Overlap(placed, c.owner)) << where;
        }
    }
}

// (ok and cancel hide the window, and ok uses the code: the Edit tab's tests
// in tests/app.)
TEST(BrowserDialog, OnlyCodesAreCapturedAndKeptUntilTheNextHandOver)
{
    Dialog d;
    for (const std::string text : {"0a1b2", "", "file:///home/player/deck.htm", "Loading...", " 0zz"}) {
        d.control.Status(text);
    }
    d.control.Status(Sjis(u8"読み込み中"));
    EXPECT_EQ(d.browser.explorer.capturedCode, "0a1b2");
    d.control.Status("0zz\n");
    // Hiding and showing keep it; a new hand-over is answered anew.
    d.browser.ShowWindow(true);
    d.browser.ShowWindow(false);
    EXPECT_EQ(d.browser.explorer.capturedCode, "0zz\n");
    d.browser.ShowDeckInPage("0");
    EXPECT_EQ(d.browser.explorer.capturedCode, "");
}

TEST(BrowserMessages, AnyBytesArriveWholeHoweverThePipeSplitsThem)
{
    const std::vector<BrowserMessage> sent{
        {"status", "0a1b"}, {"caption", Sjis(u8"炎のデッキ") + "\r\n\0x"}, {"ok", ""}, {"move", "-10 0 615 752"}};
    std::string stream;
    for (const BrowserMessage& m : sent) {
        AppendMessage(stream, m.name, m.text);
    }
    for (const std::size_t piece : {stream.size(), std::size_t{1}, std::size_t{7}}) {
        MessageReader reader;
        std::vector<BrowserMessage> got;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            reader.Feed(stream.data() + at, std::min(piece, stream.size() - at));
            for (BrowserMessage m; reader.Next(m);) {
                got.push_back(m);
            }
        }
        ASSERT_EQ(got.size(), sent.size()) << piece;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(got[i].name, sent[i].name);
            EXPECT_EQ(got[i].text, sent[i].text);
        }
    }
    // A stream that is not ours stops the reader for good.
    for (const std::string& bad : std::vector<std::string>{"ok\n", "ok -1\n", "ok 1x\n", " 1\nx", "ok 99999999999\n", std::string(80, 'a')}) {
        MessageReader reader;
        reader.Feed(bad.data(), bad.size());
        BrowserMessage m;
        EXPECT_FALSE(reader.Next(m)) << bad;
        EXPECT_TRUE(reader.Broken()) << bad;
    }

    std::vector<long long> n;
    EXPECT_TRUE(ParseNumbers("-10 0 615", n));
    EXPECT_EQ(n, (std::vector<long long>{-10, 0, 615}));
    for (const std::string bad : {"1  2", "1 ", "-", "1a", " 1"}) {
        EXPECT_FALSE(ParseNumbers(bad, n)) << bad;
    }
}
