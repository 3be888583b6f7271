#pragma once
// The browser dialog: the deck page deckmaker.htm in an embedded
// browser, created hidden at start-up and shown by the Edit tab.
#include "gamepaths/GamePaths.h"
#include "view/View.h"

#include <functional>
#include <string>

// The window that owns the browser dialog, as the dialog sees it.
class BrowserOwner {
public:
    virtual ~BrowserOwner() = default;
    // ok: the code the page produced last (empty when it produced none).
    virtual void OnBrowserCode(const std::string& code) = 0;
    // cancel: the owner leaves its Edit command without a hand-over.
    virtual void OnBrowserCancelled() = 0;
    // The owner's whole window in screen pixels, which the dialog is placed
    // beside; an empty rectangle when it has none.
    virtual ViewRect OwnerWindowRect() const { return ViewRect(); }
};

// The embedded web browser as the dialog uses it. The Qt WebEngine control and
// the tests' fake implement it.
class BrowserControl {
public:
    virtual ~BrowserControl() = default;
    // A URL beginning with "javascript:" runs the rest (code page 932) as
    // script in the page shown, without replacing it; anything else is the
    // path of a page file, as the file system names it, which is loaded.
    virtual void Navigate(const std::string& url) = 0;
    virtual void SetWidth(long pixels) = 0;
    virtual void SetHeight(long pixels) = 0;
    // Raised for every change of the page's status text (window.status).
    std::function<void(const std::string&)> statusTextChange;
};

// Wrapper of the control: keeps the last status text that began with "0"
// (until the next hand-over, or ok uses it).
class CExplorer {
public:
    // Also binds the control's status text event to OnStatusTextChange.
    void Attach(BrowserControl* control);
    void Navigate(const std::string& url);
    void SetWidth(long pixels);
    void SetHeight(long pixels);
    void OnStatusTextChange(const std::string& text);

    std::string capturedCode;

private:
    BrowserControl* control = nullptr;
};

class CBrowser {
public:
    // The page and the files it reads are those of `paths`.
    explicit CBrowser(const GamePaths& paths);
    const GamePaths& Paths() const { return paths; }
    // Gives the dialog its window and control; done before Create by whoever
    // builds the screen (the application, or a test). Null detaches. A window
    // that comes into being later (it lives in another process) is attached
    // as pending and reports OnWindowCreated each time it has been made.
    void Attach(View* view, BrowserControl* control, bool windowPending = false);
    // Creates the window hidden, owned by the main window, and runs
    // OnInitDialog, or leaves that to OnWindowCreated for a pending window.
    void Create(BrowserOwner* owner);
    void OnWindowCreated();

    bool OnInitDialog();
    // Where OnInitDialog puts the window: its rectangle, the desktop's and
    // the owner's (empty when there is none), all frames in screen pixels.
    static ViewRect Placement(ViewRect window, const ViewRect& desktop, const ViewRect& owner);
    // Key codes as PreTranslateMessage is given them.
    static constexpr int kEnterKey = 13;
    static constexpr int kEscapeKey = 27;
    // A key-down seen before the dialog and the page; true swallows it.
    bool PreTranslateMessage(int virtualKey);
    void OnSizing(ViewRect& proposed);
    void OnSize(int clientWidth, int clientHeight);
    void OnBrowserOk();
    void OnBrowserCancel();

    void RunScript(const std::string& script);
    void ShowDeckInPage(const std::string& code);
    void SetDeckCaption(const std::string& name);
    void ShowWindow(bool show);

    CExplorer explorer;
    BrowserOwner* owner = nullptr;
    // The window's width as placed, and how far right of its owner's left
    // edge it goes.
    static constexpr int kPlacedWidth = 625;
    static constexpr int kOwnerOffset = 390;
    // The id of the window's big icon (BrowserIcon).
    static constexpr int kIcon = 134;

private:
    GamePaths paths;
    View* view = nullptr;
    bool windowPending = false;
    bool created = false;
};
