#pragma once
// The browser window's own logic, as the program deckeditor-browser runs it:
// where the window goes, which keys never reach it, the deck handed to the
// page, and the code the page reports, which ok sends back.
#include "browser/BrowserMessages.h"

#include <string>

class CBrowser {
public:
    // Where the window goes at its first showing: its rectangle, the
    // desktop's and the owner's (empty when there is none), all frames in
    // screen pixels.
    static BrowserRect Placement(BrowserRect window, const BrowserRect& desktop, const BrowserRect& owner);
    // The window's width as placed, and how far right of its owner's left
    // edge it goes.
    static constexpr int kPlacedWidth = 625;
    static constexpr int kOwnerOffset = 390;

    // Key codes of a key-down seen before the window and the page.
    static constexpr int kEnterKey = 13;
    static constexpr int kEscapeKey = 27;
    // True swallows the key.
    static bool PreTranslateMessage(int virtualKey);

    // Every change of the page's status text (window.status).
    void OnStatusTextChange(const std::string& text);
    // The script that gives the page the request's collection and deck.
    // Whatever the page reported before is not about this deck: forgotten.
    std::string HandOver(const OpenRequest& request);
    // ok: the code the page reported last, used up; empty when it reported
    // none since the hand-over (then ok has nothing to send).
    std::string TakeCode();

private:
    std::string capturedCode;
};
