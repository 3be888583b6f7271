#pragma once
// The browser program's end of the channel as a test sees it: every message
// the editor sends, kept.
#include "browser/BrowserClient.h"

#include <string>
#include <vector>

class FakeBrowserLink : public BrowserLink {
public:
    void Send(const char* name, const std::string& text) override { sent.push_back({name, text}); }
    std::vector<BrowserMessage> sent;
};
