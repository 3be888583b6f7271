// Placeholder until the browser dialog is built: the main window can create,
// fill and show it, and nothing happens.
#include "maidcode/CBrowser.h"

void CExplorer::Attach(BrowserControl* c) { control = c; }
void CExplorer::Navigate(const std::string& url) { if (control) control->Navigate(url); }
void CExplorer::SetWidth(long pixels) { if (control) control->SetWidth(pixels); }
void CExplorer::SetHeight(long pixels) { if (control) control->SetHeight(pixels); }
void CExplorer::OnStatusTextChange(const std::string& text) { if (!text.empty() && text[0] == '0') capturedCode = text; }

CBrowser::CBrowser() = default;
void CBrowser::Attach(View* v, BrowserControl* c) { view = v; explorer.Attach(c); }
void CBrowser::Create(CDeckEditorDlg* o) { owner = o; OnInitDialog(); }
bool CBrowser::OnInitDialog() { return true; }
bool CBrowser::PreTranslateMessage(int virtualKey) { return virtualKey == 13 || virtualKey == 27; }
void CBrowser::OnSizing(ViewRect&) {}
void CBrowser::OnSize(int, int) {}
void CBrowser::OnBrowserOk() {}
void CBrowser::OnBrowserCancel() {}
void CBrowser::RunScript(const std::string&) {}
void CBrowser::ShowDeckInPage(const std::string&) {}
void CBrowser::SetDeckCaption(const std::string&) {}
void CBrowser::ShowWindow(bool) {}
