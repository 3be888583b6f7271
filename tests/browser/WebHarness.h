#pragma once
// The browser dialog with its real Qt WebEngine window, and waits on it.
#include "browser/CBrowser.h"
#include "browserwindow/QtBrowserDialog.h"
#include "browserwindow/QtBrowserWindow.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QVariant>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Generous: the engine starts its helper process on first use.
constexpr int kWaitMs = 30000;

// A deck page of the tests: records its hand-overs and key-downs, and reads
// list.xml beside it.
inline const char* TestPage()
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>test deck page</title>\n"
           "<script>\n"
           "var deck = { name: 'test' };\n"
           "var calls = [];\n"
           "var keys = [];\n"
           "var listText = null;\n"
           "function demaid(d, code) { calls.push([d === deck, code]); }\n"
           "document.addEventListener('keydown', function (e) { keys.push(e.key); }, true);\n"
           "var request = new XMLHttpRequest();\n"
           "request.onload = function () { listText = request.responseText; };\n"
           "request.onerror = function () { listText = 'failed'; };\n"
           "request.open('GET', 'list.xml', true);\n"
           "request.send();\n"
           "</script></head>\n"
           "<body><input id=\"box\"><a id=\"link\" href=\"next.htm\">next</a></body></html>\n";
}

struct WebDialog {
    CBrowser ownBrowser;
    CBrowser& browser;
    std::unique_ptr<QObject> owner;
    QtBrowserWindow* window = nullptr;
    std::vector<std::string> statusTexts;

    WebDialog() : WebDialog(ownBrowser, nullptr) {}
    // The window of another browser dialog (the main window's).
    WebDialog(CBrowser& other, QWidget* mainWindow) : browser(other)
    {
        owner = CreateQtBrowserWindow(browser, mainWindow);
        window = dynamic_cast<QtBrowserWindow*>(owner.get());
        // Every status text the page raises, then the dialog's own handling.
        auto handler = window->Control().statusTextChange;
        window->Control().statusTextChange = [this, handler](const std::string& text) {
            statusTexts.push_back(text);
            handler(text);
        };
    }

    QtBrowserDialog* Dialog() const { return window->Dialog(); }
    QWebEnginePage* Page() const { return window->Page(); }

    // Creates the window (which requests the page) and waits for the load.
    bool CreateAndLoad(BrowserOwner* mainDialog)
    {
        return LoadBy([&] { browser.Create(mainDialog); });
    }

    // Runs what creates the window (the main window's start-up, say) and
    // waits for the page's load.
    template <class Create>
    bool LoadBy(Create create)
    {
        QSignalSpy loaded(Page(), &QWebEnginePage::loadFinished);
        create();
        if (!QTest::qWaitFor([&] { return loaded.count() > 0; }, kWaitMs)) {
            return false;
        }
        return loaded.takeFirst().at(0).toBool();
    }

    // Runs a script in the page (not through the dialog) and gives its value.
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

    // Waits until the page has raised this status text.
    bool WaitForStatus(const std::string& text)
    {
        return QTest::qWaitFor(
            [&] {
                for (const std::string& seen : statusTexts) {
                    if (seen == text) {
                        return true;
                    }
                }
                return false;
            },
            kWaitMs);
    }

    bool WaitFor(const QString& script, const QVariant& expected) const
    {
        return QTest::qWaitFor([&] { return Eval(script) == expected; }, kWaitMs);
    }
};
