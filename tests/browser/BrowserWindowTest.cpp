// The browser window of deckeditor-browser on the real Qt WebEngine
// (offscreen): the editor's requests go in, its answers come out.
#include "TestPages.h"

#include "browserwindow/BrowserWindow.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

namespace m = browsermessage;

namespace {

// As deckeditor-browser does, before the application object exists.
const bool schemeRegistered = (RegisterDeckScheme(), true);

struct Window {
    Workspace ws;
    std::vector<BrowserMessage> sent;
    BrowserWindow window{[this](const char* name, const std::string& text) { sent.push_back({name, text}); },
                         ws.WorkDir()};

    BrowserDialog* Dialog() const { return window.Dialog(); }
    QWebEnginePage* Page() const { return window.Page(); }
    void Do(const char* name, const std::string& text = std::string()) { window.Handle({name, text}); }
    void Open(const std::string& code, const std::string& collection = std::string(),
              const BrowserRect& owner = BrowserRect())
    {
        OpenRequest request;
        request.slot = 3;
        request.name = Sjis(u8"デッキ 3");
        request.code = code;
        request.owner = owner;
        request.collection = collection;
        Do(m::kOpen, OpenText(request));
    }

    // Loads the test page (`page`) from a folder of its own, as installed,
    // with list.xml in the working folder.
    bool Load(const std::string& page = TestPage())
    {
        ::mkdir((ws.Root() + "/installed").c_str(), 0755);
        const std::string path = ws.Root() + "/installed/deckmaker.htm";
        ws.Put(path, page);
        ws.Put("list.xml", "1 first card\n");
        QSignalSpy loaded(Page(), &QWebEnginePage::loadFinished);
        window.Load(path);
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
    bool WaitForOk() const
    {
        return QTest::qWaitFor([&] { return Dialog()->okButton->isEnabled(); }, kWaitMs);
    }
};

}  // namespace

// ok is one message, carrying the last code the page reported (in code page
// 932), and it is sent once.
TEST(BrowserWindow, OkIsOneMessageWithTheLastCodeThePageReported)
{
    Window w;
    ASSERT_TRUE(w.Load());
    // A collection for a page without deckstock: the deck arrives all the same.
    // (Its order before the deck is BrowserDialog.HandOverGivesTheCollectionThenTheDeck's.)
    w.Open("0ab", R"({"kind":"training","refused":[4,9]})");
    ASSERT_TRUE(w.WaitForOk());
    EXPECT_TRUE(w.WaitFor("window.status", QStringLiteral("0ab")));
    // Every status text the page reports, as the window hears it.
    std::vector<QString> heard;
    const auto inner = w.window.Page()->statusText;
    w.window.Page()->statusText = [&](const QString& text) {
        heard.push_back(text);
        inner(text);
    };
    w.Eval(QString::fromUtf8(u8"window.status = '0a1b2'; window.status = '0デッキ'; window.status = '';"
                             u8"window.status = 'Loading 0'; console.log('status-0zz:0zz');"
                             u8"window.status = '0' + 'a'.repeat(1024); window.status = 'end'"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !heard.empty() && heard.back() == QLatin1String("end"); }, kWaitMs));
    // Reading gives back the last text.
    EXPECT_EQ(w.Eval("window.status").toString(), "end");
    // The page reads the working folder's list.xml, wherever the page is.
    EXPECT_TRUE(w.WaitFor("listText", QStringLiteral("1 first card\n")));

    w.sent.clear();
    w.Dialog()->okButton->click();
    w.Dialog()->okButton->click();
    ASSERT_EQ(w.sent.size(), 1u);
    EXPECT_EQ(w.sent[0].name, m::kOk);
    EXPECT_EQ(w.sent[0].text, Sjis(u8"0デッキ"));
    EXPECT_FALSE(w.Dialog()->okButton->isEnabled());
}

TEST(BrowserWindow, OpensBesideItsOwnerAndSendsNothingOfItsOwnWindow)
{
    Window w;
    w.window.Ready();
    ASSERT_EQ(w.sent.size(), 1u);
    EXPECT_EQ(w.sent[0].name, m::kReady);
    ASSERT_TRUE(w.Load());
    const BrowserRect owner{0, 0, 150, 200};
    w.Open("0ab", std::string(), owner);
    EXPECT_TRUE(w.Dialog()->isVisible());
    EXPECT_EQ(w.Dialog()->windowTitle(), QString::fromUtf8(u8"デッキ 3"));
    EXPECT_GE(w.Dialog()->frameGeometry().left(), owner.right);
    // (The place on a real desktop, the caption's use, showing it again from
    // a minimised state and its page menu are in tests/e2e.)

    // The page fills the window at every size, and resizes cross no pipe.
    for (const QSize size : {QSize(690, 480), QSize(400, 700)}) {
        w.Dialog()->resize(size);
        EXPECT_EQ(w.Dialog()->webView->geometry(), QRect(QPoint(0, 0), size));
    }
    w.Dialog()->move(30, 40);
    // ok stands over the page's top-right corner, right of all the page keeps
    // clear for it (tests/page).
    EXPECT_GE(w.Dialog()->okButton->x(), 500);
    ASSERT_TRUE(w.WaitForOk());
    EXPECT_EQ(w.sent.size(), 1u);

    // A second open keeps the place the player gave it.
    w.Open("0cd", std::string(), owner);
    EXPECT_EQ(w.Dialog()->pos(), QPoint(30, 40));
    // The close box only tells the editor; its close hides the window.
    w.Dialog()->close();
    EXPECT_TRUE(w.Dialog()->isVisible());
    EXPECT_EQ(w.sent.back().name, m::kCancel);
    w.Do(m::kClose);
    EXPECT_FALSE(w.Dialog()->isVisible());
}

TEST(BrowserWindow, EnterAndEscapeReachNeitherPageNorWindow)
{
    Window w;
    ASSERT_TRUE(w.Load());
    w.Open("0ab");
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
    for (const BrowserMessage& message : w.sent) {
        EXPECT_NE(message.name, m::kCancel);
    }
}
