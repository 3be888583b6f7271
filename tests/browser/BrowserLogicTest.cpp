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

std::vector<long> Sides(const ViewRect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

TEST(BrowserDialog, PagePathIsTheWholeWorkingFolderInCodePage932)
{
    Workspace ws;
    std::string expected = ws.WorkDir() + "/" + Sjis(u8"デッキ編集");
    ASSERT_EQ(mkdir(u8"デッキ編集", 0755), 0);
    ASSERT_EQ(chdir(u8"デッキ編集"), 0);
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

TEST(BrowserDialog, PlacedBesideItsOwnerAndWhollyOnTheDesktop)
{
    struct Case {
        ViewRect window, desktop, owner, placed;
    } cases[] = {
        // Starts at the owner's corner, 625 wide, 390 to the right.
        {{0, 0, 600, 752}, {0, 0, 1920, 1080}, {100, 200, 435, 504}, {490, 200, 1115, 952}},
        // An owner wider than 390 px is not covered.
        {{0, 0, 600, 752}, {0, 0, 1920, 1080}, {100, 200, 550, 504}, {550, 200, 1175, 952}},
        // No room on the right, more on the left.
        {{0, 0, 600, 752}, {0, 0, 1280, 1024}, {800, 100, 1135, 404}, {175, 100, 800, 852}},
        // Room on neither side: the right, pulled onto the desktop.
        {{0, 0, 600, 752}, {0, 0, 1024, 768}, {344, 232, 679, 536}, {399, 16, 1024, 768}},
        // Taller than the desktop: its height less 25.
        {{0, 0, 600, 752}, {0, 0, 1024, 600}, {0, 0, 335, 304}, {390, 0, 1015, 575}},
        // Wider than the desktop: 350 wide.
        {{0, 0, 600, 752}, {0, 0, 600, 800}, {0, 0, 335, 304}, {250, 0, 600, 752}},
        // No owner: from the window's own corner.
        {{30, 20, 630, 500}, {0, 0, 1280, 1024}, {}, {420, 20, 1045, 500}},
        {{100, 50, 700, 900}, {0, 0, 1024, 768}, {}, {399, 0, 1024, 743}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sides(CBrowser::Placement(c.window, c.desktop, c.owner)), Sides(c.placed))
            << c.owner.left << "," << c.owner.top << " on " << c.desktop.right << "x" << c.desktop.bottom;
    }

    // Creation places the window by its owner's window.
    struct Owner : BrowserOwner {
        void OnBrowserCode(const std::string&) override {}
        void OnBrowserCancelled() override {}
        ViewRect OwnerWindowRect() const override { return {100, 200, 435, 504}; }
    } owner;
    Dialog d;
    d.view.windowRect = {0, 0, 600, 752};
    d.view.desktopRect = {0, 0, 1920, 1080};
    d.browser.Create(&owner);
    EXPECT_EQ(Sides(d.view.windowRect), Sides(cases[0].placed));
}

TEST(BrowserDialog, SizingKeysAndTheOkAndCancelEndings)
{
    Dialog d;
    ViewRect proposed{12, 34, 712, 634};
    d.browser.OnSizing(proposed);
    EXPECT_EQ(Sides(d.view.windowRect), Sides(proposed));
    d.browser.OnSize(690, 571);
    EXPECT_EQ(d.control.width, 690);
    EXPECT_EQ(d.control.height, 571);

    EXPECT_TRUE(d.browser.PreTranslateMessage(13));
    EXPECT_TRUE(d.browser.PreTranslateMessage(27));
    for (int key : {0, 9, 12, 14, 26, 28, 32, 65}) {
        EXPECT_FALSE(d.browser.PreTranslateMessage(key)) << key;
    }

    d.browser.ShowWindow(true);
    d.browser.OnBrowserOk();
    EXPECT_FALSE(d.view.IsWindowVisible());
    EXPECT_EQ(d.view.endResult, IDOK);
    d.browser.ShowWindow(true);
    d.browser.OnBrowserCancel();
    EXPECT_FALSE(d.view.IsWindowVisible());
    EXPECT_EQ(d.view.endResult, IDCANCEL);
}

TEST(BrowserDialog, HandOverIsOneJavascriptUrlAndOnlyCodesAreCaptured)
{
    Dialog d;
    d.browser.ShowDeckInPage("01a3Zt1");
    d.browser.RunScript("alert(1)");
    EXPECT_EQ(d.control.urls, (std::vector<std::string>{"javascript:demaid(deck, '01a3Zt1');eval();",
                                                        "javascript:alert(1);eval();"}));

    EXPECT_EQ(d.browser.explorer.capturedCode, "");
    for (const std::string text : {"0a1b2", "", "file:///home/player/deck.htm", "Loading...", " 0zz"}) {
        d.control.Status(text);
    }
    d.control.Status(Sjis(u8"読み込み中"));
    EXPECT_EQ(d.browser.explorer.capturedCode, "0a1b2");
    d.control.Status("0zz\n");
    // Hiding, showing and a new hand-over keep it.
    d.browser.ShowDeckInPage("0");
    d.browser.ShowWindow(true);
    d.browser.ShowWindow(false);
    EXPECT_EQ(d.browser.explorer.capturedCode, "0zz\n");
}

TEST(BrowserDialog, AWindowMadeLaterIsInitialisedEachTimeItExists)
{
    Dialog d;
    d.browser.Attach(&d.view, &d.control, true);
    d.browser.Create(nullptr);
    EXPECT_TRUE(d.control.urls.empty());
    d.view.windowRect = {0, 0, 600, 752};
    d.browser.OnWindowCreated();
    ASSERT_EQ(d.control.urls.size(), 1u);
    EXPECT_EQ(d.control.urls[0].substr(d.control.urls[0].size() - 14), "/deckmaker.htm");
    EXPECT_EQ(Sides(d.view.windowRect), (std::vector<long>{390, 0, 1015, 752}));
    EXPECT_EQ(d.view.icon, CBrowser::kIcon);
    // A window made anew (its process started again) loads the page again.
    d.browser.OnWindowCreated();
    EXPECT_EQ(d.control.urls, std::vector<std::string>(2, d.control.urls[0]));
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
