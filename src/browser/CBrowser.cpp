// The browser window's logic, with no window in it: the program's Qt side
// asks it and does what it says.
#include "browser/CBrowser.h"

#include <algorithm>

// A dialog's own rectangle starts at its owner's position (a dialog's place is
// relative to its owner), is fitted to the desktop and goes 390 px right of
// that: beside the owner. Our owner can be wider than 390 px, so the dialog
// keeps clear of it; where the right has no room it takes the side with the
// most, and its whole frame stays on the desktop.
BrowserRect CBrowser::Placement(BrowserRect rect, const BrowserRect& desktop, const BrowserRect& ownerRect)
{
    const bool hasOwner = ownerRect.Width() > 0 && ownerRect.Height() > 0;
    if (hasOwner) {
        rect = {ownerRect.left, ownerRect.top, ownerRect.left + rect.Width(), ownerRect.top + rect.Height()};
    }
    rect.right = rect.left + kPlacedWidth;
    if (rect.Height() > desktop.Height()) {
        rect.top = desktop.top;
        rect.bottom = desktop.bottom - 25;
    }
    if (rect.Width() > desktop.Width()) {
        rect.left = desktop.left;
        rect.right = rect.left + 350;
    }
    rect.left += kOwnerOffset;
    rect.right += kOwnerOffset;

    const int width = rect.Width();
    const int height = rect.Height();
    const auto moveTo = [&rect, width, height](int left, int top) { rect = {left, top, left + width, top + height}; };
    if (hasOwner && rect.left < ownerRect.right) {
        moveTo(ownerRect.right, rect.top);
    }
    if (hasOwner && rect.right > desktop.right && ownerRect.left - desktop.left > desktop.right - ownerRect.right) {
        moveTo(ownerRect.left - width, rect.top);
    }
    moveTo(std::max(desktop.left, std::min(rect.left, desktop.right - width)),
           std::max(desktop.top, std::min(rect.top, desktop.bottom - height)));
    return rect;
}

bool CBrowser::PreTranslateMessage(int virtualKey)
{
    // Enter and Escape would end the dialog or act in the page.
    return virtualKey == kEnterKey || virtualKey == kEscapeKey;
}

// The page's code is told apart from link addresses and progress texts by
// its first character alone: every DAZO Rozi begins with "0".
void CBrowser::OnStatusTextChange(const std::string& text)
{
    if (!text.empty() && text[0] == '0') {
        capturedCode = text;
    }
}

namespace {

// A script's string literal for bytes from the editor: a code is plain
// letters and digits, anything else is escaped rather than trusted.
std::string Quoted(const std::string& bytes)
{
    static const char kHex[] = "0123456789abcdef";
    std::string literal = "'";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) {
            literal += c;
        } else {
            literal += "\\x";
            literal += kHex[u >> 4];
            literal += kHex[u & 15];
        }
    }
    return literal + "'";
}

}  // namespace

// A page that knows nothing of the collection has no deckstock, and one whose
// deckstock fails (or a collection that is no JSON) still takes the deck: the
// collection only advises.
std::string CBrowser::HandOver(const OpenRequest& request)
{
    capturedCode.clear();
    const std::string data =
        request.collection.empty() ? std::string("null") : "JSON.parse(" + Quoted(request.collection) + ")";
    return "try { if (typeof deckstock == 'function') deckstock(" + data + "); } catch (e) {}\n" +
           "demaid(deck, " + Quoted(request.code) + ")";
}

// Used up, so an ok pressed again while its command still runs sends nothing.
std::string CBrowser::TakeCode()
{
    std::string code = std::move(capturedCode);
    capturedCode.clear();
    return code;
}
