// The main window's logic through the test view: start-up, the deck grid and
// the tab commands as the window shows them. The flows a player lives in
// (rename and SAVE, create, edit, scrolling) are in tests/e2e; the deck rules
// themselves in tests/rules.
#include "AppFixture.h"

#include "browser/Fakes.h"
#include "deckcode/DazoRozi.h"

namespace {

const std::string kCaption = Sjis(u8"ご、ご主人様ぁ～");

// The last status text but one: the progress text shown while a command ran.
std::string Progress(const std::vector<std::string>& history)
{
    return history.size() < 2 ? std::string() : history[history.size() - 2];
}

}  // namespace

TEST_F(MainWindowTest, WithoutSaveFileOnlyTheMessageIsShownAndTheDialogEnds)
{
    EXPECT_FALSE(Start(false));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, Sjis(u8"セーブデータが開けないようです…。"));
    EXPECT_EQ(view.messages[0].caption, kCaption);
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(view.endResult, IDCANCEL);
    EXPECT_TRUE(ws.List(ws.BackupDir()).empty());
    EXPECT_FALSE(ws.Exists(ws.SavePath()));
}

class MainWindowNoBackupFolderTest : public MainWindowTest {
protected:
    MainWindowNoBackupFolderTest() : MainWindowTest(false) {}
};

TEST_F(MainWindowNoBackupFolderTest, BackupMessageOnceThenTheWindowIsUsable)
{
    EXPECT_TRUE(Start());
    ClickA(3);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              Sjis(u8"バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。"));
    EXPECT_FALSE(view.ended);
    EXPECT_EQ(dlg->currentDeck, 3);
}

// Every scroll code from a start position: where the rows end up, and the
// marks of the chosen decks (slot 2 in column A, slot 5 in B) follow them.
TEST_F(MainWindowTest, ScrollCodesMoveTheRowsClampAndTheMarksFollow)
{
    const struct {
        int from, code, thumb, to;
    } cases[] = {
        {5, 0, 0, 4},   {0, 0, 0, 0},     // line up
        {5, 1, 0, 6},   {43, 1, 0, 43},   // line down
        {15, 2, 0, 5},  {7, 2, 0, 0},     // page up
        {20, 3, 0, 30}, {40, 3, 0, 43},   // page down
        {0, 4, 99, 43}, {10, 5, -3, 0},   // thumb released, dragged
        {30, 6, 12, 0}, {0, 7, 0, 43},    // top, bottom
        {12, 8, 40, 12}, {3, 99, 40, 3},  // end, unknown
    };
    ASSERT_TRUE(Start());
    ClickA(2);
    ClickB(5);
    for (const auto& c : cases) {
        ScrollTo(c.from);
        dlg->OnVScroll(c.code, c.thumb);
        EXPECT_EQ(view.GetScrollPos(IDC_SCROLL), c.to) << c.from << " " << c.code;
        EXPECT_EQ(Row(0), "Deck " + std::to_string(c.to + 1));
        EXPECT_EQ(Row(9), "Deck " + std::to_string(c.to + 10));
        EXPECT_EQ(CheckedRow(IDC_RADIO_A), c.to <= 2 ? 2 - c.to : -1) << c.from << " " << c.code;
        EXPECT_EQ(CheckedRow(IDC_RADIO_B), c.to <= 5 ? 5 - c.to : -1) << c.from << " " << c.code;
    }
    // Scrolling never changes the chosen decks.
    EXPECT_EQ(dlg->currentDeck, 2);
    EXPECT_EQ(dlg->secondDeck, 5);
}

TEST_F(MainWindowTest, TabChangeShowsEachTabsControls)
{
    ASSERT_TRUE(Start());
    const struct {
        int tab;
        bool columnB, maidCode, format;
    } table[] = {{1, false, false, false}, {2, false, true, false}, {3, false, true, false},
                 {4, true, false, false},  {5, true, false, false}, {0, false, false, true}};
    for (const auto& row : table) {
        ChooseTab(row.tab);
        for (int r = 0; r < kRows; ++r) {
            EXPECT_EQ(view.IsItemVisible(IDC_RADIO_B + r), row.columnB) << row.tab;
        }
        EXPECT_EQ(view.IsItemVisible(IDC_MAIDCODE), row.maidCode) << row.tab;
        EXPECT_EQ(view.IsItemVisible(IDC_MAIDCODE_LABEL), row.maidCode) << row.tab;
        for (int id : {IDC_FORMAT1, IDC_FORMAT1 + 1, IDC_FORMAT1 + 2, IDC_FORMAT_FRAME, IDC_ONE, IDC_ALL}) {
            EXPECT_EQ(view.IsItemVisible(id), row.format) << row.tab << " " << id;
        }
    }
    // Hidden controls keep their marks; changing tabs changes no data.
    EXPECT_TRUE(view.GetCheck(IDC_FORMAT1));
    EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());
}

TEST_F(MainWindowTest, ExportWritesTheTickedFormatsWithTheFormatsOfTheFirstExport)
{
    saveFile.Fill(0, 20);
    ASSERT_TRUE(Start());
    view.SetCheck(IDC_FORMAT1, false);
    dlg->OnOkClicked();
    EXPECT_EQ(ws.List(ws.Root()), (std::vector<std::string>{"DeckEditor", "File"}));
    view.SetCheck(IDC_FORMAT1, true);
    view.SetCheck(IDC_FORMAT1 + 2, true);
    dlg->OnOkClicked();
    EXPECT_EQ(Progress(StatusHistory()), Sjis(u8"デッキリスト作成中..."));
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(0)));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(ws.List(ws.Root()), (std::vector<std::string>{"DeckEditor", "File", "deck_1_format1.txt",
                                                            "deck_1_format3.txt"}));

    // A format edited during the run is read at the next start only.
    const std::string firstOutput = ws.Get("../deck_1_format1.txt");
    ws.Put("format1.ini", std::string("changed after the first export\r\n"));
    view.ClickRadio(IDC_ALL);
    view.SetCheck(IDC_FORMAT1 + 2, false);
    dlg->OnOkClicked();
    EXPECT_TRUE(ws.Exists("../deck_all_format1.txt"));
    EXPECT_FALSE(ws.Exists("../deck_all_format3.txt"));
    view.ClickRadio(IDC_ONE);
    dlg->OnOkClicked();
    EXPECT_EQ(ws.Get("../deck_1_format1.txt"), firstOutput);
}

TEST_F(MainWindowTest, DeleteRedrawsTheRowOrShowsWhyItWasRefused)
{
    saveFile.Fill(4, 1);
    saveFile.Fill(9, 100);
    saveFile.names[4] = "Mine";
    saveFile.active = 9;
    ASSERT_TRUE(Start());
    ClickA(4);
    ChooseTab(1);
    dlg->OnOkClicked();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(Row(4), Sjis(u8"デッキ05"));
    EXPECT_EQ(Status(), "0");
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "");
    EXPECT_EQ(Progress(StatusHistory()), Sjis(u8"デッキ消去中..."));

    ClickA(9);
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, std::string(kTextLastDeck));
    EXPECT_EQ(view.messages[0].caption, kCaption);
    EXPECT_EQ(Row(9), "Deck 10");
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(9)));
}

TEST_F(MainWindowTest, CreateShowsTheComplaintsDuringItsProgressTextAndRefusesBadCodes)
{
    saveFile.Fill(1, 200);
    saveFile.active = 1;
    ASSERT_TRUE(Start());
    ClickA(6);
    ChooseTab(2);
    std::uint8_t counts[600] = {};
    counts[1] = 2;  // card number 2, stock holds 1 copy: one complaint
    const std::string code = encode(counts);
    view.TypeText(IDC_MAIDCODE, code);
    std::string statusWhileMessage;
    view.onMessage = [&](const TestView::Message&) { statusWhileMessage = Status(); };
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Card2" + Sjis(u8" が足りないみたいです\n"));
    EXPECT_EQ(statusWhileMessage, Sjis(u8"DAZO Rozi展開中..."));
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "Card2 x 1\r\n");
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), code);

    // A mistyped code is refused before the deck is touched.
    view.TypeText(IDC_MAIDCODE, "0!!");
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1].text, Sjis(u8"DAZO Roziに使えない文字が入ってるみたいです…。"));
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "Card2 x 1\r\n");

    // An empty box empties the deck.
    view.TypeText(IDC_MAIDCODE, "");
    dlg->OnOkClicked();
    EXPECT_EQ(Status(), "0");
}

TEST_F(MainWindowTest, DuplicateAndSwapRedrawTheRowsAndKeepTheMarks)
{
    saveFile.Fill(0, 400);
    saveFile.Add(5, 11, 2);
    saveFile.names[5] = "Source";
    ASSERT_TRUE(Start());
    ClickA(5);
    ChooseTab(4);
    ClickB(8);
    dlg->OnOkClicked();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(Row(8), "Source");
    EXPECT_EQ(Progress(StatusHistory()), Sjis(u8"デッキコピー中..."));
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(5)));
    EXPECT_EQ(CheckedRow(IDC_RADIO_A), 5);
    EXPECT_EQ(CheckedRow(IDC_RADIO_B), 8);

    ChooseTab(5);
    ScrollTo(43);
    ClickA(9);  // slot 52
    ClickB(7);  // slot 50
    dlg->OnOkClicked();
    EXPECT_EQ(Progress(StatusHistory()), Sjis(u8"デッキ入れ替え中..."));
    EXPECT_EQ(Row(7), "Deck 53");
    EXPECT_EQ(Row(9), "Deck 51");
    ClickA(6);  // slot 49, a normal deck
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, Sjis(u8"訓練デッキと普通のデッキは入れ替えできないんです。"));
    EXPECT_EQ(view.messages[0].caption, kCaption);
}

// ------------------------------------------- the Edit tab with a fake page
// The round trip itself (hand-over, ok into another deck) is in tests/e2e.

class EditTab : public MainWindowTest {
protected:
    void SetUp() override
    {
        saveFile.names[0] = Sjis(u8"炎のデッキ");
        saveFile.Add(0, 10, 2);
        saveFile.Add(0, 20, 1);
        saveFile.names[1] = Sjis(u8"水のデッキ");
        saveFile.Add(1, 30, 1);
        // A complete deck elsewhere, so that emptying the active deck 1 is allowed.
        saveFile.Fill(5, 100);
        browserControl = &page;
        ASSERT_TRUE(Start());
        ChooseTab(3);
    }
    void PageReports(const std::vector<std::string>& texts)
    {
        for (const std::string& text : texts) {
            page.Status(text);
        }
    }
    void TearDown() override { dlg.reset(); }  // before the page it holds
    std::string CodeIn(int slot) const { return encode(dlg->saveData.Deck(slot)); }

    FakeBrowserControl page;
};

TEST_F(EditTab, CancelStoresNothingAndOkStoresTheLastReportedCode)
{
    EXPECT_EQ(browserView.GetWindowText(), Sjis(u8"炎のデッキ"));
    view.TypeText(IDC_MAIDCODE, "0typed");
    const std::string edited = CodeOf({{4, 3}, {12, 1}});
    PageReports({"file:///somewhere/help.htm", edited, "", "Loading..."});
    dlg->browser.OnBrowserCancel();
    EXPECT_FALSE(browserView.IsWindowVisible());
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 2);
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), "0typed");
    EXPECT_EQ(CodeIn(0), CodeOf({{10, 2}, {20, 1}}));
    EXPECT_TRUE(view.messages.empty());

    // Deck B is handed over, but the page has reported nothing since.
    ClickA(1);
    ChooseTab(3);
    EXPECT_EQ(page.urls.back(), "javascript:demaid(deck, '" + CodeOf({{30, 1}}) + "');eval();");
    EXPECT_EQ(browserView.GetWindowText(), Sjis(u8"水のデッキ"));
    dlg->browser.OnBrowserOk();
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), edited);
    EXPECT_EQ(CodeIn(1), edited);
    EXPECT_EQ(Name(1), Sjis(u8"水のデッキ"));
}

TEST_F(EditTab, OkWithNothingReportedStoresAnEmptyDeck)
{
    PageReports({"about:blank", "Loading 0"});
    dlg->browser.OnBrowserOk();
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), "");
    EXPECT_EQ(dlg->saveData.Deck(0).CardCount(), 0);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(EditTab, OkRunsTheCommandOfTheTabSelectedAtThatMoment)
{
    const std::string edited = CodeOf({{8, 2}});
    PageReports({edited});
    // 消去, chosen while the browser window is open, which stays open.
    ChooseTab(1);
    EXPECT_TRUE(browserView.IsWindowVisible());
    // The box gets the code, and the deck is deleted, not stored.
    dlg->browser.OnBrowserOk();
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), edited);
    EXPECT_EQ(dlg->saveData.Deck(0).CardCount(), 0);
    EXPECT_EQ(Name(0), Sjis(u8"デッキ01"));
    EXPECT_FALSE(browserView.IsWindowVisible());
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 1);
}
