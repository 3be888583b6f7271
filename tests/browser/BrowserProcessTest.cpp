// The browser dialog with its window in the real deckeditor-browser process:
// a window process that ends, and a missing one. (An early hand-over is in
// BrowserWindowTest, the whole round trip in tests/e2e.)
#include "TestPages.h"

#include "browserhost/BrowserProcess.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <QTest>

#include <gtest/gtest.h>

#include <signal.h>

namespace {

struct Owner : BrowserOwner {
    void OnBrowserCode(const std::string&) override {}
    void OnBrowserCancelled() override {}
};

struct Host {
    explicit Host(const std::string& program = BROWSER_PROGRAM) : window(browser, program)
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
    Workspace ws;
    ws.Put("deckmaker.htm", TestPage());
    Host host;
    host.window.Start(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.window.GetState() == BrowserProcess::State::Running; }, kWaitMs));
    ::kill(static_cast<pid_t>(host.window.ProcessId()), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.window.GetState() == BrowserProcess::State::Ended; }, kWaitMs));
    EXPECT_TRUE(host.messages.empty());

    host.Edit("0zz");
    EXPECT_EQ(host.messages, std::vector<std::string>{Sjis(u8"ブラウザが止まっちゃったみたいです。\r\nもう一度開きますね。")});
    ASSERT_TRUE(host.WaitForCode("0zz"));
    EXPECT_TRUE(host.window.IsWindowVisible());
}

TEST(BrowserProcess, AMissingProgramIsReportedAtEveryEdit)
{
    Workspace ws;
    Host host(ws.WorkDir() + "/deckeditor-browser");
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
