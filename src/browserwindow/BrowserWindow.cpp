#include "browserwindow/BrowserWindow.h"

#include "qttext/Cp932Text.h"
#include "resources/AppIcon.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWindow>

namespace m = browsermessage;

namespace {

// Texts from the page or the window as code page 932; a character that code
// page 932 cannot hold is left out (codes are plain ASCII anyway).
std::string ToBytes(const QString& text)
{
    std::string bytes;
    if (ToCp932(text, bytes)) {
        return bytes;
    }
    bytes.clear();
    for (const char32_t c : text.toUcs4()) {
        std::string one;
        if (ToCp932(QString::fromUcs4(&c, 1), one)) {
            bytes += one;
        }
    }
    return bytes;
}

// Qt keys as the key codes CBrowser takes; 0 for keys it has no use for.
int VirtualKeyOf(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return CBrowser::kEnterKey;
    case Qt::Key_Escape: return CBrowser::kEscapeKey;
    default: return 0;
    }
}

// A deck's code is under 100 bytes; a longer status text is no code.
constexpr int kLongestStatus = 1024;

const char kTextNotLoaded[] = u8"デッキのページを読み込めなかったみたいです…。\n"
                              u8"このままではデッキを受け取れないので、okはお休みです。";

BrowserRect RectOf(const QRect& rect)
{
    return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

}  // namespace

BrowserWindow::BrowserWindow(Sender s, const std::string& workingFolder, unsigned long long ownerWindow)
    : send(std::move(s))
{
    // Off the record: the page keeps nothing on disk between runs.
    scheme = new DeckScheme(workingFolder, this);
    profile = DeckProfile(scheme, this);
    dialog = new BrowserDialog;
    dialog->setWindowIcon(BrowserIcon());
    page = new DeckPage(profile, dialog->webView);
    dialog->webView->setPage(page);
    SetOwner(ownerWindow);

    page->statusText = [this](const QString& text) {
        const std::string bytes = ToBytes(text);
        if (bytes.size() <= kLongestStatus) {
            logic.OnStatusTextChange(bytes);
        }
    };
    page->pageStatus = [this] {
        handOverAnswered = true;
        UpdateOk();
    };
    // A navigation the engine never asks about (about:blank) is undone: the
    // page comes back, and the latest hand-over with it.
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (!page->pageUrl.isEmpty() && url.adjusted(QUrl::RemoveFragment) != page->pageUrl) {
            page->load(page->pageUrl);
            if (!lastHandOver.isEmpty()) {
                waitingScripts.append(lastHandOver);
                handOverAnswered = false;
                UpdateOk();
            }
        }
    });
    // Only the page's own loading counts: a navigation away that was refused
    // still reports a failed load, and the page stays as it was.
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.url().adjusted(QUrl::RemoveFragment) != page->pageUrl) {
            return;
        }
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
            pageLoaded = false;
            runningScripts = 0;  // the scripts of the page left behind are moot
            UpdateOk();
        } else {
            pageLoaded = true;
            loadFailed = info.status() != QWebEngineLoadingInfo::LoadSucceededStatus;
            RunWaitingScripts();
        }
    });
    dialog->notLoaded->setText(QString::fromUtf8(kTextNotLoaded));
    connect(dialog->okButton, &QPushButton::clicked, this, [this] {
        // Once: the editor's command may show a message, and a second ok
        // would run it again. Without a code from the page there is nothing
        // to send (ok is not offered then).
        if (okPressed) {
            return;
        }
        okPressed = true;
        UpdateOk();
        const std::string code = logic.TakeCode();
        if (!code.empty()) {
            send(m::kOk, code);
        }
    });
    dialog->onCancel = [this] { send(m::kCancel, std::string()); };
    qApp->installEventFilter(this);
}

BrowserWindow::~BrowserWindow()
{
    qApp->removeEventFilter(this);
    // The page must go before its profile.
    delete dialog.data();
}

void BrowserWindow::Load(const std::string& pagePath)
{
    pageLoaded = false;
    lastHandOver.clear();
    page->pageUrl = scheme->SetPage(pagePath);
    page->load(page->pageUrl);
}

void BrowserWindow::Ready() { send(m::kReady, std::string()); }

void BrowserWindow::Handle(const BrowserMessage& message)
{
    OpenRequest request;
    if (message.name == m::kOpen && ParseOpen(message.text, request)) {
        Open(request);
    } else if (message.name == m::kClose) {
        okPressed = false;
        UpdateOk();
        dialog->hide();
    }
}

void BrowserWindow::Open(const OpenRequest& request)
{
    dialog->setWindowTitle(FromCp932(request.name));
    lastHandOver = FromCp932(logic.HandOver(request));
    waitingScripts.append(lastHandOver);
    handOverAnswered = false;
    okPressed = false;
    RunWaitingScripts();
    if (!placed) {
        placed = true;
        const QScreen* screen = QGuiApplication::primaryScreen();
        Move(CBrowser::Placement(RectOf(dialog->frameGeometry()), RectOf(screen ? screen->geometry() : QRect()),
                                 request.owner));
    }
    Show();
}

void BrowserWindow::RunWaitingScripts()
{
    if (pageLoaded) {
        for (const QString& script : waitingScripts) {
            ++runningScripts;
            // The completion value tells whether the page took the script.
            const QString checked = QStringLiteral("try {\n%1\n;true} catch (e) {false}").arg(script);
            page->runJavaScript(checked, QWebEngineScript::MainWorld, [this](const QVariant& result) {
                runningScripts = qMax(0, runningScripts - 1);
                handOverFailed = result != QVariant(true);
                UpdateOk();
            });
        }
        waitingScripts.clear();
    }
    UpdateOk();
}

// While a hand-over waits for the page or runs in it, the page has not yet
// reported the deck handed over: ok would store an older or an empty code.
// A page that could not be loaded, or that did not take the deck, never
// offers ok, and says so.
void BrowserWindow::UpdateOk()
{
    const bool settled = pageLoaded && waitingScripts.isEmpty() && runningScripts == 0;
    dialog->okButton->setEnabled(settled && !loadFailed && handOverAnswered && !handOverFailed && !okPressed);
    dialog->notLoaded->setVisible(pageLoaded && (loadFailed || (settled && handOverFailed)));
}

// Shown over everything, also out of the task bar when it was minimised.
void BrowserWindow::Show()
{
    if (dialog->isMinimized()) {
        dialog->setWindowState(dialog->windowState() & ~Qt::WindowMinimized);
    }
    // Set at every showing: the web view's first page makes Qt create the
    // window's native window anew, without it.
    if (owner) {
        dialog->winId();
        dialog->windowHandle()->setTransientParent(owner.get());
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

// The rectangle is the whole window, frame included.
void BrowserWindow::Move(const BrowserRect& sides)
{
    const QRect frame = dialog->frameGeometry();
    const int frameWidth = frame.width() - dialog->width();
    const int frameHeight = frame.height() - dialog->height();
    dialog->move(sides.left, sides.top);
    dialog->resize(qMax(1, sides.Width() - frameWidth), qMax(1, sides.Height() - frameHeight));
}

// On X11 the window is made a transient of the main window of the other
// process when shown, so that it stays over it; other platforms cannot name
// a window of another process.
void BrowserWindow::SetOwner(unsigned long long id)
{
    if (id == 0 || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    owner.reset(QWindow::fromWinId(static_cast<WId>(id)));
}

// Every key-down meant for the window or a widget in it (the page included)
// is first checked against the keys the window swallows.
bool BrowserWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && dialog && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == dialog.data() &&
            CBrowser::PreTranslateMessage(VirtualKeyOf(*static_cast<QKeyEvent*>(event)))) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
