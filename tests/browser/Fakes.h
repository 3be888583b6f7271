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
    long width = -1;
    long height = -1;

    void Navigate(const std::string& url) override { urls.push_back(url); }
    void SetWidth(long pixels) override { width = pixels; }
    void SetHeight(long pixels) override { height = pixels; }
    // What the page would raise.
    void Status(const std::string& text) { statusTextChange(text); }
};
