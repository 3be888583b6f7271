// The browser window of deckeditor-browser on the real Qt WebEngine
// (offscreen): the editor's commands go in, its messages come out.
#include "TestPages.h"

#include "browserwindow/BrowserWindow.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace m = browsermessage;

namespace {

QString Qs(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size())); }

struct Window {
    std::vector<BrowserMessage> sent;
    BrowserWindow window{[this](const char* name, const std::string& text) { sent.push_back({name, text}); }};

    BrowserDialog* Dialog() const { return window.Dialog(); }
    QWebEnginePage* Page() const { return window.Page(); }
    void Do(const char* name, const std::string& text = std::string()) { window.Handle({name, text}); }

    bool Load(const std::string& path)
    {
        QSignalSpy loaded(Page(), &QWebEnginePage::loadFinished);
        Do(m::kNavigate, path);
        return QTest::qWaitFor([&] { return loaded.count() > 0; }, kWaitMs) && loaded.takeFirst().at(0).toBool();
    }
    QVariant Eval(const QString& script) const
    {
        bool done = false;
        QVariant result;
        Page()->runJavaScript(script, [&](const QVariant& value) {
            result = value;
            done = true;
        });
        (void)QTest::qWaitFor([&] { return done; }, kWaitMs);
        return result;
    }
    bool WaitFor(const QString& script, const QVariant& expected) const
    {
        return QTest::qWaitFor([&] { return Eval(script) == expected; }, kWaitMs);
    }
    std::vector<std::string> Texts(const char* name) const
    {
        std::vector<std::string> texts;
        for (const BrowserMessage& message : sent) {
            if (message.name == name) {
                texts.push_back(message.text);
            }
        }
        return texts;
    }
    bool WaitForStatus(const std::string& text) const
    {
        return QTest::qWaitFor(
            [&] {
                const std::vector<std::string> seen = Texts(m::kStatus);
                return std::find(seen.begin(), seen.end(), text) != seen.end();
            },
            kWaitMs);
    }
};

}  // namespace

TEST(BrowserWindow, HandOversWaitForTheSlowPageAndOkWaitsForThem)
{
    Workspace ws;
    ws.Put("deckmaker.htm", TestPage(true));
    ws.Put("list.xml", "1 first card\n");
    Window w;
    w.window.Ready();
    ASSERT_EQ(w.sent.size(), 1u);
    std::vector<long long> rects;
    ASSERT_TRUE(ParseNumbers(w.sent[0].text, rects));
    EXPECT_EQ(w.sent[0].name, m::kReady);
    EXPECT_EQ(rects.size(), 8u);

    // Choosing 編集 at once after start: the hand-over comes right after the page.
    w.Do(m::kNavigate, ws.WorkDir() + "/deckmaker.htm");
    w.Do(m::kNavigate, "javascript:demaid(deck, '01a3Zt1');eval();");
    // Scripts are percent-decoded as a browser does, and their texts are
    // code page 932 on the way in.
    w.Do(m::kNavigate, "javascript:calls.push('a%20b');eval();");
    w.Do(m::kNavigate, "javascript:calls.push('" + Sjis(u8"編集") + "');eval();");
    EXPECT_FALSE(w.Dialog()->okButton->isEnabled());
    ASSERT_TRUE(w.WaitForStatus("01a3Zt1"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Dialog()->okButton->isEnabled(); }, kWaitMs));
    EXPECT_EQ(w.Eval("JSON.stringify(calls)").toString(), Qs(u8R"([[true,"01a3Zt1"],"a b","編集"])"));
    // The page was not replaced, is still hidden, and may read list.xml beside it.
    EXPECT_EQ(w.Page()->url(), QUrl::fromLocalFile(Qs(ws.WorkDir()) + "/deckmaker.htm"));
    EXPECT_FALSE(w.Dialog()->isVisible());
    EXPECT_TRUE(w.WaitFor("listText", QStringLiteral("1 first card\n")));
}

TEST(BrowserWindow, StatusTextsAreReportedInOrderInCodePage932)
{
    Workspace ws;
    ws.Put("deckmaker.htm", TestPage());
    ws.Put("second.htm", "<html><body><script>window.status = '0second';</script></body></html>");
    Window w;
    ASSERT_TRUE(w.Load(ws.WorkDir() + "/deckmaker.htm"));
    w.Eval(Qs(u8"window.status = '0a1b2'; window.status = ''; window.status = 'Loading 0';"
              u8"console.log('status-0zz:0zz'); window.status = '0デッキ'; window.status = 'end'"));
    ASSERT_TRUE(w.WaitForStatus("end"));
    // In order; the engine may add link reports of its own, and a console
    // message that merely looks alike is none.
    const std::vector<std::string> expected{"0a1b2", "", "Loading 0", Sjis(u8"0デッキ"), "end"};
    std::size_t matched = 0;
    for (const std::string& text : w.Texts(m::kStatus)) {
        matched += matched < expected.size() && text == expected[matched] ? 1 : 0;
        EXPECT_NE(text, "0zz");
    }
    EXPECT_EQ(matched, expected.size());
    // Reading gives back the last text.
    EXPECT_EQ(w.Eval("window.status").toString(), "end");
    // Reporting survives loading another page.
    w.Do(m::kNavigate, ws.WorkDir() + "/second.htm");
    EXPECT_TRUE(w.WaitForStatus("0second"));
}

TEST(BrowserWindow, DoesWhatTheEditorSaysAndReportsWhatThePlayerDoes)
{
    Workspace ws;
    ws.Put("deckmaker.htm", TestPage());
    Window w;
    w.window.Ready();
    ASSERT_TRUE(w.Load(ws.WorkDir() + "/deckmaker.htm"));
    w.Do(m::kCaption, Sjis(u8"炎のデッキ"));
    w.Do(m::kShow);
    w.Do(m::kMove, "40 30 740 530");
    EXPECT_TRUE(w.Dialog()->isVisible());
    EXPECT_EQ(w.Dialog()->windowTitle(), Qs(u8"炎のデッキ"));
    EXPECT_EQ(w.Dialog()->frameGeometry(), QRect(QPoint(40, 30), QSize(700, 500)));
    // Resizing is reported; the editor then sizes the page to the client area.
    EXPECT_EQ(w.Texts(m::kSize).back(), NumbersText({w.Dialog()->width(), w.Dialog()->height()}));
    EXPECT_EQ(w.Texts(m::kRect).back(), "40 30 740 530");
    w.Do(m::kWidth, "690");
    w.Do(m::kHeight, "480");
    EXPECT_EQ(w.Dialog()->webView->geometry(), QRect(0, 0, 690, 480));

    // ok and the close box only tell the editor; it ends the dialog.
    w.Dialog()->okButton->click();
    w.Dialog()->close();
    EXPECT_TRUE(w.Dialog()->isVisible());
    EXPECT_EQ(w.sent.back().name, m::kCancel);
    EXPECT_EQ(w.sent[w.sent.size() - 2].name, m::kOk);
    w.Do(m::kEnd, "2");
    EXPECT_FALSE(w.Dialog()->isVisible());
    EXPECT_EQ(w.Dialog()->result(), 2);

    // Shown again from the task bar's minimised state, raised.
    w.Do(m::kShow);
    w.Dialog()->showMinimized();
    w.Do(m::kShow);
    EXPECT_FALSE(w.Dialog()->isMinimized());
    EXPECT_TRUE(w.Dialog()->isVisible());

    // The page's context menu cannot leave or reload the page.
    std::unique_ptr<QMenu> menu(static_cast<DeckView*>(w.Dialog()->webView)->CreateContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        texts.append(action->text());
    }
    EXPECT_EQ(texts, QStringList({Qs(u8"コピー(&C)"), Qs(u8"貼り付け(&P)"), Qs(u8"すべて選択(&A)")}));
}

TEST(BrowserWindow, SwallowedKeysReachNeitherPageNorWindow)
{
    Workspace ws;
    ws.Put("deckmaker.htm", TestPage());
    Window w;
    ASSERT_TRUE(w.Load(ws.WorkDir() + "/deckmaker.htm"));
    w.Do(m::kKeys, "13 27");
    w.Do(m::kShow);
    w.Dialog()->activateWindow();
    w.Dialog()->webView->setFocus();
    w.Eval("document.getElementById('box').focus()");
    QWidget* target = w.Dialog()->webView->focusProxy() ? w.Dialog()->webView->focusProxy() : w.Dialog()->webView;
    for (const Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(target, key);
    }
    QTest::keyClick(w.Dialog(), Qt::Key_Escape);
    QTest::keyClick(target, Qt::Key_B);
    ASSERT_TRUE(w.WaitFor("keys.indexOf('b') >= 0", true)) << w.Eval("JSON.stringify(keys)").toString().toStdString();
    EXPECT_EQ(w.Eval("JSON.stringify(keys)").toString(), R"(["a","b"])");
    EXPECT_TRUE(w.Texts(m::kCancel).empty());
}

TEST(BrowserWindow, RealDeckPageReportsTheDeckHandedOver)
{
    const std::string page = ReadFileBytes(DECK_PAGE_SOURCE);
    if (page.empty()) {
        GTEST_SKIP() << "no data/deckmaker.htm in the source tree: the real page is not exercised";
    }
    Workspace ws;
    ws.Put("deckmaker.htm", page);
    ws.Put("list.xml", ReadFileBytes(CARD_LIST_SOURCE));
    Window w;
    ASSERT_TRUE(w.Load(ws.WorkDir() + "/deckmaker.htm"));
    for (const std::string code : {"01a3Zt1", "0"}) {
        w.Do(m::kNavigate, "javascript:demaid(deck, '" + code + "');eval();");
        EXPECT_TRUE(w.WaitForStatus(code)) << code;
    }
    // The page puts nothing but codes into the status text.
    for (const std::string& text : w.Texts(m::kStatus)) {
        if (!text.empty() && text.rfind("file:", 0) != 0) {
            EXPECT_EQ(text[0], '0') << text;
        }
    }
}
