// The editor's end of the browser program: the real deckeditor-browser that
// ends, a missing one, and scripts in its place that answer as it would. (The
// whole round trip is in tests/e2e.)
#include "browserhost/BrowserProcess.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include <signal.h>
#include <sys/stat.h>

namespace {

// Generous: the engine starts its helper processes on first use.
constexpr int kWaitMs = 30000;

struct Host {
    explicit Host(const GamePaths& paths, const std::string& program = BROWSER_PROGRAM)
        : window(paths, program)
    {
        window.showMessage = [this](const std::string& text) { messages.push_back(text); };
        window.onCode = [this](const std::string& code) {
            codes.push_back(code);
            onCode();
        };
    }
    // What the Edit tab asks of the browser.
    void Edit(const std::string& code)
    {
        request.slot = 1;
        request.name = "deck";
        request.code = code;
        window.Open(request);
    }
    bool WaitFor(BrowserProcess::State state, int ms = kWaitMs)
    {
        return QTest::qWaitFor([&] { return window.GetState() == state; }, ms);
    }

    // The codes ok brought to the owner, and ok's command, which may wait in a message box.
    std::vector<std::string> codes;
    std::function<void()> onCode = [] {};
    BrowserProcess window;
    OpenRequest request;
    std::vector<std::string> messages;
};

// A script in the browser program's place, in the workspace.
std::string Program(const Workspace& ws, const std::string& body)
{
    ws.Put("browser", "#!/bin/sh\n" + body);
    EXPECT_EQ(::chmod((ws.WorkDir() + "/browser").c_str(), 0755), 0);
    return ws.WorkDir() + "/browser";
}

}  // namespace

TEST(BrowserProcess, AnEndedWindowIsReportedAtTheNextEditAndStartedAgain)
{
    Workspace ws;
    Host host(ws.Paths());
    host.window.Start(0);
    ASSERT_TRUE(host.WaitFor(BrowserProcess::State::Running));
    const qint64 first = host.window.ProcessId();
    ::kill(static_cast<pid_t>(first), SIGKILL);
    ASSERT_TRUE(host.WaitFor(BrowserProcess::State::Ended));
    EXPECT_TRUE(host.messages.empty());

    host.Edit("0zz");
    EXPECT_EQ(host.messages, std::vector<std::string>{Sjis(u8"ブラウザが止まっちゃったみたいです。\r\nもう一度開きますね。")});
    ASSERT_TRUE(host.WaitFor(BrowserProcess::State::Running));
    EXPECT_NE(host.window.ProcessId(), first);
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
}

// An open asked before the program is ready waits for its ready; the one ok
// message that answers it reaches the owner, and the window is closed.
TEST(BrowserProcess, OneOkMessageAnswersTheOpenAndIsAnsweredByClose)
{
    Workspace ws;
    const std::string input = ws.WorkDir() + "/input";
    Host host(ws.Paths(), Program(ws, "printf 'ready 0\\n'\ndd bs=1 count=4 of=\"" + input + "\" 2>/dev/null\nprintf 'ok 3\\n0ab'\n"
                                      "exec cat >> \"" + input + "\"\n"));
    host.window.Start(0);
    host.Edit("0zz");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !host.codes.empty(); }, kWaitMs));
    EXPECT_EQ(host.codes, std::vector<std::string>{"0ab"});
    const std::string open = OpenText(host.request);
    const std::string expected = "open " + std::to_string(open.size()) + "\n" + open + "close 0\n";
    EXPECT_TRUE(QTest::qWaitFor([&] { return ReadFileBytes(input) == expected; }, kWaitMs)) << ReadFileBytes(input);
}

// While ok's command waits in a message box, what the program sends waits
// too: one that floods the editor meanwhile is ended once a megabyte waits.
TEST(BrowserProcess, OutputWaitingBehindAMessageBoxIsBounded)
{
    Workspace ws;
    Host host(ws.Paths(), Program(ws, "printf 'ready 0\\n'\nhead -c 1 >/dev/null\nprintf 'ok 3\\n0ab'\n"
                                      "yes 'ready 0' | head -c 50000000\nexec sleep 60\n"));
    bool ended = false;
    host.onCode = [&] { ended = host.WaitFor(BrowserProcess::State::Ended, 10000); };
    host.window.Start(0);
    host.Edit("0zz");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !host.codes.empty() && ended; }, 15000));
}
