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
// tests/e2e sees after 作成 (and which decks change, and why not, is in
// tests/rules); here the rows, the marks, and each refusal, shown while the
// status line has the command's progress text.
TEST_F(MainWindowTest, CommandsRedrawTheRowsOrShowWhyTheyWereRefused)
{
    saveFile.Fill(9, 100);
    saveFile.active = 9;  // the only complete deck
    saveFile.Add(5, 11, 2);
    saveFile.names[5] = "Source";
    ASSERT_TRUE(Start());
    const std::string code = CodeOf({{2, 2}});  // the stock holds 1 copy of card 2
    const struct {
        int tab, position, a, b;  // the scroll position, then the rows of the two marks
        std::string code, text, progress;
    } refused[] = {
        {1, 0, 9, 0, "", kTextLastDeck, Sjis(u8"デッキ消去中...")},
        {4, 0, 5, 9, "", kTextLastDeck, Sjis(u8"デッキコピー中...")},
        {5, 43, 6, 7, "", Sjis(u8"訓練デッキと普通のデッキは入れ替えできないんです。"), Sjis(u8"デッキ入れ替え中...")},
        {2, 0, 6, 0, code, "Card2" + Sjis(u8" が足りないみたいです\n"), Sjis(u8"DAZO Rozi展開中...")},
    };
    for (const auto& c : refused) {
        ChooseTab(c.tab);
        ScrollTo(c.position);
        ClickA(c.a);
        ClickB(c.b);
        view.TypeText(IDC_MAIDCODE, c.code);
        view.messages.clear();
        dlg->OnOkClicked();
        ASSERT_EQ(view.messages.size(), 1u) << c.tab;
        EXPECT_EQ(view.messages[0].text, c.text);
        EXPECT_EQ(view.messages[0].caption, kCaption);
        EXPECT_EQ(statusDuringMessage.back(), c.progress);
    }
    // What went in shows, and the code stays in its box.
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "Card2 x 1\r\n");
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), code);
    EXPECT_FALSE(view.IsItemVisible(IDC_RADIO_B + 9));
    // An empty box empties the deck.
    view.TypeText(IDC_MAIDCODE, "");
    dlg->OnOkClicked();
    EXPECT_EQ(Status(), "0");

    // A copy made: its row redrawn, the marks kept.
    view.messages.clear();
    ChooseTab(4);
    EXPECT_TRUE(view.IsItemVisible(IDC_RADIO_B + 9));
    ClickA(5);
    ClickB(8);
    dlg->OnOkClicked();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(Row(8), "Source");
    EXPECT_EQ(CheckedRow(IDC_RADIO_A), 5);
    EXPECT_EQ(CheckedRow(IDC_RADIO_B), 8);
}

// ------------------------------------------- the Edit tab with a fake page
// The round trip itself (hand-over of the current deck under its name, ok into
// another deck) is in tests/e2e.

class EditTab : public MainWindowTest {
protected:
    void SetUp() override
    {
        saveFile.Add(0, 10, 2);
        saveFile.Add(0, 20, 1);
        // A complete deck elsewhere, so that emptying the active deck 1 is allowed.
        saveFile.Fill(5, 100);
        browserControl = &page;
        ASSERT_TRUE(Start());
        ChooseTab(3);
    }
    void TearDown() override { dlg.reset(); }  // before the page it holds

    FakeBrowserControl page;
};

TEST_F(EditTab, CancelStoresNothing)
{
    view.TypeText(IDC_MAIDCODE, "0typed");
    page.Status(CodeOf({{4, 3}, {12, 1}}));
    dlg->browser.OnBrowserCancel();
    EXPECT_FALSE(browserView.IsWindowVisible());
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 2);
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), "0typed");
    EXPECT_EQ(encode(dlg->saveData.Deck(0)), CodeOf({{10, 2}, {20, 1}}));
    EXPECT_TRUE(view.messages.empty());
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

// ------------------------------------------- undo and redo
// Keys, focus and the rows' menu are in tests/e2e; the history's bound in
// tests/history.

// Each command and each edited row is one step, named in the status line;
// a refused command is none; undoing them all leaves nothing unsaved.
TEST_F(MainWindowTest, UndoAndRedoTakeBackOneCommandOrEditedRowAtATime)
{
    saveFile.Fill(1, 100);
    saveFile.Fill(2, 200);
    saveFile.active = 1;
    ASSERT_TRUE(Start());
    ClickA(1);
    ChooseTab(1);
    dlg->OnOkClicked();  // the active deck moves to deck 3
    TypeName(3, "A");
    TypeName(3, "AB");
    TypeName(4, "C");
    dlg->OnDeckNameEditEnd();
    ChooseTab(5);
    ClickB(2);
    dlg->OnOkClicked();
    ScrollTo(43);
    ClickA(6);
    ClickB(7);
    dlg->OnOkClicked();  // refused: a training deck with a normal one
    ScrollTo(0);
    ClickA(1);

    const char* const undone[] = {u8"入替 (デッキ 2 と 3)", u8"名前変更 (デッキ 5)", u8"名前変更 (デッキ 4)",
                                  u8"消去 (デッキ 2)"};
    for (const char* label : undone) {
        dlg->OnUndo();
        EXPECT_EQ(Status(), Sjis(u8"元に戻しました: ") + Sjis(label));
    }
    dlg->OnUndo();
    EXPECT_EQ(Status(), Sjis(u8"元に戻せる変更はもうないです。"));
    EXPECT_FALSE(dlg->saveData.HasUnsavedChanges());
    EXPECT_EQ(Row(1), "Deck 2");
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST).substr(0, 13), "Card100 x 3\r\n");
    EXPECT_EQ(CheckedRow(IDC_RADIO_A), 1);

    dlg->OnRedo();
    EXPECT_EQ(Status(), Sjis(u8"やり直しました: 消去 (デッキ 2)"));
    EXPECT_EQ(Row(1), Sjis(u8"デッキ02"));
    EXPECT_EQ(dlg->RedoCommandText(), Sjis(u8"やり直す: 名前変更 (デッキ 4)"));
    // A rename being typed comes first, and ends what could be redone.
    TypeName(0, "X");
    EXPECT_EQ(dlg->UndoCommandText(), Sjis(u8"元に戻す: 名前変更 (デッキ 1)"));
    EXPECT_EQ(dlg->RedoCommandText(), "");
    dlg->OnRedo();
    EXPECT_EQ(Status(), Sjis(u8"やり直せる変更はないです。"));
}
