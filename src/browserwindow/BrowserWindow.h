#pragma once
// The browser dialog's window with the deck page in a Qt WebEngine view, as
// the program deckeditor-browser shows it. It does what the editor's messages
// say and reports its events back as messages; the dialog's logic stays in
// the editor.
#include "browser/BrowserMessages.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWebEnginePage>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

class QLabel;
class QMenu;
class QPushButton;
class QWebEngineProfile;
class QWindow;

// The dialog window: ok, the hidden cancel and the page.
class BrowserDialog : public QDialog {
public:
    BrowserDialog();

    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QWebEngineView* webView = nullptr;
    // Over the page while it could not be loaded or does not take the deck.
    QLabel* notLoaded = nullptr;
    // QDialog's cancel, the close box and the cancel button.
    std::function<void()> onCancel;
    // The window was moved (false) or resized (true).
    std::function<void(bool resized)> onGeometry;

    // Dialog units of the dialog font, in pixels.
    int DluX(int units) const;
    int DluY(int units) const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    int baseX = 6;
    int baseY = 13;
};

// The page's view: its context menu offers copying and pasting only, never
// leaving or reloading the page (which would lose the deck being edited).
class DeckView : public QWebEngineView {
public:
    using QWebEngineView::QWebEngineView;
    QMenu* CreateContextMenu();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

// The deck page and the files it reads come through a scheme of our own,
// deck://page/NAME: the page's own NAME is the page file the editor named,
// every other NAME a file under the working folder, and nothing else on the
// disk can be reached. Registered before the application object exists.
void RegisterDeckScheme();

class DeckScheme : public QWebEngineUrlSchemeHandler {
public:
    // Every other file the page asks for comes from `workingFolder`.
    DeckScheme(std::string workingFolder, QObject* parent)
        : QWebEngineUrlSchemeHandler(parent), folder(std::move(workingFolder))
    {
    }
    // The page file as the file system names it; returns the page's URL.
    QUrl SetPage(const std::string& path);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    std::string folder;
    std::string pagePath;
    QString pageName;
};

// The page: reports window.status assignments, passed on by the script
// installed at document creation as console messages with a private prefix.
// It stays on its own page: no navigation away from it, no downloads and no
// new windows.
class DeckPage : public QWebEnginePage {
public:
    DeckPage(QWebEngineProfile* profile, QObject* parent);
    std::function<void(const QString&)> statusText;
    // Raised only for the page's own window.status assignments.
    std::function<void()> pageStatus;
    QUrl pageUrl;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceId) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    QString prefix;
};

class BrowserWindow : public QObject {
public:
    // `send` carries one message to the editor. The page reads its other
    // files (list.xml) from the editor's working folder.
    using Sender = std::function<void(const char* name, const std::string& text)>;
    BrowserWindow(Sender send, const std::string& workingFolder);
    ~BrowserWindow() override;

    // Tells the editor that the window exists, with its place and the desktop's.
    void Ready();
    // One command of the editor.
    void Handle(const BrowserMessage& message);

    BrowserDialog* Dialog() const { return dialog; }
    DeckPage* Page() const { return page; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Navigate(const std::string& url);
    void RunWaitingScripts();
    void UpdateOk();
    void Show();
    void Move(const std::vector<long long>& sides);
    void SetOwner(unsigned long long id);
    std::string Rect() const;

    Sender send;
    QWebEngineProfile* profile = nullptr;
    DeckScheme* scheme = nullptr;
    QPointer<BrowserDialog> dialog;
    QPointer<DeckPage> page;
    std::unique_ptr<QWindow> owner;
    std::set<int> swallowedKeys;
    // Scripts wait until the page shown has finished loading: run earlier,
    // they would meet a page without its deck functions, and the hand-over
    // would be lost.
    bool pageLoaded = false;
    bool loadFailed = false;
    QStringList waitingScripts;
    QString lastHandOver;
    int runningScripts = 0;
    // ok is offered once the page has taken the latest hand-over (it reports
    // the deck's code) and until the player has pressed it, while the
    // editor's command runs.
    bool handOverAnswered = false;
    bool handOverFailed = false;
    bool okPressed = false;
};
