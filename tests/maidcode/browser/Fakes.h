#pragma once
// A window and a web control that only remember what the browser dialog did
// to them, for the dialog's logic without Qt.
#include "app/View.h"
#include "maidcode/CBrowser.h"

#include <string>
#include <vector>

class FakeBrowserView : public View {
public:
    ViewRect window{0, 0, 600, 752};
    ViewRect desktop{0, 0, 1920, 1080};
    std::vector<ViewRect> moves;
    std::string caption = "Dialog";
    bool visible = false;
    std::vector<int> endings;
    int icon = 0;

    void SetWindowText(const std::string& text) override { caption = text; }
    std::string GetWindowText() const override { return caption; }
    void ShowWindow(bool show) override { visible = show; }
    bool IsWindowVisible() const override { return visible; }
    void EndDialog(int result) override
    {
        endings.push_back(result);
        visible = false;
    }
    int MessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
    void SetItemText(int, const std::string&) override {}
    std::string GetItemText(int) const override { return {}; }
    void ShowItem(int, bool) override {}
    bool IsItemVisible(int) const override { return true; }
    bool GetCheck(int) const override { return false; }
    void SetCheck(int, bool) override {}
    void InsertTab(int, int, const std::string&) override {}
    int GetCurSel(int) const override { return -1; }
    void SetCurSel(int, int) override {}
    void SetScrollRange(int, int, int) override {}
    void GetScrollRange(int, int& minimum, int& maximum) const override { minimum = maximum = 0; }
    int GetScrollPos(int) const override { return 0; }
    void SetScrollPos(int, int) override {}
    ViewRect GetWindowRect() const override { return window; }
    ViewRect GetClientRect() const override { return ViewRect{0, 0, window.Width(), window.Height()}; }
    ViewRect GetDesktopClientRect() const override { return desktop; }
    void MoveWindow(const ViewRect& rect) override
    {
        moves.push_back(rect);
        window = rect;
    }
    void SetIcon(int iconResource) override { icon = iconResource; }
};

class FakeBrowserControl : public BrowserControl {
public:
    std::vector<std::string> urls;
    long width = -1;
    long height = -1;

    void Navigate(const std::string& url) override { urls.push_back(url); }
    void SetWidth(long pixels) override { width = pixels; }
    void SetHeight(long pixels) override { height = pixels; }
    // What the page would raise.
    void Status(const std::string& text)
    {
        if (statusTextChange) {
            statusTextChange(text);
        }
    }
};

inline bool SameRect(const ViewRect& a, const ViewRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
