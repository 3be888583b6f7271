#pragma once
// The messages between the editor and its browser window's process, over a
// pipe each way. A message is its name, a space, the length of its text in
// decimal, a line feed and the text's bytes, so texts may hold any byte.
#include <cstddef>
#include <string>
#include <vector>

struct BrowserMessage {
    std::string name;
    std::string text;
};

namespace browsermessage {
// Editor to window.
constexpr char kOwner[] = "owner";        // native id of the main window
constexpr char kKeys[] = "keys";          // virtual keys that never reach the page
constexpr char kNavigate[] = "navigate";  // a page to load, or a javascript: URL
constexpr char kWidth[] = "width";        // of the web control, pixels
constexpr char kHeight[] = "height";
constexpr char kCaption[] = "caption";
constexpr char kShow[] = "show";
constexpr char kHide[] = "hide";
constexpr char kEnd[] = "end";            // the dialog's ending, with its result
constexpr char kMove[] = "move";          // left top right bottom of the window
constexpr char kIcon[] = "icon";          // icon resource id
// Window to editor.
constexpr char kReady[] = "ready";        // the window's and the desktop's rectangle
constexpr char kRect[] = "rect";          // where the window is now
constexpr char kSize[] = "size";          // new client width and height
constexpr char kStatus[] = "status";      // the page's status text
constexpr char kOk[] = "ok";
constexpr char kCancel[] = "cancel";
}  // namespace browsermessage

// Appends one message to `out`.
void AppendMessage(std::string& out, const std::string& name, const std::string& text = std::string());

// Numbers as a message's text ("1 -2 3"), and back. Parsing gives false for
// anything but whole numbers separated by single spaces.
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
