#pragma once
// The browser program deckeditor-browser as the editor runs it: a process of
// its own, so that the web engine's start-up never delays the main window
// and its crash cannot take unsaved decks with it. Messages go to its
// standard input and come back from its standard output.
#include "browser/BrowserClient.h"
#include "browser/BrowserMessages.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

extern const char kTextBrowserMissing[];
extern const char kTextBrowserEnded[];
extern const char kTextBrowserSilent[];

class BrowserProcess : public QObject {
public:
    // The program's page and files are those of `paths`; the process starts
    // at Start.
    BrowserProcess(const GamePaths& paths, std::string program);
    ~BrowserProcess() override;

    // Starts the program; `ownerWindow` is the native id of the main window,
    // which the browser window stays above.
    void Start(unsigned long long ownerWindow);

    // Silent: ended for never reporting ready; started again at the next open.
    enum class State { NotStarted, Starting, Running, Ended, Missing, Silent };
    State GetState() const { return state; }
    qint64 ProcessId() const;

    // Tells the player something (the main window's message box).
    std::function<void(const std::string&)> showMessage;
    // How long a started program has to report ready: the web engine's
    // start-up on a busy machine takes a few seconds at most.
    static constexpr int kReadyTimeoutMs = 8000;

    // Asks for the page for a deck. It also starts a program that is not
    // running, or reports why it cannot; until the program is ready, the
    // request waits.
    void Open(const OpenRequest& request);
    // Where the main window is, which the browser window opens beside; unset:
    // unknown.
    std::function<BrowserRect()> ownerWindowRect;
    // The answers to the latest open, each at most once: ok with its code,
    // and cancel. The browser window is closed once the answer has been
    // handled, so that its ok stays greyed while the command runs.
    std::function<void(const std::string& code)> onCode;
    std::function<void()> onCancelled;

private:
    void Send(const char* name, const std::string& text);
    void Answer(const BrowserAnswer& answer);
    void Launch();
    void OnOutput();
    void OnEnded();
    void OnReadyTimeout();

    BrowserClient client;
    std::string program;
    unsigned long long ownerWindow = 0;
    std::unique_ptr<QProcess> process;
    State state = State::NotStarted;
    MessageReader reader;
    QTimer readyTimer;
    bool handling = false;
    // Messages given before the program is ready, sent once it is.
    std::string queued;
};
