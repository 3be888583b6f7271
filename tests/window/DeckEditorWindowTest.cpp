// The main window's logic on a screen that records every call: what it shows
// after scrolling and commands, each tab's controls, the browser's ok and
// cancel, and the questions. What the commands do to the decks is in
// tests/session and tests/rules; the flows a player lives in are in tests/e2e.
#include "window/DeckEditorWindow.h"
#include "collection/Collection.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// Keeps what is shown, and logs each call by name; answers every question no.
class RecordingScreen : public Screen {
public:
    void Open(const Opening& o) override { Log("Open"), opening = o; }
    void ShowRows(const GridRows& r) override { Log("ShowRows"), rows = r; }
    void ShowCardList(const std::string& text) override { Log("ShowCardList"), cardList = text; }
    void ShowStatus(const std::string& text) override { Log("ShowStatus"), status = text; }
    void ShowTab(Tab t) override { Log("ShowTab"), tab = t; }
    void SetCode(const std::string& text) override { Log("SetCode"), code = text; }
    void ShowBackups(const std::vector<BackupLine>& l, int c) override { Log("ShowBackups"), backups = l, chosen = c; }
    void Tell(const std::string& text) override { Log("Tell"), Said(text); }
    bool Ask(const std::string& text) override { return Log("Ask"), Said(text), false; }
    void End() override { Log("End"), ended = true; }

    void Log(const char* call) { calls.push_back(call); }
    void Said(const std::string& text) { told.push_back(text), statusWhileTold.push_back(status); }

    std::vector<std::string> calls;
    Opening opening;
    GridRows rows;
    std::string cardList, status, code;
    Tab tab = kTabCount;
    std::vector<BackupLine> backups;
    int chosen = -2;
    // Messages and questions, and what the status line showed meanwhile: a
    // command's progress text is painted only then.
    std::vector<std::string> told, statusWhileTold;
    bool ended = false;
};

const std::string kDiscard = Sjis(u8"まだセーブしていない変更がありますよぉ。\r\n保存しないで終わっちゃっていいですか？");
const std::string kOverwrite = Sjis(u8"セーブデータがゲームで書き換えられたみたいです。\r\n上書きしちゃっていいですか？");

class WindowTest : public ::testing::Test, protected GameFolder {
protected:
    bool Start(bool withSaveFile = true)
    {
        if (withSaveFile) {
            WriteSaveFile();
        }
        window = std::make_unique<DeckEditorWindow>(screen, ws.Paths());
        window->openPage = [this](const PageRequest& request) { pages.push_back(request); };
        return window->Start();
    }

    std::string Name(int row) const { return screen.rows.names[row]; }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> shown;
        for (const BackupLine& line : screen.backups) {
            shown.push_back(line.text + (line.choosable ? "" : " (greyed)"));
        }
        return shown;
    }

    RecordingScreen screen;
    // What 編集 asked the deck page for.
    std::vector<PageRequest> pages;
    std::unique_ptr<DeckEditorWindow> window;
};

}  // namespace

TEST_F(WindowTest, WithoutSaveFileOnlyTheMessageIsShownAndTheWindowEnds)
{
    EXPECT_FALSE(Start(false));
    EXPECT_EQ(screen.told, std::vector<std::string>{Sjis(u8"セーブデータが開けないようです…。")});
    EXPECT_TRUE(screen.ended);
    EXPECT_TRUE(ws.List(ws.BackupDir()).empty());
}

// Scrolling at and beyond the ends; the marks of the chosen decks (slot 2 in
// column A, slot 5 in B) follow the rows, and the chosen decks stay.
TEST_F(WindowTest, ScrollingStopsAtTheEndsAndTheMarksFollow)
{
    const struct {
        int from, to;
        bool by;  // ScrollBy(amount), else ScrollTo(amount)
        int amount;
    } cases[] = {
        {0, 0, true, -1},  {43, 43, true, 1},  {7, 0, true, -10}, {40, 43, true, 10},
        {0, 43, false, 99}, {10, 0, false, -3}, {12, 12, true, 0}, {1, 3, false, 3},
    };
    ASSERT_TRUE(Start());
    window->ChooseDeck(2);
    window->ChooseSecond(5);
    for (const auto& c : cases) {
        window->ScrollTo(c.from);
        c.by ? window->ScrollBy(c.amount) : window->ScrollTo(c.amount);
        EXPECT_EQ(screen.rows.top, c.to) << c.from << " " << c.amount;
        EXPECT_EQ(Name(0), "Deck " + std::to_string(c.to + 1));
        EXPECT_EQ(Name(9), "Deck " + std::to_string(c.to + 10));
        EXPECT_EQ(screen.rows.markA, c.to <= 2 ? 2 - c.to : -1) << c.from << " " << c.amount;
        EXPECT_EQ(screen.rows.markB, c.to <= 5 ? 5 - c.to : -1) << c.from << " " << c.amount;
    }
    // A row chosen is the deck shown in it.
    window->ChooseDeck(4);
    window->ChooseSecond(9);
    EXPECT_EQ(window->currentDeck, 7);
    EXPECT_EQ(window->secondDeck, 12);
    EXPECT_EQ(screen.status, encode(window->saveData.Deck(7)));
    window->ScrollTo(2);
    EXPECT_EQ(screen.rows.markA, 5);
    EXPECT_EQ(screen.rows.markB, -1);  // deck 13, just below the rows
}

// Rows and tabs past either end, as a stray event could name them, change
// nothing and show nothing.
TEST_F(WindowTest, RowsAndTabsOutOfRangeAreIgnored)
{
    ASSERT_TRUE(Start());
    screen.calls.clear();
    for (const int row : {-1, kRows}) {
        window->ChooseDeck(row);
        window->ChooseSecond(row);
        window->TypeName(row, "x");
    }
    for (const int tab : {-1, static_cast<int>(kTabCount)}) {
        window->ChooseTab(tab);
    }
    EXPECT_TRUE(screen.calls.empty());
    EXPECT_EQ(window->currentDeck, 0);
    EXPECT_EQ(window->secondDeck, 0);
    EXPECT_EQ(window->tab, kTabExport);
    EXPECT_FALSE(window->saveData.HasUnsavedChanges());
}

// Every command ends by showing the current deck's code, cards and rows
// again; a refusal is said while the status line has the command's progress
// text. Each tab's controls come with it.
TEST_F(WindowTest, CommandsShowTheirProgressWhileSayingWhyTheyWereRefused)
{
    saveFile.Fill(9, 100);
    saveFile.active = 9;  // the only complete deck
    saveFile.names[5] = "Source";
    ASSERT_TRUE(Start());
    const std::string code = CodeOf({{2, 2}});  // the stock holds 1 copy of card 2
    const struct {
        int tab, top, a, b;  // the scroll position, then the rows of the two marks
        std::string code, text, progress;
    } refused[] = {
        {1, 0, 9, 0, "", kTextLastDeck, Sjis(u8"デッキ消去中...")},
        {4, 0, 5, 9, "", kTextLastDeck, Sjis(u8"デッキコピー中...")},
        {5, 43, 6, 7, "", Sjis(u8"訓練デッキと普通のデッキは入れ替えできないんです。"), Sjis(u8"デッキ入れ替え中...")},
        {2, 0, 0, 0, "000 x", Sjis(u8"DAZO Roziに使えない文字が入ってるみたいです…。"), Sjis(u8"DAZO Rozi展開中...")},
        {3, 0, 6, 0, code, "Card2" + Sjis(u8" が足りないみたいです\n"), Sjis(u8"DAZO Rozi展開中...")},
    };
    for (const auto& c : refused) {
        window->ChooseTab(c.tab);
        EXPECT_EQ(screen.tab, c.tab);
        window->ScrollTo(c.top);
        window->ChooseDeck(c.a);
        window->ChooseSecond(c.b);
        window->TypeCode(c.code);
        screen.told.clear();
        window->Ok();
        ASSERT_EQ(screen.told, std::vector<std::string>{c.text}) << c.tab;
        EXPECT_EQ(screen.statusWhileTold.back(), c.progress);
    }
    // 作成 and 編集 go back to 作成; what fitted went in.
    EXPECT_EQ(screen.tab, kTabCreate);
    EXPECT_EQ(screen.cardList, "Card2 x 1\r\n");
    EXPECT_EQ(screen.status, CodeOf({{2, 1}}));

    // A copy made: its row redrawn, the marks kept.
    window->ChooseTab(kTabDuplicate);
    window->ChooseDeck(5);
    window->ChooseSecond(8);
    screen.told.clear();
    window->Ok();
    EXPECT_TRUE(screen.told.empty());
    EXPECT_EQ(Name(8), "Source");
    EXPECT_EQ(screen.rows.markA, 5);
    EXPECT_EQ(screen.rows.markB, 8);
}

// The formats ticked and the scope chosen are what the export writes; a list
// that cannot be written is said with the export's progress text.
TEST_F(WindowTest, ExportWritesTheTickedFormatsForTheChosenScope)
{
    ASSERT_TRUE(Start());
    window->ToggleFormat(0, false);
    window->ToggleFormat(2, true);
    window->Ok();
    window->ChooseExportScope(true);
    window->ToggleFormat(1, true);
    window->ToggleFormat(2, false);
    ASSERT_EQ(::mkdir((ws.Root() + "/deck_all_format2.txt").c_str(), 0755), 0);
    window->Ok();
    EXPECT_EQ(ws.List(ws.Root()), (std::vector<std::string>{"DeckEditor", "File", "deck_1_format3.txt",
                                                            "deck_all_format2.txt"}));
    ASSERT_EQ(screen.told, std::vector<std::string>{Sjis(u8"「../deck_all_format2.txt」に書き込めなかったみたいです…。")});
    EXPECT_EQ(screen.statusWhileTold.back(), Sjis(u8"デッキリスト作成中..."));
}

// 復元 reads the backups only when chosen; the pane shows the chosen backup's
// deck of the current slot; the whole save only after a question that names
// the backup's date. What is restored is in tests/backups and tests/e2e.
TEST_F(WindowTest, RestoreTabShowsTheChosenBackupsDeckAndAsksBeforeTheWholeSave)
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
    EXPECT_EQ(screen.chosen, -2);
    window->ChooseTab(kTabRestore);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"2026/12/02 12:00" + Sjis(u8" 読めません") + " (greyed)",
                                                 "2026/12/01 12:00", "2026/11/30 09:05"}));
    EXPECT_EQ(screen.chosen, 1);
    window->ChooseDeck(1);
    EXPECT_EQ(screen.cardList, "Old two\r\n\r\nCard12 x 2\r\n");

    const std::string before = Image(window->saveData);
    window->ChooseRestoreScope(true);
    window->Ok();
    EXPECT_EQ(screen.told, std::vector<std::string>{Sjis(
                               u8"2026/12/01 12:00 のバックアップに、セーブデータを丸ごと戻しちゃっていいですか？\r\n"
                               u8"それより後にゲームで手に入れたカードや作ったデッキは無くなっちゃいますよぉ。")});
    EXPECT_EQ(Image(window->saveData), before);

    // Another backup, kept when the tab is chosen again; other tabs show the deck itself.
    window->ChooseBackup(2);
    EXPECT_EQ(screen.cardList, "Deck 2\r\n\r\n");
    window->ChooseTab(kTabExport);
    EXPECT_EQ(screen.cardList, "");
    window->ChooseTab(kTabRestore);
    EXPECT_EQ(screen.chosen, 2);

    std::filesystem::remove_all(ws.BackupDir());
    window->ChooseTab(kTabRestore);
    EXPECT_EQ(Lines(), std::vector<std::string>{Sjis(u8"バックアップフォルダが無いみたいです。") + " (greyed)"});
    EXPECT_EQ(screen.cardList, kTextNoBackupFolder);
}

// ------------------------------------------- the browser's ok and cancel
// That each request is answered at most once is the client's (tests/browser);
// the round trip through the real page is in tests/e2e.

class BrowserTest : public WindowTest {
protected:
    void SetUp() override
    {
        saveFile.Add(0, 10, 2);
        saveFile.Fill(5, 100);  // a complete deck elsewhere, so that deck 1 may be emptied
        ASSERT_TRUE(Start());
        window->ChooseTab(kTabEdit);
    }
};

// 編集 asks for the current deck by its number and name, with its code and
// what the page is told of the player's cards for it.
TEST_F(BrowserTest, EditAsksForTheCurrentDecksPage)
{
    window->ChooseDeck(5);
    window->ChooseTab(kTabEdit);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].number, 1);
    EXPECT_EQ(pages[0].code, CodeOf({{10, 2}}));
    EXPECT_EQ(pages[1].number, 6);
    EXPECT_EQ(pages[1].name, window->saveData.Deck(5).Name());
    EXPECT_EQ(pages[1].code, encode(window->saveData.Deck(5)));
    EXPECT_EQ(pages[1].collection, CollectionJson(window->saveData, 5));
    EXPECT_NE(pages[1].collection, CollectionJson(window->saveData, 0));
}

TEST_F(BrowserTest, CancelStoresNothingAndGoesBackToCreate)
{
    window->TypeCode("0typed");
    window->OnBrowserCancelled();
    EXPECT_EQ(screen.tab, kTabCreate);
    EXPECT_EQ(window->code, "0typed");
    EXPECT_EQ(encode(window->saveData.Deck(0)), CodeOf({{10, 2}}));
    EXPECT_TRUE(screen.told.empty());
}

// ok stores the page's code as 編集 does, on the deck current at that moment,
// whatever tab was chosen since.
TEST_F(BrowserTest, OkStoresThePagesCodeAsEditDoesWhateverTabWasChosen)
{
    const struct {
        Tab tab;
        int deck, card;
    } cases[] = {{kTabDelete, 0, 3}, {kTabExport, 1, 7}, {kTabRestore, 2, 11}, {kTabSwap, 3, 15}};
    for (const auto& [tab, deck, card] : cases) {
        window->ChooseDeck(deck);
        const std::string name = window->saveData.Deck(deck).Name();
        const std::string edited = CodeOf({{card, 1}});
        window->ChooseTab(kTabEdit);
        window->ChooseTab(tab);
        window->OnBrowserCode(edited);
        EXPECT_EQ(encode(window->saveData.Deck(deck)), edited) << tab;
        EXPECT_EQ(window->saveData.Deck(deck).Name(), name);  // 作成 would reset it
        EXPECT_EQ(screen.code, edited);
        EXPECT_EQ(screen.tab, kTabCreate);
        EXPECT_EQ(screen.status, edited);
    }
}

// The browser's ok reaches the window as its code: from there to the redrawn
// rows it is drawn whole, and nothing is read back.
TEST_F(BrowserTest, OkIsSixScreenCalls)
{
    screen.calls.clear();
    window->OnBrowserCode(CodeOf({{3, 1}}));
    EXPECT_EQ(screen.calls, (std::vector<std::string>{"SetCode", "ShowStatus", "ShowTab", "ShowStatus",
                                                       "ShowCardList", "ShowRows"}));
    EXPECT_EQ(screen.cardList, "Card3 x 1\r\n");
}

// SAVE never silently overwrites a file it did not write; ending never
// silently drops unsaved edits. The answers are in tests/e2e.

TEST_F(WindowTest, QuestionsAreAskedWhileTheStatusSaysWhy)
{
    ASSERT_TRUE(Start());
    window->Close();
    EXPECT_TRUE(screen.ended);  // nothing to lose: no question
    screen.ended = false;
    window->ScrollTo(5);
    window->TypeName(0, "Renamed");
    EXPECT_EQ(window->saveData.Deck(5).Name(), "Renamed");
    ::unlink(ws.SavePath().c_str());  // a deleted save file counts as the game's doing
    window->Save();
    EXPECT_FALSE(ws.Exists(ws.SavePath()));
    window->Close();
    EXPECT_FALSE(screen.ended);
    ASSERT_EQ(screen.told, (std::vector<std::string>{kOverwrite, kDiscard}));
    EXPECT_EQ(screen.statusWhileTold[0], Sjis(u8"セーブ中..."));
}

// The window's own part of undo: the status line names the step, and undoing
// redraws the rows, the card list and the marks. Which commands are steps and
// how a typed rename becomes one is in tests/session.
TEST_F(WindowTest, UndoSaysWhatItTookBackAndRedrawsIt)
{
    saveFile.Fill(1, 100);
    saveFile.Fill(2, 200);
    saveFile.active = 1;
    ASSERT_TRUE(Start());
    window->ChooseDeck(1);
    window->ChooseTab(kTabDelete);
    window->Ok();
    window->TypeName(4, "C");
    window->NameLeft();
    window->ScrollTo(1);
    for (const char* label : {u8"名前変更 (デッキ 5)", u8"消去 (デッキ 2)"}) {
        window->Undo();
        EXPECT_EQ(screen.status, Sjis(u8"元に戻しました: ") + Sjis(label));
    }
    EXPECT_FALSE(window->saveData.HasUnsavedChanges());
    EXPECT_EQ(Name(0), "Deck 2");
    EXPECT_EQ(Name(3), "Deck 5");
    EXPECT_EQ(screen.cardList.substr(0, 13), "Card100 x 3\r\n");
    EXPECT_EQ(screen.rows.markA, 0);
    window->Redo();
    EXPECT_EQ(screen.status, Sjis(u8"やり直しました: 消去 (デッキ 2)"));
    EXPECT_EQ(screen.cardList, "");
}
