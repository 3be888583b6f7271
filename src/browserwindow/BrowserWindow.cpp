#include "browserwindow/BrowserWindow.h"

#include "browser/CBrowser.h"
#include "qttext/Cp932Text.h"
#include "resources/AppIcon.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QUuid>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWindow>

#include <fstream>

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

// Qt keys as the key codes the editor's PreTranslateMessage takes; 0 for keys
// it has no use for.
int VirtualKeyOf(const QKeyEvent& event)
{
    const int key = event.key();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return CBrowser::kEnterKey;
    case Qt::Key_Escape: return CBrowser::kEscapeKey;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Space: return 32;
    case Qt::Key_Delete: return 46;
    default: break;
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return key;  // Qt's codes for these are their ASCII codes
    }
    return 0;
}

// Installed at document creation in the page's own world: every assignment
// to window.status becomes a console message with a prefix no page knows,
// and reading window.status gives the last text back.
QString StatusScript(const QString& prefix)
{
    return QStringLiteral(
               "(function () {\n"
               "  var report = console.log.bind(console);\n"
               "  var last = '';\n"
               "  Object.defineProperty(window, 'status', {\n"
               "    configurable: true, enumerable: true,\n"
               "    get: function () { return last; },\n"
               "    set: function (value) { last = String(value); report(%1 + last); }\n"
               "  });\n"
               "})();\n")
        .arg(QStringLiteral("'") + prefix + QStringLiteral("'"));
}

const char kScheme[] = "deck";
const char kHost[] = "page";
// A deck's code is under 100 bytes; a longer status text is no code, and
// passing on a flood of them would only fill the editor's memory.
constexpr int kLongestStatus = 1024;
constexpr qint64 kLongestFile = 64 << 20;

const char kTextNotLoaded[] = u8"デッキのページを読み込めなかったみたいです…。\n"
                              u8"このままではデッキを受け取れないので、okはお休みです。";

QByteArray MimeTypeOf(const QString& name)
{
    const QString suffix = name.section(QLatin1Char('.'), -1).toLower();
    static const struct {
        const char* suffix;
        const char* type;
    } kTypes[] = {
        {"htm", "text/html"}, {"html", "text/html"},  {"xml", "application/xml"}, {"js", "text/javascript"},
        {"css", "text/css"},  {"png", "image/png"},   {"gif", "image/gif"},       {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"}, {"svg", "image/svg+xml"}, {"ini", "text/plain"}, {"txt", "text/plain"},
    };
    for (const auto& type : kTypes) {
        if (suffix == QLatin1String(type.suffix)) {
            return type.type;
        }
    }
    return "application/octet-stream";
}

// Every request leaves through here: only the page's own scheme and data the
// page holds itself pass, never a file: or network address.
class OwnFilesOnly : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QString scheme = info.requestUrl().scheme();
        info.block(scheme != QLatin1String(kScheme) && scheme != QLatin1String("data") &&
                   scheme != QLatin1String("blob"));
    }
};

// A file's bytes, through its name as the file system has it: a folder whose
// name is not UTF-8 is never decoded at all. False for what is not a file.
bool ReadFile(const std::string& path, QByteArray& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kLongestFile) {
        return false;
    }
    in.seekg(0);
    bytes.resize(static_cast<qsizetype>(size));
    return static_cast<bool>(in.read(bytes.data(), size)) || size == 0;
}

std::string SidesOf(const QRect& rect)
{
    return NumbersText({rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()});
}

}  // namespace

// ---------------------------------------------------------------- dialog

BrowserDialog::BrowserDialog()
    // A dialog, so that it can be the transient of the main window (SetOwner).
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setPointSize(8);
    setFont(font);
    // Dialog base units: average width of the alphabet, and the font height.
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX = qMax(1, (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2);
    baseY = qMax(1, metrics.height());

    setWindowTitle(QStringLiteral("Dialog"));
    setSizeGripEnabled(false);
    setModal(false);

    webView = new DeckView(this);
    webView->setGeometry(0, 0, DluX(399), DluY(462));

    okButton = new QPushButton(QStringLiteral("ok"), this);
    okButton->setGeometry(DluX(337), DluY(6), DluX(25), DluY(13));
    okButton->setAutoDefault(false);
    cancelButton = new QPushButton(QStringLiteral("cancel"), this);
    cancelButton->setGeometry(DluX(363), DluY(5), DluX(25), DluY(12));
    cancelButton->setAutoDefault(false);
    cancelButton->hide();
    notLoaded = new QLabel(this);
    notLoaded->setGeometry(DluX(10), DluY(30), DluX(380), DluY(40));
    notLoaded->setWordWrap(true);
    notLoaded->setAutoFillBackground(true);
    notLoaded->hide();
    okButton->raise();
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });

    resize(DluX(400), DluY(463));
    move(0, 0);
}

int BrowserDialog::DluX(int units) const { return (units * baseX + 2) / 4; }
int BrowserDialog::DluY(int units) const { return (units * baseY + 4) / 8; }

// QDialog's cancel (Escape never gets here: the editor has it swallowed).
void BrowserDialog::reject()
{
    if (onCancel) {
        onCancel();
    }
}

// The caption's close box counts as cancel; the editor hides the window.
void BrowserDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

void BrowserDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (onGeometry) {
        onGeometry(true);
    }
}

void BrowserDialog::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    if (onGeometry) {
        onGeometry(false);
    }
}

// ---------------------------------------------------------------- page

// In Japanese like every other text of the program (Qt has no Japanese
// texts for the page's actions).
QMenu* DeckView::CreateContextMenu()
{
    struct Item {
        QWebEnginePage::WebAction action;
        const char* text;
    };
    static const Item kItems[] = {
        {QWebEnginePage::Copy, u8"コピー(&C)"},
        {QWebEnginePage::Paste, u8"貼り付け(&P)"},
        {QWebEnginePage::SelectAll, u8"すべて選択(&A)"},
    };
    auto* menu = new QMenu(this);
    for (const Item& item : kItems) {
        QAction* pageAction = page()->action(item.action);
        QAction* shown = menu->addAction(QString::fromUtf8(item.text), pageAction, &QAction::trigger);
        shown->setEnabled(pageAction->isEnabled());
    }
    return menu;
}

void DeckView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// ---------------------------------------------------------------- scheme

void RegisterDeckScheme()
{
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // The page's own origin: it may read its files, and nothing else may.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl DeckScheme::SetPage(const std::string& path)
{
    pagePath = path;
    const std::size_t slash = path.rfind('/');
    const QByteArray name = QByteArray::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
    pageName = QString::fromUtf8(name);
    QUrl url;
    url.setScheme(QLatin1String(kScheme));
    url.setHost(QLatin1String(kHost));
    url.setPath(QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(name)), QUrl::TolerantMode);
    return url;
}

void DeckScheme::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    const QString name = url.path(QUrl::FullyDecoded).mid(1);
    std::string path;
    if (url.host() != QLatin1String(kHost) || job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    if (!pagePath.empty() && name == pageName) {
        path = pagePath;
    } else {
        // Under the working folder only: no way up and no absolute name.
        for (const QString& part : name.split(QLatin1Char('/'))) {
            if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) {
                job->fail(QWebEngineUrlRequestJob::RequestDenied);
                return;
            }
        }
        path = folder + "/" + name.toUtf8().toStdString();
    }
    QByteArray bytes;
    if (!ReadFile(path, bytes)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(bytes);
    job->reply(MimeTypeOf(name), buffer);
}

DeckPage::DeckPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent),
      prefix(QStringLiteral("\x01status-") + QUuid::createUuid().toString(QUuid::WithoutBraces) +
             QStringLiteral(":"))
{
    QWebEngineScript script;
    script.setName(QStringLiteral("window.status reporter"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(StatusScript(prefix));
    scripts().insert(script);

    // The page reads its files through its own scheme; nothing else is fetched.
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);

    connect(this, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        if (statusText) {
            statusText(url);
        }
    });
}

void DeckPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                        int lineNumber, const QString& sourceId)
{
    if (message.startsWith(prefix)) {
        if (statusText) {
            statusText(message.mid(prefix.size()));
        }
        if (pageStatus) {
            pageStatus();
        }
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceId);
}

// Leaving the page would lose the deck being edited, and the page has no
// business anywhere else: only its own address (and frames of its own
// scheme) may load.
bool DeckPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame)
{
    if (url.scheme() != QLatin1String(kScheme)) {
        return false;
    }
    return !isMainFrame || url.adjusted(QUrl::RemoveFragment) == pageUrl;
}

// ---------------------------------------------------------------- window

BrowserWindow::BrowserWindow(Sender s, const std::string& workingFolder) : send(std::move(s))
{
    // Off the record: the page keeps nothing on disk between runs.
    profile = new QWebEngineProfile(this);
    scheme = new DeckScheme(workingFolder, this);
    profile->installUrlSchemeHandler(kScheme, scheme);
    profile->setUrlRequestInterceptor(new OwnFilesOnly(this));
    connect(profile, &QWebEngineProfile::downloadRequested, this,
            [](QWebEngineDownloadRequest* download) { download->cancel(); });
    dialog = new BrowserDialog;
    page = new DeckPage(profile, dialog->webView);
    dialog->webView->setPage(page);

    page->statusText = [this](const QString& text) {
        const std::string bytes = ToBytes(text);
        if (bytes.size() <= kLongestStatus) {
            send(m::kStatus, bytes);
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
        // would run it again.
        if (okPressed) {
            return;
        }
        okPressed = true;
        UpdateOk();
        send(m::kOk, std::string());
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

std::string BrowserWindow::Rect() const { return SidesOf(dialog->frameGeometry()); }

void BrowserWindow::Ready()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->geometry() : QRect();
    send(m::kReady, Rect() + " " + SidesOf(desktop));
    // From now on the editor hears of every change of place and size.
    dialog->onGeometry = [this](bool resized) {
        send(m::kRect, Rect());
        if (resized) {
            send(m::kSize, NumbersText({dialog->width(), dialog->height()}));
        }
    };
}

void BrowserWindow::Handle(const BrowserMessage& message)
{
    std::vector<long long> n;
    const bool numbers = ParseNumbers(message.text, n);
    const std::string& name = message.name;
    if (name == m::kNavigate) {
        Navigate(message.text);
    } else if (name == m::kCaption) {
        dialog->setWindowTitle(FromCp932(message.text));
    } else if (name == m::kShow) {
        okPressed = false;
        UpdateOk();
        Show();
    } else if (name == m::kHide || name == m::kEnd) {
        okPressed = false;
        UpdateOk();
        if (name == m::kEnd && numbers && n.size() == 1) {
            dialog->setResult(static_cast<int>(n[0]));
        }
        dialog->hide();
    } else if (name == m::kWidth && numbers && n.size() == 1) {
        dialog->webView->resize(static_cast<int>(n[0]), dialog->webView->height());
    } else if (name == m::kHeight && numbers && n.size() == 1) {
        dialog->webView->resize(dialog->webView->width(), static_cast<int>(n[0]));
    } else if (name == m::kMove && numbers && n.size() == 4) {
        Move(n);
    } else if (name == m::kIcon && numbers && n.size() == 1 && n[0] == CBrowser::kIcon) {
        dialog->setWindowIcon(BrowserIcon());
    } else if (name == m::kKeys && numbers) {
        swallowedKeys = std::set<int>(n.begin(), n.end());
    } else if (name == m::kOwner && numbers && n.size() == 1) {
        SetOwner(static_cast<unsigned long long>(n[0]));
    }
}

void BrowserWindow::Navigate(const std::string& url)
{
    const QString text = FromCp932(url);
    static const QString scheme = QStringLiteral("javascript:");
    if (text.startsWith(scheme, Qt::CaseInsensitive)) {
        // Runs in the page shown, as a browser runs a javascript: URL, but
        // never replaces the document.
        lastHandOver = QUrl::fromPercentEncoding(text.mid(scheme.size()).toUtf8());
        waitingScripts.append(lastHandOver);
        handOverAnswered = false;
        RunWaitingScripts();
        return;
    }
    // Anything else names the page file as the file system does.
    pageLoaded = false;
    lastHandOver.clear();
    page->pageUrl = this->scheme->SetPage(url);
    page->load(page->pageUrl);
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

// The rectangle is the whole window, frame included, as "rect" reports it.
void BrowserWindow::Move(const std::vector<long long>& sides)
{
    const QRect frame = dialog->frameGeometry();
    const int frameWidth = frame.width() - dialog->width();
    const int frameHeight = frame.height() - dialog->height();
    const int width = static_cast<int>(sides[2] - sides[0]) - frameWidth;
    const int height = static_cast<int>(sides[3] - sides[1]) - frameHeight;
    dialog->move(static_cast<int>(sides[0]), static_cast<int>(sides[1]));
    dialog->resize(qMax(1, width), qMax(1, height));
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
// is first checked against the keys the editor swallows.
bool BrowserWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && dialog && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == dialog.data() &&
            swallowedKeys.count(VirtualKeyOf(*static_cast<QKeyEvent*>(event))) != 0) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
