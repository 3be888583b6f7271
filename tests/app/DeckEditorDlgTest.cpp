// The main window's logic through the test view: start-up, the deck grid and
// the tab commands, checked on the screen, in the save data and in files.
#include "AppFixture.h"

#include "deckcode/DazoRozi.h"

#include <fstream>

namespace {

const std::string kCaption = Sjis(u8"ご、ご主人様ぁ～");

std::string CardListOf(const std::vector<std::pair<int, int>>& numberAndCount)
{
    std::string text;
    for (const auto& [number, count] : numberAndCount) {
        text += "Card" + std::to_string(number) + " x " + std::to_string(count) + "\r\n";
    }
    return text;
}

}  // namespace

// ------------------------------------------------------------------ start-up

TEST_F(MainWindowTest, WithoutSaveFileOnlyTheMessageIsShownAndTheDialogEnds)
{
    EXPECT_FALSE(Start(false));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, Sjis(u8"セーブデータが開けないようです…。"));
    EXPECT_EQ(view.messages[0].caption, kCaption);
    EXPECT_EQ(view.messages[0].type, MB_OK);
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(view.endResult, IDCANCEL);
    EXPECT_FALSE(view.IsWindowVisible());
    EXPECT_TRUE(ws.List(ws.BackupDir()).empty());
    EXPECT_FALSE(ws.Exists(ws.SavePath()));
    // The grid was never filled.
    EXPECT_EQ(Row(0), "");
}

class MainWindowNoBackupFolderTest : public MainWindowTest {
protected:
    MainWindowNoBackupFolderTest() : MainWindowTest(false) {}
};

TEST_F(MainWindowNoBackupFolderTest, BackupMessageOnceThenTheWindowIsUsable)
{
    saveFile.Fill(3, 10);
    EXPECT_TRUE(Start());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              Sjis(u8"バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。"));
    EXPECT_EQ(view.messages[0].caption, kCaption);
    EXPECT_FALSE(view.ended);
    EXPECT_EQ(Row(9), "Deck 10");
    ClickA(3);
    EXPECT_EQ(dlg->currentDeck, 3);
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(3)));
    EXPECT_EQ(view.messages.size(), 1u);
}

// ----------------------------------------------------------------- deck grid

struct ScrollCase {
    int from;
    int code;
    int thumb;
    int to;
};

class ScrollCodeTest : public MainWindowTest, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(ScrollCodeTest, MovesTheRowsAndClamps)
{
    const ScrollCase c = GetParam();
    ASSERT_TRUE(Start());
    ScrollTo(c.from);
    ASSERT_EQ(view.GetScrollPos(IDC_SCROLL), c.from);
    dlg->OnVScroll(c.code, c.thumb);
    EXPECT_EQ(view.GetScrollPos(IDC_SCROLL), c.to);
    for (int r = 0; r < kRows; ++r) {
        EXPECT_EQ(Row(r), "Deck " + std::to_string(c.to + r + 1));
    }
    EXPECT_EQ(CheckedRow(IDC_RADIO_A), c.to == 0 ? 0 : -1);
    EXPECT_EQ(CheckedRow(IDC_RADIO_B), c.to == 0 ? 0 : -1);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ScrollCodeTest,
    ::testing::Values(ScrollCase{5, 0, 0, 4}, ScrollCase{0, 0, 0, 0},        // line up
                      ScrollCase{5, 1, 0, 6}, ScrollCase{43, 1, 0, 43},      // line down
                      ScrollCase{15, 2, 0, 5}, ScrollCase{7, 2, 0, 0},       // page up
                      ScrollCase{20, 3, 0, 30}, ScrollCase{40, 3, 0, 43},    // page down
                      ScrollCase{0, 4, 17, 17}, ScrollCase{0, 4, 99, 43},    // thumb released
                      ScrollCase{10, 5, 25, 25}, ScrollCase{10, 5, -3, 0},   // thumb dragged
                      ScrollCase{30, 6, 12, 0},                              // to the top
                      ScrollCase{0, 7, 0, 43},                               // to the bottom
                      ScrollCase{12, 8, 40, 12}, ScrollCase{12, 99, 40, 12}  // end, unknown
                      ));

TEST_F(MainWindowTest, MarksFollowTheChosenDecksWhileScrolling)
{
    ASSERT_TRUE(Start());
    ClickA(2);
    ClickB(5);
    ScrollTo(3);
    EXPECT_EQ(CheckedRow(IDC_RADIO_A), -1);
    EXPECT_EQ(CheckedRow(IDC_RADIO_B), 2);
    ScrollTo(6);
    EXPECT_EQ(CheckedRow(IDC_RADIO_B), -1);  // column B is hidden and still marked right
    dlg->OnVScroll(CDeckEditorDlg::SB_TOP, 0);
    EXPECT_EQ(CheckedRow(IDC_RADIO_A), 2);
    EXPECT_EQ(CheckedRow(IDC_RADIO_B), 5);
    // Scrolling never changes the chosen decks.
    EXPECT_EQ(dlg->currentDeck, 2);
    EXPECT_EQ(dlg->secondDeck, 5);
}

TEST_F(MainWindowTest, ColumnAChangesTheShownDeckColumnBOnlyTheSecondDeck)
{
    saveFile.Add(23, 7, 3);
    saveFile.Add(23, 8, 1);
    ASSERT_TRUE(Start());
    ScrollTo(20);
    ClickA(3);
    EXPECT_EQ(dlg->currentDeck, 23);
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), CardListOf({{7, 3}, {8, 1}}));
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(23)));

    const std::size_t statusWrites = StatusHistory().size();
    const std::size_t listWrites = view.Find(IDC_CARDLIST).history.size();
    ClickB(3);
    EXPECT_EQ(dlg->secondDeck, 23);
    EXPECT_EQ(StatusHistory().size(), statusWrites);
    EXPECT_EQ(view.Find(IDC_CARDLIST).history.size(), listWrites);

    // An empty deck: empty pane, "0" in the status line.
    ClickA(4);
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "");
    EXPECT_EQ(Status(), "0");
}

TEST_F(MainWindowTest, RenamingKeepsThirtySevenBytes)
{
    ASSERT_TRUE(Start());
    ScrollTo(10);
    const std::string forty = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
    ASSERT_EQ(forty.size(), 40u);
    TypeName(2, forty);
    EXPECT_EQ(Name(12), forty.substr(0, 37));
    EXPECT_EQ(Row(2), forty);  // until the rows are written again
    dlg->RefreshRows();
    EXPECT_EQ(Row(2), forty.substr(0, 37));

    // A cut inside a two-byte character keeps the lead byte; rewriting the rows
    // does not change the stored bytes.
    const std::string split = std::string(36, 'x') + Sjis(u8"デッキ");
    TypeName(3, split);
    const std::string stored = split.substr(0, 37);
    EXPECT_EQ(Name(13), stored);
    dlg->RefreshRows();
    ScrollTo(0);
    ScrollTo(10);
    EXPECT_EQ(Row(3), stored);
    EXPECT_EQ(Name(13), stored);

    TypeName(4, "");
    EXPECT_EQ(Name(14), "");
}

// -------------------------------------------------------------- tab commands

TEST_F(MainWindowTest, ExportWritesTheTickedFormatsOnly)
{
    saveFile.Fill(0, 20);
    ASSERT_TRUE(Start());
    view.SetCheck(IDC_FORMAT1, false);
    dlg->OnOkClicked();
    EXPECT_EQ(ws.List(ws.Root()), (std::vector<std::string>{"DeckEditor", "File"}));
    view.SetCheck(IDC_FORMAT1, true);
    view.SetCheck(IDC_FORMAT1 + 2, true);
    dlg->OnOkClicked();
    EXPECT_EQ(StatusHistory()[StatusHistory().size() - 2], Sjis(u8"デッキリスト作成中..."));
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(0)));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(ws.Exists("../deck_1_format1.txt"));
    EXPECT_FALSE(ws.Exists("../deck_1_format2.txt"));
    EXPECT_TRUE(ws.Exists("../deck_1_format3.txt"));
    EXPECT_FALSE(ws.Exists("../deck_all_format1.txt"));
    EXPECT_NE(ws.Get("../deck_1_format1.txt").find("Card20"), std::string::npos);

    // "all" exports every deck; the formats were read once, at the first Export.
    const std::string firstOutput = ws.Get("../deck_1_format1.txt");
    ws.Put("format1.ini", std::string("changed after the first export\r\n"));
    view.ClickRadio(IDC_ALL);
    view.SetCheck(IDC_FORMAT1 + 2, false);
    dlg->OnOkClicked();
    EXPECT_TRUE(ws.Exists("../deck_all_format1.txt"));
    EXPECT_FALSE(ws.Exists("../deck_all_format3.txt"));
    view.ClickRadio(IDC_ONE);
    ws.Put("../deck_1_format1.txt", std::string());
    dlg->OnOkClicked();
    EXPECT_EQ(ws.Get("../deck_1_format1.txt"), firstOutput);
}

TEST_F(MainWindowTest, DeleteResetsTheNameOnlyWhenItSucceeds)
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
    EXPECT_EQ(Name(4), Sjis(u8"デッキ05"));
    EXPECT_EQ(Row(4), Sjis(u8"デッキ05"));
    EXPECT_EQ(Status(), "0");
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), "");
    EXPECT_EQ(StatusHistory()[StatusHistory().size() - 2], Sjis(u8"デッキ消去中..."));

    // The game's active deck cannot go when it is the last complete one.
    ClickA(9);
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, std::string(kTextLastDeck));
    EXPECT_EQ(view.messages[0].caption, kCaption);
    EXPECT_EQ(Name(9), "Deck 10");
    EXPECT_EQ(dlg->saveData.Deck(9).CardCount(), 40);
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(9)));
}

TEST_F(MainWindowTest, CreateResetsTheNameAndStoresTheBoxsCode)
{
    saveFile.Fill(1, 200);
    saveFile.active = 1;
    saveFile.names[6] = "Old name";
    ASSERT_TRUE(Start());
    ClickA(6);
    ChooseTab(2);
    EXPECT_TRUE(view.IsItemVisible(IDC_MAIDCODE));
    std::uint8_t counts[600] = {};
    counts[1] = 2;  // card number 2, stock holds 1 copy: one complaint expected
    counts[2] = 3;  // card number 3, stock holds 2
    counts[4] = 1;  // card number 5, stock holds 0
    const std::string code = encode(counts);
    view.TypeText(IDC_MAIDCODE, code);
    std::string statusWhileMessage;
    view.onMessage = [&](const TestView::Message&) { statusWhileMessage = Status(); };
    dlg->OnOkClicked();

    EXPECT_EQ(Name(6), Sjis(u8"デッキ07"));
    EXPECT_EQ(Row(6), Sjis(u8"デッキ07"));
    const std::vector<std::string>& h = StatusHistory();
    ASSERT_GE(h.size(), 3u);
    EXPECT_EQ(h[h.size() - 3], Sjis(u8"デッキ名クリア中..."));
    EXPECT_EQ(h[h.size() - 2], Sjis(u8"DAZO Rozi展開中..."));
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(6)));
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), CardListOf({{2, 1}, {3, 2}}));
    // The stock limited the deck; the rules' complaints were shown unchanged,
    // with the progress text still on the status line.
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_FALSE(view.messages[0].text.empty());
    EXPECT_EQ(statusWhileMessage, Sjis(u8"DAZO Rozi展開中..."));
    // The tab bar moved to "作成" by itself; the code stays in the box.
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 2);
    EXPECT_EQ(view.GetItemText(IDC_MAIDCODE), code);

    // An empty box empties the deck.
    view.TypeText(IDC_MAIDCODE, "");
    dlg->OnOkClicked();
    EXPECT_EQ(dlg->saveData.Deck(6).CardCount(), 0);
    EXPECT_EQ(Status(), "0");
}

TEST_F(MainWindowTest, EditStoresTheCodeAndSelectsCreateWithoutATabChange)
{
    saveFile.Fill(0, 300);
    saveFile.names[3] = "Keep";
    ASSERT_TRUE(Start());
    ClickA(3);
    ChooseTab(3);
    std::uint8_t counts[600] = {};
    counts[7] = 3;  // card number 8: stock 3
    view.TypeText(IDC_MAIDCODE, encode(counts));
    dlg->OnOkClicked();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(Name(3), "Keep");
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), CardListOf({{8, 3}}));
    EXPECT_EQ(dlg->saveData.ActiveDeck(), 3);
    EXPECT_EQ(view.GetCurSel(IDC_TAB), 2);
    EXPECT_TRUE(view.IsItemVisible(IDC_MAIDCODE));
    EXPECT_TRUE(view.IsItemVisible(IDC_MAIDCODE_LABEL));
    EXPECT_FALSE(view.IsItemVisible(IDC_FORMAT_FRAME));

    // A mistyped code is refused before the deck is touched.
    view.TypeText(IDC_MAIDCODE, "0!!");
    ChooseTab(3);
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, Sjis(u8"DAZO Roziに使えない文字が入ってるみたいです…。"));
    EXPECT_EQ(view.GetItemText(IDC_CARDLIST), CardListOf({{8, 3}}));
}

TEST_F(MainWindowTest, DuplicateCopiesIntoTheSecondDeck)
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
    EXPECT_EQ(Name(8), "Source");
    EXPECT_EQ(Row(8), "Source");
    EXPECT_EQ(encode(dlg->saveData.Deck(8)), encode(dlg->saveData.Deck(5)));
    EXPECT_EQ(StatusHistory()[StatusHistory().size() - 2], Sjis(u8"デッキコピー中..."));
    // The current deck is still the source, and the marks are where they were.
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(5)));
    EXPECT_EQ(CheckedRow(IDC_RADIO_A), 5);
    EXPECT_EQ(CheckedRow(IDC_RADIO_B), 8);
}

TEST_F(MainWindowTest, SwapRefusesToMixNormalAndTrainingDecks)
{
    ASSERT_TRUE(Start());
    ChooseTab(5);
    ScrollTo(43);
    ClickA(6);  // slot 49
    ClickB(7);  // slot 50
    dlg->OnOkClicked();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, Sjis(u8"訓練デッキと普通のデッキは入れ替えできないんです。"));
    EXPECT_EQ(view.messages[0].caption, kCaption);
    EXPECT_EQ(Name(49), "Deck 50");
    EXPECT_EQ(Name(50), "Deck 51");
    EXPECT_EQ(StatusHistory()[StatusHistory().size() - 2], Sjis(u8"デッキ入れ替え中..."));

    ClickA(9);  // slot 52 with slot 50
    dlg->OnOkClicked();
    EXPECT_EQ(Name(52), "Deck 51");
    EXPECT_EQ(Name(50), "Deck 53");
    EXPECT_EQ(Row(7), "Deck 53");
    EXPECT_EQ(Row(9), "Deck 51");

    ScrollTo(0);
    ClickA(3);
    ClickB(7);
    dlg->OnOkClicked();
    EXPECT_EQ(Name(3), "Deck 8");
    EXPECT_EQ(Name(7), "Deck 4");
    EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(MainWindowTest, SaveWritesTheFileAndRedrawsOnlyTheStatusLine)
{
    saveFile.Fill(0, 30);
    ASSERT_TRUE(Start());
    TypeName(1, Sjis(u8"新しい名前"));
    const std::size_t rowWrites = view.Find(IDC_NAME_ROW).history.size();
    const std::size_t listWrites = view.Find(IDC_CARDLIST).history.size();
    dlg->OnSaveClicked();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(StatusHistory()[StatusHistory().size() - 2], Sjis(u8"セーブ中..."));
    EXPECT_EQ(Status(), encode(dlg->saveData.Deck(0)));
    EXPECT_EQ(view.Find(IDC_NAME_ROW).history.size(), rowWrites);
    EXPECT_EQ(view.Find(IDC_CARDLIST).history.size(), listWrites);

    SaveFileBuilder expected = saveFile;
    expected.names[1] = Sjis(u8"新しい名前");
    EXPECT_EQ(ws.Get(ws.SavePath()), expected.Bytes());
}

TEST_F(MainWindowTest, TabChangeShowsEachTabsControls)
{
    ASSERT_TRUE(Start());
    struct Row {
        int tab;
        bool columnB, maidCode, format;
    };
    const Row table[] = {{1, false, false, false}, {2, false, true, false}, {3, false, true, false},
                         {4, true, false, false},  {5, true, false, false}, {0, false, false, true}};
    for (const Row& row : table) {
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
