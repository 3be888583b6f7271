// The main window's logic through the test view: start-up, the deck grid, the
// tab commands and the two questions as the window shows them. The flows a
// player lives in (rename and SAVE, create, edit, scrolling, the questions'
// answers) are in tests/e2e; the deck rules themselves in tests/rules.
#include "app/CDeckEditorDlg.h"
#include "browser/Fakes.h"
#include "deckcode/DazoRozi.h"
#include "savedata/SafeFile.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/TestView.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kCaption = Sjis(u8"ご、ご主人様ぁ～");
const std::string kDiscard = Sjis(u8"まだセーブしていない変更がありますよぉ。\r\n保存しないで終わっちゃっていいですか？");
const std::string kOverwrite = Sjis(u8"セーブデータがゲームで書き換えられたみたいです。\r\n上書きしちゃっていいですか？");

// A main window on the test view, over a throw-away game folder.
class MainWindowTest : public ::testing::Test, protected GameFolder {
protected:
    MainWindowTest()
    {
        std::vector<int> a, b;
        for (int r = 0; r < kRows; ++r) {
            a.push_back(IDC_RADIO_A + r);
            b.push_back(IDC_RADIO_B + r);
        }
        view.AddRadioGroup(a);
        view.AddRadioGroup(b);
        view.AddRadioGroup({IDC_ONE, IDC_ALL});
        view.onMessage = [this](const TestView::Message&) { statusDuringMessage.push_back(Status()); };
    }

    // Writes the save file (unless told not to), builds the window and starts it.
    bool Start(bool withSaveFile = true)
    {
        if (withSaveFile) {
            WriteSaveFile();
        }
        dlg = std::make_unique<CDeckEditorDlg>(view);
        if (browserControl) {
            dlg->browser.Attach(&browserView, browserControl);
        }
        return dlg->OnInitDialog();
    }

    // What a user does, then the handler the event reaches.
    void ClickA(int row) { view.ClickRadio(IDC_RADIO_A + row); dlg->OnDeckRadio(row); }
    void ClickB(int row) { view.ClickRadio(IDC_RADIO_B + row); dlg->OnDeckRadio(kRows + row); }
    void ChooseTab(int tab) { view.SelectTab(IDC_TAB, tab); dlg->OnTabSelChange(); }
    void TypeName(int row, const std::string& text) { view.TypeText(IDC_NAME_ROW + row, text); dlg->OnDeckNameChange(row); }
    void ScrollTo(int position) { dlg->OnVScroll(CDeckEditorDlg::SB_THUMBPOSITION, position); }

    std::string Row(int r) const { return view.GetItemText(IDC_NAME_ROW + r); }
    std::string Status() const { return view.GetItemText(IDC_STATUS); }
    int CheckedRow(int firstId) const
    {
        int found = -1;
        for (int r = 0; r < kRows; ++r) {
            if (view.GetCheck(firstId + r)) {
                EXPECT_EQ(found, -1) << "two radios checked in one column";
                found = r;
            }
        }
        return found;
    }

    TestView view;
    // What the status line showed while each message box was open: a command's
    // progress text is painted only then.
    std::vector<std::string> statusDuringMessage;
    // The browser dialog's window and page, when a test gives a page.
    TestView browserView;
    BrowserControl* browserControl = nullptr;
    std::unique_ptr<CDeckEditorDlg> dlg;
};

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

TEST_F(MainWindowTest, WithoutBackupFolderTheMessageComesOnceThenTheWindowIsUsable)
{
    ASSERT_EQ(::rmdir(ws.BackupDir().c_str()), 0);
    EXPECT_TRUE(Start());
    ClickA(3);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              Sjis(u8"バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。"));
    EXPECT_FALSE(view.ended);
    EXPECT_EQ(dlg->currentDeck, 3);
}

// Scroll codes at and beyond the ends (the ordinary moves are in tests/e2e):
// where the rows end up, and the marks of the chosen decks (slot 2 in column
// A, slot 5 in B) follow them.
TEST_F(MainWindowTest, ScrollingStopsAtTheEndsAndTheMarksFollow)
{
    const struct {
        int from, code, thumb, to;
    } cases[] = {
        {0, 0, 0, 0},    {43, 1, 0, 43},   // line up, line down
        {7, 2, 0, 0},    {40, 3, 0, 43},   // page up, page down
        {0, 4, 99, 43},  {10, 5, -3, 0},   // thumb released, dragged
        {12, 8, 40, 12}, {3, 99, 40, 3},   // end, unknown
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

// Every command ends by showing the current deck's code and cards again, as
// tests/e2e sees after 作成; here the rows and the refusals.
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

    ClickA(9);
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, std::string(kTextLastDeck));
    EXPECT_EQ(view.messages[0].caption, kCaption);
    EXPECT_EQ(statusDuringMessage[0], Sjis(u8"デッキ消去中..."));
    EXPECT_EQ(Row(9), "Deck 10");
}

// (A code with foreign characters is refused in tests/rules, through the same
// message box as the complaint here.)
TEST_F(MainWindowTest, CreateShowsTheComplaintsDuringItsProgressText)
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
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Card2" + Sjis(u8" が足りないみたいです\n"));
    EXPECT_EQ(statusDuringMessage[0], Sjis(u8"DAZO Rozi展開中..."));
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "Card2 x 1\r\n");
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), code);

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
    EXPECT_EQ(CheckedRow(IDC_RADIO_A), 5);
    EXPECT_EQ(CheckedRow(IDC_RADIO_B), 8);

    ChooseTab(5);
    ScrollTo(43);
    ClickA(9);  // slot 52
    ClickB(7);  // slot 50
    dlg->OnOkClicked();
    EXPECT_EQ(Row(7), "Deck 53");
    EXPECT_EQ(Row(9), "Deck 51");
    ClickA(6);  // slot 49, a normal deck
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, Sjis(u8"訓練デッキと普通のデッキは入れ替えできないんです。"));
    EXPECT_EQ(view.messages[0].caption, kCaption);
    EXPECT_EQ(statusDuringMessage[0], Sjis(u8"デッキ入れ替え中..."));
}

// ------------------------------------------- the Edit tab with a fake page
// The round trip itself (hand-over, ok into another deck) is in tests/e2e.

class EditTab : public MainWindowTest {
protected:
    void SetUp() override
    {
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
    void TearDown() override { dlg.reset(); }  // before the page it holds

    FakeBrowserControl page;
};

TEST_F(EditTab, CancelStoresNothingAndTheNextHandOverIsOfTheCurrentDeck)
{
    view.TypeText(IDC_MAIDCODE, "0typed");
    page.Status(CodeOf({{4, 3}, {12, 1}}));
    dlg->browser.OnBrowserCancel();
    EXPECT_FALSE(browserView.IsWindowVisible());
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 2);
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), "0typed");
    EXPECT_EQ(encode(dlg->saveData.Deck(0)), CodeOf({{10, 2}, {20, 1}}));
    EXPECT_TRUE(view.messages.empty());

    ClickA(1);
    ChooseTab(3);
    EXPECT_EQ(page.urls.back(), "javascript:demaid(deck, '" + CodeOf({{30, 1}}) + "');eval();");
    EXPECT_EQ(browserView.GetWindowText(), Sjis(u8"水のデッキ"));
}

TEST_F(EditTab, OkRunsTheCommandOfTheTabSelectedAtThatMoment)
{
    const std::string edited = CodeOf({{8, 2}});
    page.Status(edited);
    // 消去, chosen while the browser window is open, which stays open.
    ChooseTab(1);
    EXPECT_TRUE(browserView.IsWindowVisible());
    // The box gets the code, and the deck is deleted, not stored.
    dlg->browser.OnBrowserOk();
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), edited);
    EXPECT_EQ(dlg->saveData.Deck(0).CardCount(), 0);
    EXPECT_EQ(dlg->saveData.Deck(0).Name(), Sjis(u8"デッキ01"));
    EXPECT_FALSE(browserView.IsWindowVisible());
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 1);
}

// ------------------------------------------- the two questions
// SAVE never silently overwrites a file it did not write; ending never
// silently drops unsaved edits. The answers are in tests/e2e, what counts as
// changed on disk or unsaved in tests/savedata.

TEST_F(MainWindowTest, QuestionsDefaultToNoAndAFailedSaveIsShownAndSettlesNothing)
{
    ASSERT_TRUE(Start());
    TypeName(0, "Renamed");
    g_failWriteStep = [](WriteStep step) { return step == WriteStep::Rename; };
    dlg->OnSaveClicked();
    g_failWriteStep = nullptr;
    dlg->EndDialogRequested(IDCANCEL);  // the test view answers no
    EXPECT_FALSE(view.ended);
    // A deleted save file counts as the game's doing.
    ::unlink(ws.SavePath().c_str());
    dlg->OnSaveClicked();
    EXPECT_FALSE(ws.Exists(ws.SavePath()));

    const std::pair<std::string, unsigned> shown[] = {
        {Sjis(u8"セーブファイルを開けないです"), MB_OK},
        {kDiscard, MB_YESNO | MB_DEFBUTTON2},
        {kOverwrite, MB_YESNO | MB_DEFBUTTON2},
    };
    ASSERT_EQ(view.messages.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(view.messages[i].text, shown[i].first);
        EXPECT_EQ(view.messages[i].type, shown[i].second);
    }
    EXPECT_EQ(statusDuringMessage[2], Sjis(u8"セーブ中..."));
}
