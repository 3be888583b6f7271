// The browser dialog on the real Qt WebEngine: the page, the hand-over, the
// status texts and the window's events.
#include "WebHarness.h"

#include "support/Cp932.h"
#include "support/Workspace.h"

#include <QPushButton>
#include <QUrl>

namespace {

QString Qs(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size())); }

}  // namespace

TEST(BrowserWindow, LoadsThePageHiddenAndRunsHandOversInIt)
{
    Workspace ws;
    ws.Put("deckmaker.htm", TestPage());
    ws.Put("list.xml", "1 first card\n");
    WebDialog d;
    ASSERT_TRUE(d.CreateAndLoad(nullptr));
    const QUrl page = QUrl::fromLocalFile(Qs(ws.WorkDir()) + "/deckmaker.htm");
    EXPECT_EQ(d.Page()->url(), page);
    EXPECT_FALSE(d.Dialog()->isVisible());
    EXPECT_FALSE(d.Dialog()->okButton->isHidden());
    EXPECT_TRUE(d.Dialog()->cancelButton->isHidden());
    // The page may read list.xml beside it.
    EXPECT_TRUE(d.WaitFor("listText", QVariant(QStringLiteral("1 first card\n"))));
    const ViewRect desktop = d.window->GetView().GetDesktopClientRect();
    EXPECT_EQ(d.window->GetView().GetWindowRect().Width(), desktop.Width() >= 625 ? 625 : 350);

    d.browser.ShowDeckInPage("01a3Zt1");
    d.browser.ShowDeckInPage("0");
    // The script is percent-decoded as a browser does, and its texts are
    // code page 932 inside.
    d.browser.RunScript("calls.push('a%20b')");
    d.browser.RunScript("calls.push('" + Sjis(u8"編集") + "')");
    ASSERT_TRUE(d.WaitFor("calls.length", 4));
    EXPECT_EQ(d.Eval("JSON.stringify(calls)").toString(),
              QString::fromUtf8(u8R"([[true,"01a3Zt1"],[true,"0"],"a b","編集"])"));
    // The page was not replaced.
    EXPECT_EQ(d.Page()->url(), page);
    EXPECT_EQ(d.Eval("document.getElementById('box') !== null").toBool(), true);
}

TEST(BrowserWindow, StatusTextsReachTheDialogAndOnlyCodesAreCaptured)
{
    Workspace ws;
    ws.Put("deckmaker.htm", TestPage());
    ws.Put("second.htm", "<html><body><script>window.status = '0second';</script></body></html>");
    WebDialog d;
    ASSERT_TRUE(d.CreateAndLoad(nullptr));
    EXPECT_EQ(d.Eval("window.status").toString(), "");

    d.Eval("window.status = '0a1b2'; window.status = 'file:///x/next.htm'; window.status = '';"
           "window.status = 'Loading 0'; window.status = 'marker'");
    ASSERT_TRUE(d.WaitForStatus("marker"));
    // In order (the engine may add link reports of its own).
    const std::vector<std::string> sent{"0a1b2", "file:///x/next.htm", "", "Loading 0", "marker"};
    size_t matched = 0;
    for (const std::string& text : d.statusTexts) {
        if (matched < sent.size() && text == sent[matched]) {
            ++matched;
        }
    }
    EXPECT_EQ(matched, sent.size());
    EXPECT_EQ(d.browser.explorer.capturedCode, "0a1b2");
    // Reading gives back the last text.
    EXPECT_EQ(d.Eval("window.status").toString(), "marker");
    EXPECT_EQ(d.Eval("status").toString(), "marker");

    // Text arrives as code page 932; a console message that merely looks
    // alike is not a status text.
    d.Eval(QString::fromUtf8(u8"window.status = '0デッキ'; console.log('status-0zz:0zz'); window.status = 'end'"));
    ASSERT_TRUE(d.WaitForStatus("end"));
    EXPECT_EQ(d.browser.explorer.capturedCode, Sjis(u8"0デッキ"));

    // Reporting survives loading another page.
    d.browser.explorer.Navigate(ws.WorkDir() + "/second.htm");
    ASSERT_TRUE(d.WaitForStatus("0second"));
    EXPECT_EQ(d.browser.explorer.capturedCode, "0second");
}

TEST(BrowserWindow, PageFillsTheClientAreaAndEnterAndEscapeReachNeitherPageNorWindow)
{
    Workspace ws;
    ws.Put("deckmaker.htm", TestPage());
    WebDialog d;
    ASSERT_TRUE(d.CreateAndLoad(nullptr));
    d.browser.ShowWindow(true);
    const QRect ok = d.Dialog()->okButton->geometry();
    for (const QSize size : {QSize(700, 500), QSize(420, 610)}) {
        d.Dialog()->resize(size);
        ASSERT_TRUE(QTest::qWaitFor([&] { return d.Dialog()->webView->size() == size; }, kWaitMs));
        EXPECT_EQ(d.Dialog()->webView->pos(), QPoint(0, 0));
    }
    EXPECT_EQ(d.Dialog()->okButton->geometry(), ok);

    d.Dialog()->activateWindow();
    d.Dialog()->webView->setFocus();
    d.Eval("document.getElementById('box').focus()");
    QWidget* target = d.Dialog()->webView->focusProxy() ? d.Dialog()->webView->focusProxy() : d.Dialog()->webView;
    for (const Qt::Key key : {Qt::Key_A, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(target, key);
    }
    QTest::keyClick(d.Dialog(), Qt::Key_Escape);
    QTest::keyClick(target, Qt::Key_B);
    ASSERT_TRUE(d.WaitFor("keys.indexOf('b') >= 0", true)) << d.Eval("JSON.stringify(keys)").toString().toStdString();
    EXPECT_EQ(d.Eval("JSON.stringify(keys)").toString(), R"(["a","b"])");
    EXPECT_TRUE(d.Dialog()->isVisible());
}
