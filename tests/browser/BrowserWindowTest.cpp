// The browser window of deckeditor-browser on the real Qt WebEngine
// (offscreen): the editor's commands go in, its messages come out.
#include "TestPages.h"

#include "browserwindow/BrowserWindow.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

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
    std::vector<std::string> statuses;  // the status texts among them
    BrowserWindow window{[this](const char* name, const std::string& text) {
                             sent.push_back({name, text});
                             if (name == std::string(m::kStatus)) {
                                 statuses.push_back(text);
                             }
                         },
                         ws.WorkDir()};

    BrowserDialog* Dialog() const { return window.Dialog(); }
    QWebEnginePage* Page() const { return window.Page(); }
    void Do(const char* name, const std::string& text = std::string()) { window.Handle({name, text}); }

    // Loads the test page from a folder of its own, as installed, with
    // list.xml in the working folder; or another page from the working folder.
    bool Load(const std::string& name = "deckmaker.htm")
    {
        std::string path = ws.WorkDir() + "/" + name;
        if (name == "deckmaker.htm") {
            ::mkdir((ws.Root() + "/installed").c_str(), 0755);
            path = ws.Root() + "/installed/" + name;
            ws.Put(path, TestPage());
            ws.Put("list.xml", "1 first card\n");
        }
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
    bool WaitForStatus(const std::string& text) const
    {
        return QTest::qWaitFor([&] { return std::find(statuses.begin(), statuses.end(), text) != statuses.end(); },
                               kWaitMs);
    }
};

}  // namespace

TEST(BrowserWindow, StatusTextsAreReportedInOrderInCodePage932)
{
    Window w;
    ASSERT_TRUE(w.Load());
    w.Eval(QString::fromUtf8(u8"window.status = '0a1b2'; window.status = ''; window.status = 'Loading 0';"
                             u8"console.log('status-0zz:0zz'); window.status = '0デッキ';"
                             u8"window.status = '0' + 'a'.repeat(1024); window.status = 'end'"));
    ASSERT_TRUE(w.WaitForStatus("end"));
    // In order; the engine may add link reports of its own, and a console
    // message that merely looks alike is none.
    const std::vector<std::string> expected{"0a1b2", "", "Loading 0", Sjis(u8"0デッキ"), "end"};
    std::size_t matched = 0;
    for (const std::string& text : w.statuses) {
        matched += matched < expected.size() && text == expected[matched] ? 1 : 0;
        EXPECT_NE(text, "0zz");
        EXPECT_LE(text.size(), 1024u);  // a longer text is no code: not passed on
    }
    EXPECT_EQ(matched, expected.size());
    // Reading gives back the last text.
    EXPECT_EQ(w.Eval("window.status").toString(), "end");
    // The page reads the working folder's list.xml, wherever the page is.
    EXPECT_TRUE(w.WaitFor("listText", QStringLiteral("1 first card\n")));
    // Reporting survives loading another page.
    w.ws.Put("second.htm", "<html><body><script>window.status = '0second';</script></body></html>");
    ASSERT_TRUE(w.Load("second.htm"));
    EXPECT_TRUE(w.WaitForStatus("0second"));
}

TEST(BrowserWindow, DoesWhatTheEditorSaysAndReportsWhatThePlayerDoes)
{
    Window w;
    w.window.Ready();
    ASSERT_TRUE(w.Load());
    // (Its caption, ok ending it through the editor, showing it again from a
    // minimised state and its page menu are in tests/e2e.)
    w.Do(m::kShow);
    // The editor sizes the page to the client area.
    w.Do(m::kWidth, "690");
    w.Do(m::kHeight, "480");
    EXPECT_EQ(w.Dialog()->webView->geometry(), QRect(0, 0, 690, 480));
    // ok stands over the page's top-right corner, right of all the page keeps
    // clear for it (tests/page).
    EXPECT_GE(w.Dialog()->okButton->x(), 500);

    // The close box only tells the editor; it ends the dialog.
    w.Dialog()->close();
    EXPECT_TRUE(w.Dialog()->isVisible());
    EXPECT_EQ(w.sent.back().name, m::kCancel);
    w.Do(m::kEnd, "2");
    EXPECT_FALSE(w.Dialog()->isVisible());
}

TEST(BrowserWindow, SwallowedKeysReachNeitherPageNorWindow)
{
    Window w;
    ASSERT_TRUE(w.Load());
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
    for (const BrowserMessage& message : w.sent) {
        EXPECT_NE(message.name, m::kCancel);
    }
}
