// The browser dialog's window logic, through a fake window and control.
#include "Fakes.h"

#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Dialog {
    FakeBrowserView view;
    FakeBrowserControl control;
    CBrowser browser;

    Dialog()
    {
        browser.Attach(&view, &control);
    }
};

ViewRect PlacedFrom(const ViewRect& window, const ViewRect& desktop)
{
    Dialog d;
    d.view.window = window;
    d.view.desktop = desktop;
    d.browser.Create(nullptr);
    EXPECT_EQ(d.view.moves.size(), 1u);
    return d.view.window;
}

}  // namespace

TEST(BrowserDialog, CreationRequestsThePageFromTheWorkingFolderAndStaysHidden)
{
    Workspace ws;
    Dialog d;
    d.browser.Create(nullptr);
    ASSERT_EQ(d.control.urls.size(), 1u);
    EXPECT_EQ(d.control.urls[0], ws.WorkDir() + "/deckmaker.htm");
    EXPECT_FALSE(d.view.visible);
    EXPECT_EQ(d.view.icon, 134);
    EXPECT_EQ(d.view.caption, "Dialog");
    EXPECT_TRUE(d.browser.OnInitDialog());
}

TEST(BrowserDialog, PagePathOfAJapaneseFolderIsCodePage932)
{
    Workspace ws;
    const std::string folder = u8"デッキ編集";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    Dialog d;
    d.browser.Create(nullptr);
    ASSERT_EQ(chdir(".."), 0);
    ASSERT_EQ(d.control.urls.size(), 1u);
    EXPECT_EQ(d.control.urls[0], ws.WorkDir() + "/" + Sjis(folder) + "/deckmaker.htm");
}

TEST(BrowserDialog, DeepWorkingFolderStillGivesTheWholePath)
{
    Workspace ws;
    std::string expected = ws.WorkDir();
    const std::string part(200, 'd');
    for (int i = 0; i < 12; ++i) {  // well beyond 2048 bytes
        ASSERT_EQ(mkdir(part.c_str(), 0755), 0);
        ASSERT_EQ(chdir(part.c_str()), 0);
        expected += "/" + part;
    }
    Dialog d;
    d.browser.Create(nullptr);
    ASSERT_EQ(chdir(ws.WorkDir().c_str()), 0);
    ASSERT_EQ(d.control.urls.size(), 1u);
    EXPECT_GT(expected.size(), 2048u);
    EXPECT_EQ(d.control.urls[0], expected + "/deckmaker.htm");
}

TEST(BrowserDialog, PlacementMakesTheWindow625WideAndMovesIt390Right)
{
    EXPECT_TRUE(SameRect(PlacedFrom({0, 0, 600, 752}, {0, 0, 1920, 1080}), {390, 0, 1015, 752}));
    EXPECT_TRUE(SameRect(PlacedFrom({30, 20, 630, 500}, {0, 0, 1280, 1024}), {420, 20, 1045, 500}));
}

TEST(BrowserDialog, PlacementFitsAWindowTallerThanTheDesktop)
{
    EXPECT_TRUE(SameRect(PlacedFrom({100, 50, 700, 900}, {0, 0, 1024, 768}), {490, 0, 1115, 743}));
    // Exactly as tall as the desktop is not taller.
    EXPECT_TRUE(SameRect(PlacedFrom({0, 10, 600, 778}, {0, 0, 1024, 768}), {390, 10, 1015, 778}));
    EXPECT_TRUE(SameRect(PlacedFrom({0, 70, 600, 900}, {0, 40, 1024, 808}), {390, 40, 1015, 783}));
}

TEST(BrowserDialog, PlacementMakesAWindowWiderThanTheDesktop350Wide)
{
    EXPECT_TRUE(SameRect(PlacedFrom({40, 30, 640, 500}, {0, 0, 600, 800}), {390, 30, 740, 500}));
    EXPECT_TRUE(SameRect(PlacedFrom({40, 30, 640, 500}, {0, 0, 625, 800}), {430, 30, 1055, 500}));
    // Both at once, on a desktop that does not start at 0.
    EXPECT_TRUE(SameRect(PlacedFrom({10, 10, 610, 762}, {5, 8, 505, 408}), {395, 8, 745, 383}));
}

TEST(BrowserDialog, SizingMovesToTheProposedRectangleAndSizeFillsTheClientArea)
{
    Dialog d;
    ViewRect proposed{12, 34, 712, 634};
    d.browser.OnSizing(proposed);
    ASSERT_EQ(d.view.moves.size(), 1u);
    EXPECT_TRUE(SameRect(d.view.moves[0], {12, 34, 712, 634}));
    d.browser.OnSize(690, 571);
    EXPECT_EQ(d.control.width, 690);
    EXPECT_EQ(d.control.height, 571);
}

TEST(BrowserDialog, EnterAndEscapeAreSwallowedOtherKeysPass)
{
    CBrowser browser;
    EXPECT_TRUE(browser.PreTranslateMessage(13));
    EXPECT_TRUE(browser.PreTranslateMessage(27));
    for (int key : {0, 8, 9, 32, 46, 65, 48, 12, 14, 26, 28}) {
        EXPECT_FALSE(browser.PreTranslateMessage(key)) << key;
    }
}

TEST(BrowserDialog, CapturedCodeIsTheLastStatusTextBeginningWithZero)
{
    Dialog d;
    EXPECT_EQ(d.browser.explorer.capturedCode, "");
    d.control.Status("file:///home/player/deck.htm");
    d.control.Status("");
    EXPECT_EQ(d.browser.explorer.capturedCode, "");
    d.control.Status("0");
    EXPECT_EQ(d.browser.explorer.capturedCode, "0");
    d.control.Status("0a1b2");
    d.control.Status("");
    d.control.Status("Loading...");
    d.control.Status(" 0zz");
    d.control.Status(Sjis(u8"読み込み中"));
    EXPECT_EQ(d.browser.explorer.capturedCode, "0a1b2");
    d.control.Status("0zz\n");
    EXPECT_EQ(d.browser.explorer.capturedCode, "0zz\n");
    // Hiding, showing and a new hand-over keep it.
    d.browser.ShowDeckInPage("0");
    d.browser.ShowWindow(true);
    d.browser.ShowWindow(false);
    EXPECT_EQ(d.browser.explorer.capturedCode, "0zz\n");
}

TEST(BrowserDialog, HandOverIsOneJavascriptUrl)
{
    Dialog d;
    d.browser.ShowDeckInPage("01a3Zt1");
    d.browser.ShowDeckInPage("0");
    d.browser.RunScript("alert(1)");
    ASSERT_EQ(d.control.urls.size(), 3u);
    EXPECT_EQ(d.control.urls[0], "javascript:demaid(deck, '01a3Zt1');eval();");
    EXPECT_EQ(d.control.urls[1], "javascript:demaid(deck, '0');eval();");
    EXPECT_EQ(d.control.urls[2], "javascript:alert(1);eval();");
}

TEST(BrowserDialog, OkAndCancelHideTheWindowWithTheirEndings)
{
    Dialog d;
    d.browser.Create(nullptr);
    d.browser.ShowWindow(true);
    d.browser.OnBrowserOk();
    EXPECT_FALSE(d.view.visible);
    d.browser.ShowWindow(true);
    d.browser.OnBrowserCancel();
    EXPECT_FALSE(d.view.visible);
    EXPECT_EQ(d.view.endings, (std::vector<int>{IDOK, IDCANCEL}));
}
