// The Edit tab across the two windows: the main window's logic and the
// browser dialog's, each on a test view, with a fake web control standing in
// for the page.
#include "Fakes.h"

#include "app/CDeckEditorDlg.h"
#include "deckcode/DazoRozi.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {

constexpr int kDeleteTab = 1;
constexpr int kCreateTab = 2;
constexpr int kEditTab = 3;

std::string HandOver(const std::string& code) { return "javascript:demaid(deck, '" + code + "');eval();"; }

struct Game : ::testing::Test, GameFolder {
    TestView mainView;
    TestView browserView;
    FakeBrowserControl page;
    std::unique_ptr<CDeckEditorDlg> dlg;

    const std::string deckB = CodeOf({{30, 1}});

    void SetUp() override
    {
        saveFile.names[0] = Sjis(u8"炎のデッキ");
        saveFile.Add(0, 10, 2);
        saveFile.Add(0, 20, 1);
        saveFile.names[1] = Sjis(u8"水のデッキ");
        saveFile.Add(1, 30, 1);
        // A complete deck elsewhere, so that emptying the active deck 1 is allowed.
        saveFile.Fill(5, 100);
        WriteSaveFile();
        std::vector<int> columnA;
        for (int r = 0; r < 10; ++r) {
            columnA.push_back(IDC_RADIO_A + r);
        }
        mainView.AddRadioGroup(columnA);
        dlg = std::make_unique<CDeckEditorDlg>(mainView);
        dlg->browser.Attach(&browserView, &page);
        ASSERT_TRUE(dlg->OnInitDialog());
        page.urls.clear();
    }

    void ChooseTab(int index) { mainView.SelectTab(IDC_TAB, index); dlg->OnTabSelChange(); }
    void ChooseDeck(int row) { mainView.ClickRadio(IDC_RADIO_A + row); dlg->OnDeckRadio(row); }
    void PageReports(const std::vector<std::string>& texts)
    {
        for (const std::string& text : texts) {
            page.Status(text);
        }
    }
    std::vector<int> Counts(int slot) const
    {
        const DeckRecord& deck = dlg->saveData.Deck(slot);
        return std::vector<int>(deck.Counts(), deck.Counts() + 600);
    }
    static std::vector<int> Counts(std::initializer_list<std::pair<int, int>> cards)
    {
        std::vector<int> counts(600, 0);
        for (const auto& [number, copies] : cards) {
            counts[static_cast<std::size_t>(number - 1)] = copies;
        }
        return counts;
    }
};

}  // namespace

// The round trip itself (hand-over, ok into another deck) is in tests/e2e.
TEST_F(Game, CancelStoresNothingAndOkStoresTheLastReportedCode)
{
    ChooseTab(kEditTab);
    EXPECT_EQ(browserView.GetWindowText(), Sjis(u8"炎のデッキ"));
    mainView.TypeText(IDC_MAIDCODE, "0typed");
    const std::string edited = CodeOf({{4, 3}, {12, 1}});
    PageReports({"file:///somewhere/help.htm", edited, "", "Loading..."});
    dlg->browser.OnBrowserCancel();
    EXPECT_FALSE(browserView.IsWindowVisible());
    EXPECT_EQ(mainView.GetCurSel(IDC_TAB), kCreateTab);
    EXPECT_EQ(mainView.GetItemText(IDC_MAIDCODE), "0typed");
    EXPECT_EQ(Counts(0), Counts({{10, 2}, {20, 1}}));
    EXPECT_TRUE(mainView.messages.empty());

    // Deck B is handed over, but the page has reported nothing since.
    ChooseDeck(1);
    ChooseTab(kEditTab);
    EXPECT_EQ(page.urls.back(), HandOver(deckB));
    EXPECT_EQ(browserView.GetWindowText(), Sjis(u8"水のデッキ"));
    dlg->browser.OnBrowserOk();
    EXPECT_EQ(mainView.GetItemText(IDC_MAIDCODE), edited);
    EXPECT_EQ(Counts(1), Counts({{4, 3}, {12, 1}}));
    EXPECT_EQ(dlg->saveData.Deck(1).Name(), Sjis(u8"水のデッキ"));
}

TEST_F(Game, OkWithNothingReportedStoresAnEmptyDeck)
{
    ChooseTab(kEditTab);
    PageReports({"about:blank", "Loading 0"});
    dlg->browser.OnBrowserOk();
    EXPECT_EQ(mainView.GetItemText(IDC_MAIDCODE), "");
    EXPECT_EQ(dlg->saveData.Deck(0).CardCount(), 0);
    EXPECT_TRUE(mainView.messages.empty());
}

TEST_F(Game, OkRunsTheCommandOfTheTabSelectedAtThatMoment)
{
    ChooseTab(kEditTab);
    const std::string edited = CodeOf({{8, 2}});
    PageReports({edited});
    // 消去, chosen while the browser window is open, which stays open.
    ChooseTab(kDeleteTab);
    EXPECT_TRUE(browserView.IsWindowVisible());
    // The box gets the code, and the deck is deleted, not stored.
    dlg->browser.OnBrowserOk();
    EXPECT_EQ(mainView.GetItemText(IDC_MAIDCODE), edited);
    EXPECT_EQ(dlg->saveData.Deck(0).CardCount(), 0);
    EXPECT_EQ(dlg->saveData.Deck(0).Name(), DefaultDeckNameOf(0));
    EXPECT_FALSE(browserView.IsWindowVisible());
    EXPECT_EQ(mainView.GetCurSel(IDC_TAB), kDeleteTab);
}
