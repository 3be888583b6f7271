// The browser dialog's handlers, through the test view and a fake control.
#include "Fakes.h"

#include "support/Cp932.h"

#include <gtest/gtest.h>

namespace {

bool Overlap(const ViewRect& a, const ViewRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

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
        if (c.desktop.bottom == 600) {  // taller than the desktop: its height less 25
            EXPECT_EQ(placed.Height(), 575);
        }
        if (c.roomBeside) {
            EXPECT_FALSE(Overlap(placed, c.owner)) << where;
        }
    }
}

// (ok and cancel hide the window, and ok uses the code: the Edit tab's tests
// in tests/app.)
TEST(BrowserDialog, OnlyCodesAreCapturedAndKeptUntilTheNextHandOver)
{
    TestView view;
    FakeBrowserControl page;
    CBrowser browser{GamePaths()};
    browser.Attach(&view, &page);
    for (const std::string text : {"0a1b2", "", "file:///home/player/deck.htm", "Loading...", " 0zz"}) {
        page.Status(text);
    }
    page.Status(Sjis(u8"読み込み中"));
    EXPECT_EQ(browser.explorer.capturedCode, "0a1b2");
    page.Status("0zz\n");
    // Hiding and showing keep it; a new hand-over is answered anew.
    browser.ShowWindow(true);
    browser.ShowWindow(false);
    EXPECT_EQ(browser.explorer.capturedCode, "0zz\n");
    browser.ShowDeckInPage("0");
    EXPECT_EQ(browser.explorer.capturedCode, "");
}
