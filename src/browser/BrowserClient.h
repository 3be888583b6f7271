#pragma once
// The editor's side of the browser program: it asks for the page for a deck
// and hears back the code that ok stands for, or that the player cancelled.
// The program itself is started and carried by a BrowserLink (the Qt process
// in the editor, or a test's fake).
#include "browser/BrowserMessages.h"
#include "gamepaths/GamePaths.h"

#include <functional>
#include <string>

// The window that asks for deck codes.
class BrowserOwner {
public:
    virtual ~BrowserOwner() = default;
    // ok: the code the page made for the deck handed over.
    virtual void OnBrowserCode(const std::string& code) = 0;
    // cancel: the owner leaves its Edit command without a hand-over.
    virtual void OnBrowserCancelled() = 0;
};

// Carries messages to the browser program.
class BrowserLink {
public:
    virtual ~BrowserLink() = default;
    virtual void Send(const char* name, const std::string& text) = 0;
};

class BrowserClient {
public:
    // The page and the files it reads are those of `paths`.
    explicit BrowserClient(const GamePaths& paths);
    const GamePaths& Paths() const { return paths; }
    // The page file as the browser program is told it.
    std::string PagePath() const;

    void Attach(BrowserLink* link);
    // The owner that ok and cancel are told to, once it exists.
    void Create(BrowserOwner* owner);
    // Where the owner window is, which the browser window opens beside; from
    // the front end. Unset: unknown.
    std::function<BrowserRect()> ownerWindowRect;

    // Opens the page for a deck (the owner's rectangle is filled in here).
    void Open(OpenRequest request);
    // One message from the browser program. ok and cancel answer the latest
    // open, once; the window is then closed.
    void Receive(const BrowserMessage& message);

private:
    void Close();

    GamePaths paths;
    BrowserLink* link = nullptr;
    BrowserOwner* owner = nullptr;
    // An open has been sent and neither ok nor cancel has answered it.
    bool asking = false;
};
