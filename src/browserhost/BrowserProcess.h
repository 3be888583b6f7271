#pragma once
// The browser dialog's window and web control as CBrowser sees them, kept in
// a process of their own (deckeditor-browser): the web engine's start-up then
// never delays the main window, and its crash cannot take unsaved decks with
// it. Commands go to the process over its standard input, its events come
// back over its standard output.
#include "browser/BrowserMessages.h"
#include "browser/CBrowser.h"
#include "view/View.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

extern const char kTextBrowserMissing[];
extern const char kTextBrowserEnded[];
extern const char kTextBrowserSilent[];

class BrowserProcess : public QObject, public View, public BrowserControl {
public:
    // Attaches itself to `browser` as its window, which exists once the
    // process has started (see Start).
    BrowserProcess(CBrowser& browser, std::string program);
    ~BrowserProcess() override;

    // Starts the window's process; `ownerWindow` is the native id of the main
    // window, which the browser window stays above.
    void Start(unsigned long long ownerWindow);

    // Silent: ended for never reporting ready; started again at the next
    // showing.
    enum class State { NotStarted, Starting, Running, Ended, Missing, Silent };
    State GetState() const { return state; }
    qint64 ProcessId() const;

    // Tells the player something (the main window's message box).
    std::function<void(const std::string&)> showMessage;
    // How long a started window has to report ready: the web engine's
    // start-up on a busy machine takes a few seconds at most.
    static constexpr int kReadyTimeoutMs = 8000;

    // View: the browser dialog's window.
    void SetWindowText(const std::string& text) override;
    std::string GetWindowText() const override { return caption; }
    void ShowWindow(bool show) override;
    bool IsWindowVisible() const override { return visible; }
    void EndDialog(int result) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
    // The window's controls are its own business.
    void SetItemText(int, const std::string&) override {}
    std::string GetItemText(int) const override { return std::string(); }
    void ShowItem(int, bool) override {}
    bool IsItemVisible(int) const override { return false; }
    bool GetCheck(int) const override { return false; }
    void SetCheck(int, bool) override {}
    void InsertTab(int, int, const std::string&) override {}
    int GetCurSel(int) const override { return -1; }
    void SetCurSel(int, int) override {}
    void SetScrollRange(int, int, int) override {}
    void GetScrollRange(int, int& minimum, int& maximum) const override { minimum = maximum = 0; }
    int GetScrollPos(int) const override { return 0; }
    void SetScrollPos(int, int) override {}
    ViewRect GetWindowRect() const override { return windowRect; }
    ViewRect GetClientRect() const override { return clientRect; }
    ViewRect GetDesktopClientRect() const override { return desktopRect; }
    void MoveWindow(const ViewRect& rect) override;
    void SetIcon(int iconResource) override;

    // BrowserControl: the web control in the window.
    void Navigate(const std::string& url) override;
    void SetWidth(long pixels) override;
    void SetHeight(long pixels) override;

private:
    void Launch();
    void Send(const char* name, const std::string& text = std::string());
    void OnOutput();
    void OnEnded();
    void OnReadyTimeout();
    void Handle(const BrowserMessage& message);

    CBrowser& browser;
    std::string program;
    unsigned long long ownerWindow = 0;
    std::unique_ptr<QProcess> process;
    State state = State::NotStarted;
    MessageReader reader;
    QTimer readyTimer;
    bool handling = false;
    // Commands given before the window exists, sent once it does.
    std::string queued;

    std::string caption;
    bool visible = false;
    ViewRect windowRect;
    ViewRect clientRect;
    ViewRect desktopRect;
};
