#pragma once
// The deck page in the browser program: the scheme its files come through,
// and the page itself, which reports window.status and never leaves.
#include <QObject>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlSchemeHandler>

#include <functional>
#include <string>
#include <utility>

class QWebEngineProfile;

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
// It stays on its own page: no navigation away from it and no new windows.
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

// An off-the-record profile whose pages reach nothing but `scheme`'s files
// and never download.
QWebEngineProfile* DeckProfile(DeckScheme* scheme, QObject* parent);
