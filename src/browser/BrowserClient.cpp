#include "browser/BrowserClient.h"

#include "appinfo/DataFiles.h"

BrowserClient::BrowserClient(const GamePaths& gamePaths) : paths(gamePaths) {}

// The path goes as the file system names it: a folder name that is not code
// page 932 (or not even UTF-8) must still find the page. The browser program
// starts in the same folder as ours, so a relative path means the same file
// there; "./" keeps it from reading as a URL.
std::string BrowserClient::PagePath() const
{
    const std::string page = DataFilePath(paths.Page());
    return page[0] == '/' ? page : "./" + page;
}

std::string BrowserClient::Open(const OpenRequest& request)
{
    asking = true;
    return OpenText(request);
}

// An answer to a request already answered (a second ok while the first one's
// command runs) is not run again; an ok without a code would empty the deck.
BrowserAnswer BrowserClient::Receive(const BrowserMessage& message)
{
    namespace m = browsermessage;
    const bool ok = message.name == m::kOk && !message.text.empty();
    BrowserAnswer answer;
    if (!asking || (!ok && message.name != m::kCancel)) {
        return answer;
    }
    asking = false;
    answer.kind = ok ? BrowserAnswer::Kind::Code : BrowserAnswer::Kind::Cancelled;
    answer.code = ok ? message.text : std::string();
    return answer;
}
