#pragma once
// A View kept in memory, for the browser dialog's tests: it records what the
// dialog's logic shows (texts, visibility, placement, message boxes, the end
// of the dialog) and answers every question no.
#include "view/View.h"

#include <map>
#include <string>
#include <vector>

class TestView : public View {
public:
    struct Item {
        std::string text;
        bool visible = true;
        bool checked = false;
        int curSel = -1;
        int minimum = 0;
        int maximum = 100;  // a fresh scroll bar's range, as the window's own has it
        int position = 0;
    };
    struct Message {
        std::string text;
        std::string caption;
        unsigned type = MB_OK;
    };

    // The window.
    void SetWindowText(const std::string& text) override { windowText = text; }
    std::string GetWindowText() const override { return windowText; }
    void ShowWindow(bool show) override { windowVisible = show; }
    bool IsWindowVisible() const override { return windowVisible; }
    void EndDialog(int result) override { ended = true, endResult = result, windowVisible = false; }
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

    // Controls. Unknown ids are created on first use.
    void SetItemText(int id, const std::string& text) override { items[id].text = text; }
    std::string GetItemText(int id) const override { return Find(id).text; }
    void ShowItem(int id, bool show) override { items[id].visible = show; }
    bool IsItemVisible(int id) const override { return Find(id).visible; }
    bool GetCheck(int id) const override { return Find(id).checked; }
    void SetCheck(int id, bool checked) override { items[id].checked = checked; }

    void InsertTab(int id, int, const std::string&) override { items[id].curSel = 0; }
    int GetCurSel(int id) const override { return Find(id).curSel; }
    void SetCurSel(int id, int index) override { items[id].curSel = index; }

    void SetScrollRange(int id, int min, int max) override { items[id].minimum = min, items[id].maximum = max; }
    void GetScrollRange(int id, int& min, int& max) const override { min = Find(id).minimum, max = Find(id).maximum; }
    int GetScrollPos(int id) const override { return Find(id).position; }
    void SetScrollPos(int id, int position) override { items[id].position = position; }

    ViewRect GetWindowRect() const override { return windowRect; }
    ViewRect GetClientRect() const override { return {0, 0, windowRect.Width(), windowRect.Height()}; }
    ViewRect GetDesktopClientRect() const override { return desktopRect; }
    void MoveWindow(const ViewRect& rect) override { windowRect = rect; }

    const Item& Find(int id) const;

    std::map<int, Item> items;
    std::string windowText;
    bool windowVisible = false;
    std::vector<Message> messages;
    bool ended = false;
    int endResult = 0;
    ViewRect windowRect{100, 100, 500, 400};
    ViewRect desktopRect{0, 0, 1280, 1024};
};
