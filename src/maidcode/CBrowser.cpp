// The browser dialog: window logic only. The window and the web control come
// from outside through View and BrowserControl (Qt, or a test's fakes).
#include "maidcode/CBrowser.h"

#include "app/CDeckEditorDlg.h"
#include "appinfo/DataFiles.h"

#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

// The DAZO Rozi box and the tab bar of the main window.
constexpr int kOwnerCodeBox = 1003;
constexpr int kOwnerTabBar = 1000;
constexpr int kCreateTab = 2;

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

// Texts inside are code page 932; a folder name that cannot be written in it
// is kept as it is.
std::string FileSystemToCp932(const std::string& text)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return text;
    }
    std::string out(text.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1) || inLeft != 0) {
        return text;
    }
    out.resize(out.size() - outLeft);
    return out;
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

void CBrowser::Attach(View* v, BrowserControl* c)
{
    view = v;
    explorer.Attach(c);
}

void CBrowser::Create(CDeckEditorDlg* o)
{
    owner = o;
    OnInitDialog();
}

bool CBrowser::OnInitDialog()
{
    if (view) {
        view->SetIcon(kIcon);
    }

    // Requested at once, so the page loads while the main window is in use.
    const std::string page = DeckPagePath();  // relative when the working folder has it
    explorer.Navigate(FileSystemToCp932(page[0] == '/' ? page : CurrentDirectory() + "/" + page));

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
        owner->GetView().SetItemText(kOwnerCodeBox, explorer.capturedCode);
        owner->OnOkClicked();
    }
    if (view) {
        view->EndDialog(IDOK);
    }
}

void CBrowser::OnBrowserCancel()
{
    if (owner) {
        // Selecting by program raises no tab change, so no hand-over runs.
        owner->GetView().SetCurSel(kOwnerTabBar, kCreateTab);
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
