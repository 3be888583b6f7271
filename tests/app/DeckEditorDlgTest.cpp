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

#include <ctime>
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
        dlg = std::make_unique<CDeckEditorDlg>(view, ws.Paths());
        dlg->browser.Attach(&browser);
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
    // What the window asks of the browser program.
    FakeBrowserLink browser;
    std::unique_ptr<CDeckEditorDlg> dlg;
};

}  // namespace

TEST_F(MainWindowTest, WithoutSaveFileOnlyTheMessageIsShownAndTheDialogEnds)
{
    EXPECT_FALSE(Start(false));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, Sjis(u8"セーブデータが開けないようです…。"));
    EXPECT_EQ(view.messages[0].caption, kCaption);
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

TEST_F(MainWindowTest, ExportWritesTheTickedFormatsWithTheFormatsOfTheFirstExportAndSaysWhatFailed)
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

    // Folders stand where formats 1 and 3 would write: both are said, format 2 is written.
    ASSERT_EQ(::mkdir((ws.Root() + "/deck_3_format1.txt").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((ws.Root() + "/deck_3_format3.txt").c_str(), 0755), 0);
    ClickA(2);
    view.SetCheck(IDC_FORMAT1 + 1, true);
    view.SetCheck(IDC_FORMAT1 + 2, true);
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, Sjis(u8"「../deck_3_format1.txt」に書き込めなかったみたいです…。\r\n"
                                          u8"「../deck_3_format3.txt」に書き込めなかったみたいです…。"));
    EXPECT_EQ(statusDuringMessage.back(), Sjis(u8"デッキリスト作成中..."));
    EXPECT_TRUE(ws.Exists("../deck_3_format2.txt"));
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
        {2, 0, 0, 0, "000 x", Sjis(u8"DAZO Roziに使えない文字が入ってるみたいです…。"), Sjis(u8"DAZO Rozi展開中...")},
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
    // A refused code keeps the name; what went in shows, and the code stays in its box.
    EXPECT_EQ(Row(0), "Deck 1");
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

// 復元 reads the backups only when chosen; the pane shows the chosen backup's
// deck of the current slot; the whole save only after a question that names
// the backup's date and defaults to no. What is restored is in tests/backups
// and tests/e2e.
TEST_F(MainWindowTest, RestoreTabShowsTheChosenBackupsDeckAndAsksBeforeTheWholeSave)
{
    SaveFileBuilder old = saveFile;
    old.names[1] = "Old two";
    old.Add(1, 12, 2);
    ws.Put(ws.BackupDir() + "/Save2612011200.dat", old.Bytes());
    ws.Put(ws.BackupDir() + "/Save2612021200.dat", "broken");
    std::tm (*clock)() = SaveData::localTime;
    SaveData::localTime = [] {  // the start's backup: 2026/11/30 09:05
        std::tm t {};
        ::strptime("2026-11-30 09:05", "%Y-%m-%d %H:%M", &t);
        return t;
    };
    ASSERT_TRUE(Start());
    SaveData::localTime = clock;
    view.AddRadioGroup({IDC_RESTORE_ONE, IDC_RESTORE_ALL});
    EXPECT_TRUE(view.Find(IDC_BACKUPS).list.empty());
    ChooseTab(6);
    using Entries = std::vector<std::pair<std::string, bool>>;
    EXPECT_EQ(view.Find(IDC_BACKUPS).list, (Entries{{"2026/12/02 12:00" + Sjis(u8" 読めません"), false},
                                                    {"2026/12/01 12:00", true}, {"2026/11/30 09:05", true}}));
    EXPECT_EQ(view.GetCurSel(IDC_BACKUPS), 1);
    ClickA(1);
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "Old two\r\n\r\nCard12 x 2\r\n");
    dlg->OnOkClicked();

    const std::string before = Image(dlg->saveData);
    view.ClickRadio(IDC_RESTORE_ALL);
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, Sjis(u8"2026/12/01 12:00 のバックアップに、セーブデータを丸ごと戻しちゃっていいですか？\r\n"
                                          u8"それより後にゲームで手に入れたカードや作ったデッキは無くなっちゃいますよぉ。"));
    EXPECT_EQ(view.messages[0].type, MB_YESNO | MB_DEFBUTTON2);
    EXPECT_EQ(Image(dlg->saveData), before);

    // Another backup, kept when the tab is chosen again; other tabs show the deck itself.
    view.SetCurSel(IDC_BACKUPS, 2);
    dlg->OnBackupSelChange();
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "Deck 2\r\n\r\n");
    ChooseTab(0);
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "Card12 x 2\r\n");
    EXPECT_FALSE(view.IsItemVisible(IDC_BACKUPS));
    ChooseTab(6);
    EXPECT_EQ(view.GetCurSel(IDC_BACKUPS), 2);

    ASSERT_EQ(std::system(("rm -r " + ws.BackupDir()).c_str()), 0);
    ChooseTab(6);
    EXPECT_EQ(view.Find(IDC_BACKUPS).list, (Entries{{Sjis(u8"バックアップフォルダが無いみたいです。"), false}}));
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), kTextNoBackupFolder);
    dlg->OnOkClicked();
    EXPECT_EQ(view.messages.back().text, kTextNoBackupFolder);
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
        ASSERT_TRUE(Start());
        ChooseTab(3);
    }
    // The browser's answers, as they arrive over the pipe.
    void Answer(const char* name, const std::string& code = std::string()) { dlg->browser.Receive({name, code}); }
    bool BrowserOpen() const { return !browser.sent.empty() && browser.sent.back().name == browsermessage::kOpen; }
};

TEST_F(EditTab, CancelStoresNothing)
{
    view.TypeText(IDC_MAIDCODE, "0typed");
    Answer(browsermessage::kCancel);
    EXPECT_FALSE(BrowserOpen());
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 2);
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), "0typed");
    EXPECT_EQ(encode(dlg->saveData.Deck(0)), CodeOf({{10, 2}, {20, 1}}));
    EXPECT_TRUE(view.messages.empty());
}

// 編集 asks for the page for the current deck, under its name; ok stores the
// page's code as 編集 does, on the deck current at that moment, whatever tab
// was chosen since; only once per request.
TEST_F(EditTab, OkStoresThePagesAnswerOnceAsEditDoes)
{
    const std::string name = dlg->saveData.Deck(0).Name();
    ASSERT_TRUE(BrowserOpen());
    OpenRequest asked;
    ASSERT_TRUE(ParseOpen(browser.sent.back().text, asked));
    EXPECT_EQ(asked.slot, 1);
    EXPECT_EQ(asked.name, name);
    EXPECT_EQ(asked.code, CodeOf({{10, 2}, {20, 1}}));

    const std::string edited = CodeOf({{8, 2}});
    // 消去, chosen while the browser window is open, which stays open.
    ChooseTab(1);
    EXPECT_TRUE(BrowserOpen());
    Answer(browsermessage::kOk, edited);
    Answer(browsermessage::kOk, CodeOf({{9, 1}}));  // arriving while the first one's command ran
    EXPECT_EQ(encode(dlg->saveData.Deck(0)), edited);
    EXPECT_EQ(dlg->saveData.Deck(0).Name(), name);  // a second ok on 作成 would reset it
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), edited);
    EXPECT_TRUE(view.IsItemVisible(IDC_MAIDCODE));
    EXPECT_FALSE(BrowserOpen());
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 2);
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

// The window's own part of undo: the columns' decks name the step, and
// undoing redraws the rows, the card list and the marks. Which commands are
// steps and how a typed rename becomes one is in tests/session.
TEST_F(MainWindowTest, UndoNamesTheColumnsDecksAndRedrawsWhatItTookBack)
{
    saveFile.Fill(1, 100);
    saveFile.Fill(2, 200);
    saveFile.active = 1;
    ASSERT_TRUE(Start());
    ClickA(1);
    ChooseTab(1);
    dlg->OnOkClicked();  // the active deck moves to deck 3
    TypeName(4, "C");
    ChooseTab(5);
    ClickB(2);
    dlg->OnOkClicked();
    for (const char* label : {u8"入替 (デッキ 2 と 3)", u8"名前変更 (デッキ 5)", u8"消去 (デッキ 2)"}) {
        dlg->OnUndo();
        EXPECT_EQ(Status(), Sjis(u8"元に戻しました: ") + Sjis(label));
    }
    EXPECT_FALSE(dlg->saveData.HasUnsavedChanges());
    EXPECT_EQ(Row(1), "Deck 2");
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST).substr(0, 13), "Card100 x 3\r\n");
    EXPECT_EQ(CheckedRow(IDC_RADIO_A), 1);
}
