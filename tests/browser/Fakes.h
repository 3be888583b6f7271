#pragma once
// A web control that only remembers what the browser dialog did to it; the
// window is the main window's test view.
#include "support/TestView.h"
#include "browser/CBrowser.h"

#include <string>
#include <vector>

class FakeBrowserControl : public BrowserControl {
public:
    std::vector<std::string> urls;

    void Navigate(const std::string& url) override { urls.push_back(url); }
    void SetWidth(long) override {}
    void SetHeight(long) override {}
    // What the page would raise.
    void Status(const std::string& text) { statusTextChange(text); }
};
