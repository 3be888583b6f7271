#pragma once
// The browser dialog's window as its logic sees it, with code page 932 texts.
// The browser's process implements it; TestView keeps it in memory.
#include <string>

struct ViewRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Message box styles, and the answers MessageBox returns.
enum : unsigned { MB_OK = 0x0, MB_YESNO = 0x4, MB_TYPEMASK = 0xF, MB_DEFBUTTON2 = 0x100 };
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class View {
public:
    virtual ~View() = default;

    // The window itself.
    virtual void SetWindowText(const std::string& text) = 0;
    virtual std::string GetWindowText() const = 0;
    virtual void ShowWindow(bool show) = 0;
    virtual bool IsWindowVisible() const = 0;
    // Ends a modal run with the result; a modeless window is only hidden.
    virtual void EndDialog(int result) = 0;
    // A modal message box owned by this window; returns IDOK, IDYES or IDNO.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned type) = 0;

    // Controls.
    virtual void SetItemText(int id, const std::string& text) = 0;
    virtual std::string GetItemText(int id) const = 0;
    virtual void ShowItem(int id, bool show) = 0;
    virtual bool IsItemVisible(int id) const = 0;
    virtual bool GetCheck(int id) const = 0;
    virtual void SetCheck(int id, bool checked) = 0;

    // Tab bar and drop-down list: GetCurSel and SetCurSel address the selected
    // tab or entry (-1: none). Selecting by program raises no change event.
    virtual void InsertTab(int id, int index, const std::string& caption) = 0;
    virtual int GetCurSel(int id) const = 0;
    virtual void SetCurSel(int id, int index) = 0;
    // A list's entries; one that is not selectable is shown but cannot be
    // chosen. Views without lists ignore them.
    virtual void ClearList(int id) { (void)id; }
    virtual void AddListItem(int id, const std::string& text, bool selectable) { (void)id, (void)text, (void)selectable; }

    // Scroll bar: inclusive range; the position is kept as set.
    virtual void SetScrollRange(int id, int minimum, int maximum) = 0;
    virtual void GetScrollRange(int id, int& minimum, int& maximum) const = 0;
    virtual int GetScrollPos(int id) const = 0;
    virtual void SetScrollPos(int id, int position) = 0;

    // Placement, in screen pixels (used by the browser dialog).
    virtual ViewRect GetWindowRect() const = 0;
    virtual ViewRect GetClientRect() const = 0;
    virtual ViewRect GetDesktopClientRect() const = 0;
    virtual void MoveWindow(const ViewRect& rect) = 0;

    // The window's large icon, by icon id. Views without icons ignore it.
    virtual void SetIcon(int iconResource) { (void)iconResource; }
};
