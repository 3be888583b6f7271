#pragma once
// The messages between the editor and its browser program, over a pipe each
// way. A message is its name, a space, the length of its text in decimal, a
// line feed and the text's bytes, so texts may hold any byte.
//
// The channel carries requests about data only; the browser program runs
// its window itself (placement, keys, sizes, the page's code).
//
//   editor -> browser   open    OpenText(request): show the page for a deck
//                       close   (no text): hide the window, the request done
//   browser -> editor   ready   (no text): the program listens
//                       ok      the deck code the page made, never empty
//                       cancel  (no text): the player gave the request up
#include <cstddef>
#include <string>
#include <vector>

struct BrowserMessage {
    std::string name;
    std::string text;
};

namespace browsermessage {
constexpr char kOpen[] = "open";
constexpr char kClose[] = "close";
constexpr char kReady[] = "ready";
constexpr char kOk[] = "ok";
constexpr char kCancel[] = "cancel";
}  // namespace browsermessage

// A window's frame in screen pixels.
struct BrowserRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const BrowserRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// What "open" asks: the page for one deck.
struct OpenRequest {
    int slot = 0;             // the deck's number, 1-53
    std::string name;         // the deck's name, code page 932 bytes, any byte
    std::string code;         // its DAZO Rozi
    BrowserRect owner;        // the main window's frame; empty when unknown
    std::string collection;   // JSON text (ASCII) for the page's deckstock; empty: none
};

// The text of "open": one line of numbers, then the raw bytes of the fields,
// so a name may hold any byte, line feeds included:
//
//   SLOT LEFT TOP RIGHT BOTTOM NAME_LENGTH CODE_LENGTH \n NAME CODE COLLECTION
//
// (the collection is the rest of the text).
std::string OpenText(const OpenRequest& request);
// False, and `request` unspecified, for any text OpenText cannot give.
bool ParseOpen(const std::string& text, OpenRequest& request);

// Appends one message to `out`.
void AppendMessage(std::string& out, const std::string& name, const std::string& text = std::string());

// Numbers as text ("1 -2 3"), and back. Parsing gives false for anything but
// whole numbers of at most 18 digits separated by single spaces.
std::string NumbersText(const std::vector<long long>& numbers);
bool ParseNumbers(const std::string& text, std::vector<long long>& numbers);

// Takes the bytes of a pipe as they come and hands out whole messages.
class MessageReader {
public:
    void Feed(const char* bytes, std::size_t size);
    // The next whole message; false when none is complete yet or the stream
    // is broken (see Broken).
    bool Next(BrowserMessage& message);
    // True once the bytes did not form a message; nothing more is handed out.
    bool Broken() const { return broken; }
    // Bytes fed and not yet handed out.
    std::size_t Waiting() const { return buffer.size() - start; }

private:
    std::string buffer;
    std::size_t start = 0;
    bool broken = false;
};
