// The browser channel's messages on arbitrary bytes, read in pieces as a
// pipe gives them: each open request must come back from its text and make
// the window forget the page's last code; the editor's client must answer
// each open at most once, and ok only with a code.
#include "FuzzSupport.h"

#include "browser/BrowserClient.h"
#include "browser/CBrowser.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    // The first byte chooses the size of the pieces the pipe gives.
    const std::size_t piece = size == 0 ? 1 : static_cast<std::uint8_t>(bytes[0]) % 64 + 1;
    BrowserClient client{GamePaths()};
    int answers = 0;
    CBrowser browser;
    MessageReader reader;
    int opens = 0;
    for (std::size_t at = size == 0 ? 0 : 1; at < size; at += piece) {
        reader.Feed(bytes + at, std::min(piece, size - at));
        for (BrowserMessage message; reader.Next(message);) {
            OpenRequest request;
            if (message.name == browsermessage::kOpen && ParseOpen(message.text, request)) {
                OpenRequest back;
                FUZZ_CHECK(ParseOpen(OpenText(request), back) && OpenText(back) == OpenText(request));
                browser.HandOver(request);
                FUZZ_CHECK(browser.TakeCode().empty());
                FUZZ_CHECK(client.Open(request) == OpenText(request));
                ++opens;
            } else if (message.name == "status") {
                browser.OnStatusTextChange(message.text);
                const std::string code = browser.TakeCode();
                FUZZ_CHECK(code.empty() || code == message.text);
            } else {
                const BrowserAnswer answer = client.Receive(message);
                FUZZ_CHECK(answer.kind != BrowserAnswer::Kind::Code || !answer.code.empty());
                answers += answer.kind != BrowserAnswer::Kind::None;
            }
            FUZZ_CHECK(answers <= opens);
        }
    }
    return 0;
}
