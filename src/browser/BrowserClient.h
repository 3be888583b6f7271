#pragma once
// The editor's side of the browser program: it asks for the page for a deck
// and hears back the code that ok stands for, or that the player cancelled.
// The program itself is started and carried by a BrowserLink (the Qt process
// in the editor, or a test's fake).
#include "browser/BrowserMessages.h"
#include "gamepaths/GamePaths.h"

#include <functional>
#include <string>

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
    // The answers, as the front end passes them on to the window that asked:
    // ok with the code the page made for the deck handed over, and cancel.
    // The client knows nothing of that window.
    std::function<void(const std::string& code)> onCode;
    std::function<void()> onCancelled;
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
    // An open has been sent and neither ok nor cancel has answered it.
    bool asking = false;
};
