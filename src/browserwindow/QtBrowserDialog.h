#pragma once
// The pieces of the browser dialog's Qt window: the window itself, the view
// that CBrowser drives, and the WebEngine control behind BrowserControl.
// QtBrowserWindow ties them together (see CreateQtBrowserWindow).
#include "view/View.h"
#include "browser/CBrowser.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebEnginePage>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QPushButton;
class QWebEngineProfile;
class QWebEngineView;

// Control ids of the browser dialog, as its View addresses them.
enum : int { kBrowserOkId = 1, kBrowserCancelId = 2, kBrowserControlId = 1037 };

// The dialog window: hands its events to CBrowser's handlers.
class QtBrowserDialog : public QDialog {
public:
    QtBrowserDialog(CBrowser& browser, QWidget* owner);

    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QWebEngineView* webView = nullptr;

    // Dialog units of the dialog font, in pixels.
    int DluX(int units) const;
    int DluY(int units) const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CBrowser& browser;
    int baseX = 6;
    int baseY = 13;
    bool sizing = false;
};

// The page: reports window.status assignments, passed on by the script
// installed at document creation as console messages with a private prefix.
class DeckPage : public QWebEnginePage {
public:
    DeckPage(QWebEngineProfile* profile, QObject* parent);
    std::function<void(const QString&)> statusText;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceId) override;

private:
    QString prefix;
};

// BrowserControl over QWebEngineView.
class QtWebControl : public BrowserControl {
public:
    QtWebControl(QWebEngineView* view, DeckPage* page);
    void Navigate(const std::string& url) override;
    void SetWidth(long pixels) override;
    void SetHeight(long pixels) override;

private:
    QPointer<QWebEngineView> view;
    QPointer<DeckPage> page;
};

// View of the dialog window for CBrowser.
class QtBrowserView : public View {
public:
    explicit QtBrowserView(QtBrowserDialog* dialog);

    void SetWindowText(const std::string& text) override;
    std::string GetWindowText() const override;
    void ShowWindow(bool show) override;
    bool IsWindowVisible() const override;
    void EndDialog(int result) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

    void SetItemText(int id, const std::string& text) override;
    std::string GetItemText(int id) const override;
    void ShowItem(int id, bool show) override;
    bool IsItemVisible(int id) const override;
    bool GetCheck(int id) const override;
    void SetCheck(int id, bool checked) override;

    void InsertTab(int id, int index, const std::string& caption) override;
    int GetCurSel(int id) const override;
    void SetCurSel(int id, int index) override;

    void SetScrollRange(int id, int minimum, int maximum) override;
    void GetScrollRange(int id, int& minimum, int& maximum) const override;
    int GetScrollPos(int id) const override;
    void SetScrollPos(int id, int position) override;

    ViewRect GetWindowRect() const override;
    ViewRect GetClientRect() const override;
    ViewRect GetDesktopClientRect() const override;
    void MoveWindow(const ViewRect& rect) override;
    void SetIcon(int iconResource) override;

private:
    QWidget* Item(int id) const;
    QPointer<QtBrowserDialog> dialog;
};

// Owns the window, its page and profile, and routes key-downs of the window
// through CBrowser::PreTranslateMessage before anything else sees them.
class QtBrowserWindow : public QObject {
public:
    QtBrowserWindow(CBrowser& browser, QWidget* mainWindow);
    ~QtBrowserWindow() override;

    QtBrowserDialog* Dialog() const { return dialog; }
    QtBrowserView& GetView() { return *view; }
    QtWebControl& Control() { return *control; }
    DeckPage* Page() const { return page; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CBrowser& browser;
    QWebEngineProfile* profile = nullptr;
    QPointer<QtBrowserDialog> dialog;
    QPointer<DeckPage> page;
    std::unique_ptr<QtBrowserView> view;
    std::unique_ptr<QtWebControl> control;
};
