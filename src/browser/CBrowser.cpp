// The browser dialog: window logic only. The window and the web control come
// from outside through View and BrowserControl (Qt, or a test's fakes).
#include "browser/CBrowser.h"

#include "text/Cp932.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

// The working folder as the file system names it (UTF-8 here). A fixed buffer
// would give a wrong page path for deep folders, so it grows as needed.
std::string CurrentDirectory()
{
    std::vector<char> buffer(2048);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return ".";
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace

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

CBrowser::CBrowser() = default;

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
    // Texts inside are code page 932; a folder name it cannot hold is kept as it is.
    const std::string folder = CurrentDirectory();
    std::string folderText;
    if (!Utf8ToCp932(folder, folderText)) {
        folderText = folder;
    }
    explorer.Navigate(folderText + "/deckmaker.htm");

    if (view) {
        const ViewRect desktop = view->GetDesktopClientRect();
        ViewRect rect = view->GetWindowRect();
        rect.right = rect.left + 625;
        if (rect.Height() > desktop.Height()) {
            rect.top = desktop.top;
            rect.bottom = desktop.bottom - 25;
        }
        if (rect.Width() > desktop.Width()) {
            rect.left = desktop.left;
            rect.right = rect.left + 350;
        }
        rect.left += 390;
        rect.right += 390;
        view->MoveWindow(rect);
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

void CBrowser::OnBrowserOk()
{
    if (owner) {
        owner->OnBrowserCode(explorer.capturedCode);
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
