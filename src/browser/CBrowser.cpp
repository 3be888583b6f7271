// The browser dialog: window logic only. The window and the web control come
// from outside through View and BrowserControl (Qt, or a test's fakes).
#include "browser/CBrowser.h"

#include "appinfo/DataFiles.h"

#include <algorithm>

// A dialog's own rectangle starts at its owner's position (a dialog's place is
// relative to its owner), is fitted to the desktop and goes 390 px right of
// that: beside the owner. Our owner can be wider than 390 px, so the dialog
// keeps clear of it; where the right has no room it takes the side with the
// most, and its whole frame stays on the desktop.
ViewRect CBrowser::Placement(ViewRect rect, const ViewRect& desktop, const ViewRect& ownerRect)
{
    const bool hasOwner = ownerRect.Width() > 0 && ownerRect.Height() > 0;
    if (hasOwner) {
        rect = {ownerRect.left, ownerRect.top, ownerRect.left + rect.Width(), ownerRect.top + rect.Height()};
    }
    rect.right = rect.left + kPlacedWidth;
    if (rect.Height() > desktop.Height()) {
        rect.top = desktop.top;
        rect.bottom = desktop.bottom - 25;
    }
    if (rect.Width() > desktop.Width()) {
        rect.left = desktop.left;
        rect.right = rect.left + 350;
    }
    rect.left += kOwnerOffset;
    rect.right += kOwnerOffset;

    const int width = rect.Width();
    const int height = rect.Height();
    const auto moveTo = [&rect, width, height](int left, int top) { rect = {left, top, left + width, top + height}; };
    if (hasOwner && rect.left < ownerRect.right) {
        moveTo(ownerRect.right, rect.top);
    }
    if (hasOwner && rect.right > desktop.right && ownerRect.left - desktop.left > desktop.right - ownerRect.right) {
        moveTo(ownerRect.left - width, rect.top);
    }
    moveTo(std::max(desktop.left, std::min(rect.left, desktop.right - width)),
           std::max(desktop.top, std::min(rect.top, desktop.bottom - height)));
    return rect;
}

void CExplorer::Attach(BrowserControl* c)
{
    if (control) {
        control->statusTextChange = nullptr;
    }
    control = c;
    if (control) {
        control->statusTextChange = [this](const std::string& text) { OnStatusTextChange(text); };
    }
}

void CExplorer::Navigate(const std::string& url)
{
    if (control) {
        control->Navigate(url);
    }
}

void CExplorer::SetWidth(long pixels)
{
    if (control) {
        control->SetWidth(pixels);
    }
}

void CExplorer::SetHeight(long pixels)
{
    if (control) {
        control->SetHeight(pixels);
    }
}

// The page's code is told apart from link addresses and progress texts by
// its first character alone: every DAZO Rozi begins with "0".
void CExplorer::OnStatusTextChange(const std::string& text)
{
    if (!text.empty() && text[0] == '0') {
        capturedCode = text;
    }
}

CBrowser::CBrowser(const GamePaths& gamePaths) : paths(gamePaths) {}

void CBrowser::Attach(View* v, BrowserControl* c, bool pending)
{
    view = v;
    explorer.Attach(c);
    windowPending = pending;
}

void CBrowser::Create(BrowserOwner* o)
{
    owner = o;
    created = true;
    if (!windowPending) {
        OnInitDialog();
    }
}

void CBrowser::OnWindowCreated()
{
    windowPending = false;
    if (created) {
        OnInitDialog();
    }
}

bool CBrowser::OnInitDialog()
{
    if (view) {
        view->SetIcon(kIcon);
    }

    // Requested at once, so the page loads while the main window is in use.
    // The path goes as the file system names it: a folder name that is not
    // code page 932 (or not even UTF-8) must still find the page.
    // The browser window serves it the working folder's list.xml wherever it
    // is. Its process starts in the same folder as ours, so a relative path
    // means the same file there; "./" keeps it from reading as a URL.
    const std::string page = DataFilePath(paths.Page());
    explorer.Navigate(page[0] == '/' ? page : "./" + page);

    if (view) {
        view->MoveWindow(Placement(view->GetWindowRect(), view->GetDesktopClientRect(),
                                   owner ? owner->OwnerWindowRect() : ViewRect()));
    }
    return true;
}

bool CBrowser::PreTranslateMessage(int virtualKey)
{
    // Enter and Escape would end the dialog or act in the page.
    return virtualKey == kEnterKey || virtualKey == kEscapeKey;
}

void CBrowser::OnSizing(ViewRect& proposed)
{
    if (view) {
        view->MoveWindow(proposed);
    }
}

void CBrowser::OnSize(int clientWidth, int clientHeight)
{
    explorer.SetWidth(clientWidth);
    explorer.SetHeight(clientHeight);
}

// Only a page that has taken the deck handed over reports a code; without one
// (a page that never loaded) ok would empty the deck. The code is used up,
// so an ok that arrives again while its command still runs does nothing.
void CBrowser::OnBrowserOk()
{
    if (explorer.capturedCode.empty()) {
        return;
    }
    const std::string code = std::move(explorer.capturedCode);
    explorer.capturedCode.clear();
    if (owner) {
        owner->OnBrowserCode(code);
    }
    if (view) {
        view->EndDialog(IDOK);
    }
}

void CBrowser::OnBrowserCancel()
{
    if (owner) {
        owner->OnBrowserCancelled();
    }
    if (view) {
        view->EndDialog(IDCANCEL);
    }
}

void CBrowser::RunScript(const std::string& script)
{
    explorer.Navigate("javascript:" + script + ";eval();");
}

void CBrowser::ShowDeckInPage(const std::string& code)
{
    // Whatever the page reported before is not about this deck.
    explorer.capturedCode.clear();
    RunScript("demaid(deck, '" + code + "')");
}

void CBrowser::SetDeckCaption(const std::string& name)
{
    if (view) {
        view->SetWindowText(name);
    }
}

void CBrowser::ShowWindow(bool show)
{
    if (view) {
        view->ShowWindow(show);
    }
}
