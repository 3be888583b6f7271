// The Edit tab across the two windows: the main window's logic (in a test
// view, and once in its Qt window) with the browser dialog on the real web
// engine, the test page and the real deck page.
#include "WebHarness.h"

#include "app/CDeckEditorDlg.h"
#include "app/QtDialogView.h"
#include "support/TestView.h"
#include "deckcode/DazoRozi.h"
#include "savedata/SaveData.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

#include <cstdint>

namespace {

constexpr int kEditTab = 3;
constexpr int kCreateTab = 2;
constexpr int kDeleteTab = 1;

std::vector<int> CountsOf(const DeckRecord& deck) { return std::vector<int>(deck.Counts(), deck.Counts() + 600); }

std::vector<int> CountsOf(std::initializer_list<std::pair<int, int>> cards)
{
    std::vector<int> counts(600, 0);
    for (const auto& [number, copies] : cards) {
        counts[static_cast<size_t>(number - 1)] = copies;
    }
    return counts;
}

QString JsText(const std::string& ascii) { return QStringLiteral("'") + QString::fromLatin1(ascii.c_str()) + "'"; }

// A game folder, the main window on a test view and the browser dialog's Qt
// window. Declared so that the browser window goes first, the folder last.
struct Game : GameFolder {
    TestView mainView;
    std::unique_ptr<CDeckEditorDlg> dlg;
    std::unique_ptr<WebDialog> web;

    Game()
    {
        saveFile.names[0] = Sjis(u8"炎のデッキ");
        saveFile.Add(0, 10, 2);
        saveFile.Add(0, 20, 1);
        saveFile.names[1] = Sjis(u8"水のデッキ");
        saveFile.Add(1, 30, 1);
        // A complete deck elsewhere, so that emptying the active deck 1 is allowed.
        saveFile.Fill(5, 100);
        ws.Put("deckmaker.htm", TestPage());
        std::vector<int> columnA, columnB;
        for (int r = 0; r < 10; ++r) {
            columnA.push_back(IDC_RADIO_A + r);
            columnB.push_back(IDC_RADIO_B + r);
        }
        mainView.AddRadioGroup(columnA);
        mainView.AddRadioGroup(columnB);
    }

    // The program's start: the main window builds and initialises itself,
    // creating the browser dialog, which requests the page.
    bool Start()
    {
        WriteSaveFile();
        dlg = std::make_unique<CDeckEditorDlg>(mainView);
        web = std::make_unique<WebDialog>(dlg->browser, nullptr);
        bool initialised = false;
        const bool loaded = web->LoadBy([&] { initialised = dlg->OnInitDialog(); });
        return initialised && loaded;
    }

    void ChooseTab(int index)
    {
        mainView.SelectTab(IDC_TAB, index);
        dlg->OnTabSelChange();
    }
    void ChooseDeck(int row)
    {
        mainView.ClickRadio(IDC_RADIO_A + row);
        dlg->OnDeckRadio(row);
    }
    // The page reports texts, then a marker the test waits for.
    bool PageReports(const std::vector<std::string>& texts)
    {
        QString script;
        for (const std::string& text : texts) {
            script += "window.status = " + JsText(text) + ";";
        }
        script += "window.status = 'reported';";
        web->statusTexts.clear();
        web->Eval(script);
        return web->WaitForStatus("reported");
    }
    int HandOvers() const { return web->Eval("calls.length").toInt(); }
    std::string HandedOver(int i) const
    {
        return web->Eval(QStringLiteral("calls[%1][0] ? calls[%1][1] : 'not the page deck'").arg(i)).toString().toStdString();
    }
    bool BrowserShown() const { return web->Dialog()->isVisible(); }
    void PressOk() const { web->Dialog()->okButton->click(); }
    void CloseBox() const { web->Dialog()->close(); }
    const DeckRecord& Deck(int slot) const { return dlg->saveData.Deck(slot); }
};

}  // namespace

TEST(EditFlow, StartUpRequestsThePageWithoutWaitingAndKeepsTheWindowHidden)
{
    Game g;
    g.ws.Put(g.ws.SavePath(), g.saveFile.Bytes());
    CDeckEditorDlg dlg(g.mainView);
    WebDialog web(dlg.browser, nullptr);
    QSignalSpy loaded(web.Page(), &QWebEnginePage::loadFinished);
    ASSERT_TRUE(dlg.OnInitDialog());
    // Start-up is over and the page is still on its way.
    EXPECT_EQ(loaded.count(), 0);
    EXPECT_EQ(web.Page()->requestedUrl(),
              QUrl::fromLocalFile(QString::fromStdString(g.ws.WorkDir()) + "/deckmaker.htm"));
    EXPECT_FALSE(web.Dialog()->isVisible());
    EXPECT_EQ(dlg.browser.owner, &dlg);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() > 0; }, kWaitMs));
    EXPECT_FALSE(web.Dialog()->isVisible());
    EXPECT_EQ(dlg.browser.explorer.capturedCode, "");
}

TEST(EditFlow, EditTabHandsOverAndOkStoresThePagesCodeIntoTheCurrentDeck)
{
    Game g;
    ASSERT_TRUE(g.Start());
    EXPECT_FALSE(g.BrowserShown());

    g.ChooseTab(kEditTab);
    ASSERT_TRUE(g.web->WaitFor("calls.length", 1));
    EXPECT_EQ(g.HandedOver(0), CodeOf({{10, 2}, {20, 1}}));
    EXPECT_TRUE(g.BrowserShown());
    EXPECT_EQ(g.web->Dialog()->windowTitle(), QString::fromUtf8(u8"炎のデッキ"));

    const std::string edited = CodeOf({{4, 3}, {8, 2}});
    ASSERT_TRUE(g.PageReports({"file:///somewhere/help.htm", edited, "", "Loading..."}));
    EXPECT_EQ(g.dlg->browser.explorer.capturedCode, edited);

    g.PressOk();
    EXPECT_EQ(g.mainView.GetItemText(IDC_MAIDCODE), edited);
    EXPECT_EQ(CountsOf(g.Deck(0)), CountsOf({{4, 3}, {8, 2}}));
    EXPECT_EQ(g.Deck(0).Name(), Sjis(u8"炎のデッキ"));
    EXPECT_TRUE(g.mainView.messages.empty());
    EXPECT_EQ(g.mainView.GetCurSel(IDC_TAB), kCreateTab);
    EXPECT_FALSE(g.BrowserShown());
    const auto& status = g.mainView.Find(IDC_STATUS).history;
    ASSERT_GE(status.size(), 2u);
    EXPECT_EQ(status[status.size() - 2], Sjis(u8"DAZO Rozi展開中..."));
    EXPECT_EQ(status.back(), edited);

    // From 作成, 編集 is a change of tab again: a new hand-over of the stored deck.
    g.ChooseTab(kEditTab);
    ASSERT_TRUE(g.web->WaitFor("calls.length", 2));
    EXPECT_EQ(g.HandedOver(1), edited);
    EXPECT_TRUE(g.BrowserShown());
}

TEST(EditFlow, CancelSelectsCreateAndStoresNothing)
{
    Game g;
    ASSERT_TRUE(g.Start());
    g.ChooseTab(kEditTab);
    ASSERT_TRUE(g.web->WaitFor("calls.length", 1));
    g.mainView.TypeText(IDC_MAIDCODE, "0typed");
    const std::string edited = CodeOf({{4, 1}});
    ASSERT_TRUE(g.PageReports({edited}));

    g.CloseBox();
    EXPECT_FALSE(g.BrowserShown());
    EXPECT_EQ(g.mainView.GetCurSel(IDC_TAB), kCreateTab);
    EXPECT_EQ(g.mainView.GetItemText(IDC_MAIDCODE), "0typed");
    EXPECT_EQ(CountsOf(g.Deck(0)), CountsOf({{10, 2}, {20, 1}}));
    EXPECT_TRUE(g.mainView.messages.empty());
    EXPECT_EQ(g.HandOvers(), 1);
    // Hiding keeps the code the page reported.
    EXPECT_EQ(g.dlg->browser.explorer.capturedCode, edited);
}

TEST(EditFlow, OkStoresTheLastReportedCodeEvenIntoAnotherDeck)
{
    Game g;
    ASSERT_TRUE(g.Start());
    g.ChooseTab(kEditTab);
    const std::string editedA = CodeOf({{4, 3}, {12, 1}});
    ASSERT_TRUE(g.PageReports({editedA}));
    g.CloseBox();

    // Deck B is handed over, but the page has reported nothing since.
    g.ChooseDeck(1);
    g.ChooseTab(kEditTab);
    ASSERT_TRUE(g.web->WaitFor("calls.length", 2));
    EXPECT_EQ(g.HandedOver(1), CodeOf({{30, 1}}));
    EXPECT_EQ(g.web->Dialog()->windowTitle(), QString::fromUtf8(u8"水のデッキ"));
    g.PressOk();

    EXPECT_EQ(g.mainView.GetItemText(IDC_MAIDCODE), editedA);
    EXPECT_EQ(CountsOf(g.Deck(1)), CountsOf({{4, 3}, {12, 1}}));
    EXPECT_EQ(CountsOf(g.Deck(0)), CountsOf({{10, 2}, {20, 1}}));
}

TEST(EditFlow, OkWithoutAnyReportedCodeStoresTheEmptyText)
{
    Game g;
    ASSERT_TRUE(g.Start());
    g.ChooseTab(kEditTab);
    ASSERT_TRUE(g.web->WaitFor("calls.length", 1));
    ASSERT_TRUE(g.PageReports({"about:blank", "Loading 0"}));
    g.PressOk();

    // The empty text stores an empty deck.
    EXPECT_EQ(g.mainView.GetItemText(IDC_MAIDCODE), "");
    EXPECT_EQ(g.Deck(0).CardCount(), 0);
    EXPECT_TRUE(g.mainView.messages.empty());
    EXPECT_EQ(g.mainView.GetCurSel(IDC_TAB), kCreateTab);
    EXPECT_FALSE(g.BrowserShown());
}

TEST(EditFlow, OkRunsTheCommandOfTheTabSelectedAtThatMoment)
{
    Game g;
    ASSERT_TRUE(g.Start());
    g.ChooseTab(kEditTab);
    const std::string edited = CodeOf({{8, 2}});
    ASSERT_TRUE(g.PageReports({edited}));

    // 消去, chosen while the browser window is open, which stays open.
    g.ChooseTab(kDeleteTab);
    EXPECT_TRUE(g.BrowserShown());
    // The box gets the code, and the deck is deleted, not stored.
    g.PressOk();
    EXPECT_EQ(g.mainView.GetItemText(IDC_MAIDCODE), edited);
    EXPECT_EQ(g.Deck(0).CardCount(), 0);
    EXPECT_EQ(g.Deck(0).Name(), DefaultDeckNameOf(0));
    EXPECT_FALSE(g.BrowserShown());
    EXPECT_EQ(g.mainView.GetCurSel(IDC_TAB), kDeleteTab);
}

TEST(EditFlow, RealDeckPageReportsAndReturnsTheHandedOverDeck)
{
    const std::string page = ReadFileBytes(DECK_PAGE_SOURCE);
    if (page.empty()) {
        GTEST_SKIP() << "no data/deckmaker.htm in the source tree: the real page is not exercised";
    }
    Game g;
    g.ws.Put("deckmaker.htm", page);
    const std::string cards = ReadFileBytes(CARD_LIST_SOURCE);
    if (!cards.empty()) {
        g.ws.Put("list.xml", cards);
    }
    ASSERT_TRUE(g.Start());

    // The page reports the deck it was given.
    const std::string handed = CodeOf({{10, 2}, {20, 1}});
    g.ChooseTab(kEditTab);
    ASSERT_TRUE(g.web->WaitForStatus(handed));
    EXPECT_EQ(g.dlg->browser.explorer.capturedCode, handed);

    // A deck loaded in the page (as editing there would give) comes back by ok.
    const std::string edited = CodeOf({{4, 3}, {8, 2}, {600, 1}});
    g.web->Eval(QStringLiteral("demaid(deck, %1)").arg(JsText(edited)));
    ASSERT_TRUE(g.web->WaitForStatus(edited));
    g.PressOk();
    EXPECT_EQ(g.mainView.GetItemText(IDC_MAIDCODE), edited);
    EXPECT_EQ(CountsOf(g.Deck(0)), CountsOf({{4, 3}, {8, 2}, {600, 1}}));
    EXPECT_FALSE(g.BrowserShown());

    // An empty deck: "0" handed over and reported back.
    g.ChooseDeck(2);
    g.ChooseTab(kEditTab);
    EXPECT_EQ(g.web->Dialog()->windowTitle(), "Deck 3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.dlg->browser.explorer.capturedCode == "0"; }, kWaitMs));

    // The page puts nothing but codes into the status text.
    for (const std::string& text : g.web->statusTexts) {
        if (!text.empty() && text.rfind("file:", 0) != 0) {
            EXPECT_EQ(text[0], '0') << text;
        }
    }
}

TEST(EditFlow, QtMainWindowAndBrowserWindowTogether)
{
    Game g;
    g.ws.Put(g.ws.SavePath(), g.saveFile.Bytes());
    QtDialogView view;
    view.autoCloseMessages = true;  // none expected; never wait on one
    CDeckEditorDlg dlg(view);
    view.Connect(&dlg);
    WebDialog web(dlg.browser, &view);
    ASSERT_TRUE(web.LoadBy([&] { ASSERT_TRUE(dlg.OnInitDialog()); }));
    view.show();
    EXPECT_FALSE(web.Dialog()->isVisible());
    EXPECT_EQ(web.Dialog()->parentWidget(), &view);

    auto* tabs = qobject_cast<QTabBar*>(view.Control(IDC_TAB));
    auto* box = qobject_cast<QLineEdit*>(view.Control(IDC_MAIDCODE));
    ASSERT_TRUE(tabs && box);

    // The user chooses 編集.
    tabs->setCurrentIndex(kEditTab);
    ASSERT_TRUE(web.WaitFor("calls.length", 1));
    EXPECT_EQ(web.Eval("calls[0][1]").toString().toStdString(), CodeOf({{10, 2}, {20, 1}}));
    EXPECT_TRUE(web.Dialog()->isVisible());
    EXPECT_EQ(web.Dialog()->windowTitle(), QString::fromUtf8(u8"炎のデッキ"));

    const std::string edited = CodeOf({{4, 2}});
    web.statusTexts.clear();
    web.Eval(QStringLiteral("window.status = %1").arg(JsText(edited)));
    ASSERT_TRUE(web.WaitForStatus(edited));
    web.Dialog()->okButton->click();
    EXPECT_EQ(box->text().toStdString(), edited);
    EXPECT_EQ(CountsOf(dlg.saveData.Deck(0)), CountsOf({{4, 2}}));
    EXPECT_EQ(tabs->currentIndex(), kCreateTab);
    EXPECT_FALSE(web.Dialog()->isVisible());
}
