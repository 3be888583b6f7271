#pragma once
// The editor's side of the browser program: it asks for the page for a deck
// and hears back the code that ok stands for, or that the player cancelled.
// It only turns requests into message texts and messages into answers; the
// program's process (BrowserProcess) carries them.
#include "browser/BrowserMessages.h"
#include "gamepaths/GamePaths.h"

#include <string>

// What a message from the browser program answers.
struct BrowserAnswer {
    enum class Kind { None, Code, Cancelled };
    Kind kind = Kind::None;
    std::string code;  // for Code: never empty
};

class BrowserClient {
public:
    // The page and the files it reads are those of `paths`.
    explicit BrowserClient(const GamePaths& paths);
    const GamePaths& Paths() const { return paths; }
    // The page file as the browser program is told it.
    std::string PagePath() const;

    // The text of the open message for a deck; its answer is awaited from now on.
    std::string Open(const OpenRequest& request);
    // ok (with its code) or cancel answers the latest open, once; anything
    // else answers nothing. After an answer the window is to be closed.
    BrowserAnswer Receive(const BrowserMessage& message);

private:
    GamePaths paths;
    // An open has been sent and neither ok nor cancel has answered it.
    bool asking = false;
};
