// The browser dialog with its window in the real deckeditor-browser process:
// a window process that ends, and a missing one. (An early hand-over is in
// BrowserWindowTest, the whole round trip in tests/e2e.)
#include "TestPages.h"

#include "browserhost/BrowserProcess.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include <signal.h>
#include <sys/stat.h>

namespace {

struct Owner : BrowserOwner {
    // ok's command, which may wait in a message box.
    std::function<void()> onCode;
    void OnBrowserCode(const std::string&) override
    {
        if (onCode) {
            onCode();
        }
    }
    void OnBrowserCancelled() override {}
};

struct Host {
    explicit Host(const GamePaths& paths, const std::string& program = BROWSER_PROGRAM)
        : browser(paths), window(browser, program)
    {
        window.showMessage = [this](const std::string& text) { messages.push_back(text); };
        browser.Create(&owner);
    }
    // What the Edit tab asks of the browser dialog.
    void Edit(const std::string& code)
    {
        browser.ShowDeckInPage(code);
        browser.SetDeckCaption("deck");
        browser.ShowWindow(true);
    }
    bool WaitForCode(const std::string& code)
    {
        return QTest::qWaitFor([&] { return browser.explorer.capturedCode == code; }, kWaitMs);
    }

    Owner owner;
    CBrowser browser;
    BrowserProcess window;
    std::vector<std::string> messages;
};

}  // namespace

TEST(BrowserProcess, AnEndedWindowIsReportedAtTheNextEditAndStartedAgain)
{
    // The page's code carries the list.xml it read: the working folder's,
    // not that of the folder the tests run in.
    Workspace ws;
    std::string page = TestPage();
    const std::string report = "window.status = code;";
    page.replace(page.find(report), report.size(),
                 "(function tell() { if (listText === null) { setTimeout(tell, 10); }"
                 " else { window.status = code + ' ' + listText; } })();");
    ws.Put("deckmaker.htm", page);
    ws.Put("list.xml", "listed");
    Host host(ws.Paths());
    host.window.Start(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.window.GetState() == BrowserProcess::State::Running; }, kWaitMs));
    ::kill(static_cast<pid_t>(host.window.ProcessId()), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.window.GetState() == BrowserProcess::State::Ended; }, kWaitMs));
    EXPECT_TRUE(host.messages.empty());

    host.Edit("0zz");
    EXPECT_EQ(host.messages, std::vector<std::string>{Sjis(u8"ブラウザが止まっちゃったみたいです。\r\nもう一度開きますね。")});
    ASSERT_TRUE(host.WaitForCode("0zz listed"));
    EXPECT_TRUE(host.window.IsWindowVisible());
}

TEST(BrowserProcess, AMissingProgramIsReportedAtEveryEdit)
{
    Workspace ws;
    Host host(ws.Paths(), ws.WorkDir() + "/deckeditor-browser");
    host.window.Start(0);
    EXPECT_EQ(host.window.GetState(), BrowserProcess::State::Missing);
    EXPECT_TRUE(host.messages.empty());
    host.Edit("0");
    host.Edit("0");
    const std::string missing =
        Sjis(u8"ブラウザのプログラム deckeditor-browser が見つからないみたいです。\r\nDAZO Roziは直接入力してくださいね。");
    EXPECT_EQ(host.messages, std::vector<std::string>(2, missing));
    EXPECT_FALSE(host.window.IsWindowVisible());
}

// While ok's command waits in a message box, what the window sends waits too:
// a window that floods the editor meanwhile is ended once a megabyte waits.
TEST(BrowserProcess, OutputWaitingBehindAMessageBoxIsBounded)
{
    Workspace ws;
    const std::string ready = "0 0 100 100 0 0 1280 1024";
    ws.Put("flood", "#!/bin/sh\nprintf 'ready " + std::to_string(ready.size()) + "\\n" + ready +
                        "status 1\\n0ok 0\\n'\nyes 'status 9' | head -c 50000000\nexec sleep 60\n");
    ASSERT_EQ(::chmod((ws.WorkDir() + "/flood").c_str(), 0755), 0);
    Host host(ws.Paths(), ws.WorkDir() + "/flood");
    bool ended = false;
    host.owner.onCode = [&] {
        ended = QTest::qWaitFor([&] { return host.window.GetState() == BrowserProcess::State::Ended; }, 10000);
    };
    host.window.Start(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(host.owner.onCode) && ended; }, 15000));
}
