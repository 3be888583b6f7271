#pragma once
// The browser program's window with the deck page, as deckeditor-browser
// shows it: it answers the editor's open and close, and runs everything else
// itself (placement, keys, sizes, the page's code) with CBrowser's logic.
#include "browser/BrowserMessages.h"
#include "browser/CBrowser.h"
#include "browserwindow/BrowserDialog.h"
#include "browserwindow/DeckPage.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

class QWebEngineProfile;
class QWindow;

class BrowserWindow : public QObject {
public:
    // `send` carries one message to the editor. The page reads its other
    // files (list.xml) from the editor's working folder. `ownerWindow` is the
    // native id of the main window, which this one stays above (0: none).
    using Sender = std::function<void(const char* name, const std::string& text)>;
    BrowserWindow(Sender send, const std::string& workingFolder, unsigned long long ownerWindow = 0);
    ~BrowserWindow() override;

    // Loads the page file, as the file system names it.
    void Load(const std::string& pagePath);
    // Tells the editor that the window listens.
    void Ready();
    // One message of the editor.
    void Handle(const BrowserMessage& message);

    BrowserDialog* Dialog() const { return dialog; }
    DeckPage* Page() const { return page; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Open(const OpenRequest& request);
    void RunWaitingScripts();
    void UpdateOk();
    void Show();
    void Move(const BrowserRect& frame);
    void SetOwner(unsigned long long id);

    Sender send;
    CBrowser logic;
    QWebEngineProfile* profile = nullptr;
    DeckScheme* scheme = nullptr;
    QPointer<BrowserDialog> dialog;
    QPointer<DeckPage> page;
    std::unique_ptr<QWindow> owner;
    // Placed beside the main window at its first showing; after that it
    // stays where the player puts it.
    bool placed = false;
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
