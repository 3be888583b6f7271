#pragma once
// A web control that only passes on what the page would raise; the window is
// the main window's test view.
#include "support/TestView.h"
#include "browser/CBrowser.h"

#include <string>

class FakeBrowserControl : public BrowserControl {
public:
    void Navigate(const std::string&) override {}
    void SetWidth(long) override {}
    void SetHeight(long) override {}
    void Status(const std::string& text) { statusTextChange(text); }
};
