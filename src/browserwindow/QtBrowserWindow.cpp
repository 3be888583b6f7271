// The browser dialog's Qt window: OK, Cancel and the deck page in a
// QWebEngineView, events handed to CBrowser.
#include "browserwindow/QtBrowserWindow.h"

#include "browserwindow/QtBrowserDialog.h"

#include "qttext/Cp932Text.h"
#include "resources/AppIcon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QUrl>
#include <QUuid>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

#include <cstdlib>

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

// Qt keys as the key codes CBrowser::PreTranslateMessage takes; 0 for keys it
// has no use for.
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

// A path becomes a file URL; a text with a scheme (file:, about:) stays a URL.
QUrl UrlOf(const QString& text)
{
    const QUrl url(text);
    if (url.isValid() && url.scheme().size() > 1) {
        return url;
    }
    return QUrl::fromLocalFile(text);
}

ViewRect RectOf(const QRect& rect)
{
    ViewRect out;
    out.left = rect.x();
    out.top = rect.y();
    out.right = rect.x() + rect.width();
    out.bottom = rect.y() + rect.height();
    return out;
}

}  // namespace

// ---------------------------------------------------------------- dialog

QtBrowserDialog::QtBrowserDialog(CBrowser& b, QWidget* owner)
    : QDialog(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      browser(b)
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
    setAttribute(Qt::WA_QuitOnClose, false);

    webView = new QWebEngineView(this);
    webView->setGeometry(0, 0, DluX(399), DluY(462));

    okButton = new QPushButton(QStringLiteral("ok"), this);
    okButton->setGeometry(DluX(337), DluY(6), DluX(25), DluY(13));
    okButton->setAutoDefault(false);
    cancelButton = new QPushButton(QStringLiteral("cancel"), this);
    cancelButton->setGeometry(DluX(363), DluY(5), DluX(25), DluY(12));
    cancelButton->setAutoDefault(false);
    cancelButton->hide();
    okButton->raise();

    connect(okButton, &QPushButton::clicked, this, [this] { browser.OnBrowserOk(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { browser.OnBrowserCancel(); });

    resize(DluX(400), DluY(463));
    move(0, 0);
}

int QtBrowserDialog::DluX(int units) const { return (units * baseX + 2) / 4; }
int QtBrowserDialog::DluY(int units) const { return (units * baseY + 4) / 8; }

// QDialog's cancel (Escape never gets here: PreTranslateMessage swallows it).
void QtBrowserDialog::reject() { browser.OnBrowserCancel(); }

// The caption's close box counts as cancel; CBrowser hides the window itself.
void QtBrowserDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    browser.OnBrowserCancel();
}

void QtBrowserDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (sizing) {
        return;
    }
    sizing = true;
    ViewRect proposed = RectOf(frameGeometry());
    browser.OnSizing(proposed);
    browser.OnSize(width(), height());
    sizing = false;
}

// ---------------------------------------------------------------- page

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

    // The page reads list.xml beside it; nothing is fetched from elsewhere.
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
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
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceId);
}

// ---------------------------------------------------------------- control

QtWebControl::QtWebControl(QWebEngineView* v, DeckPage* p) : view(v), page(p)
{
    page->statusText = [this](const QString& text) {
        if (statusTextChange) {
            statusTextChange(ToBytes(text));
        }
    };
}

void QtWebControl::Navigate(const std::string& url)
{
    if (!page) {
        return;
    }
    const QString text = FromCp932(url);
    static const QString scheme = QStringLiteral("javascript:");
    if (text.startsWith(scheme, Qt::CaseInsensitive)) {
        // Runs in the page shown, as a browser runs a javascript: URL, but
        // never replaces the document.
        const QString script = QUrl::fromPercentEncoding(text.mid(scheme.size()).toUtf8());
        page->runJavaScript(script, QWebEngineScript::MainWorld);
        return;
    }
    page->load(UrlOf(text));
}

void QtWebControl::SetWidth(long pixels)
{
    if (view) {
        view->resize(static_cast<int>(pixels), view->height());
    }
}

void QtWebControl::SetHeight(long pixels)
{
    if (view) {
        view->resize(view->width(), static_cast<int>(pixels));
    }
}

// ---------------------------------------------------------------- view

QtBrowserView::QtBrowserView(QtBrowserDialog* d) : dialog(d) {}

QWidget* QtBrowserView::Item(int id) const
{
    if (!dialog) {
        return nullptr;
    }
    switch (id) {
    case kBrowserOkId: return dialog->okButton;
    case kBrowserCancelId: return dialog->cancelButton;
    case kBrowserControlId: return dialog->webView;
    default: return nullptr;
    }
}

void QtBrowserView::SetWindowText(const std::string& text)
{
    if (dialog) {
        dialog->setWindowTitle(FromCp932(text));
    }
}

std::string QtBrowserView::GetWindowText() const
{
    return dialog ? ToBytes(dialog->windowTitle()) : std::string();
}

void QtBrowserView::ShowWindow(bool show)
{
    if (!dialog) {
        return;
    }
    if (show) {
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    } else {
        dialog->hide();
    }
}

bool QtBrowserView::IsWindowVisible() const { return dialog && dialog->isVisible(); }

// A modeless window is only hidden (QDialog::done would close it again).
void QtBrowserView::EndDialog(int result)
{
    if (dialog) {
        dialog->setResult(result);
        dialog->hide();
    }
}

int QtBrowserView::MessageBox(const std::string& text, const std::string& caption, unsigned type)
{
    QMessageBox box(QMessageBox::NoIcon, FromCp932(caption), FromCp932(text),
                    type == MB_YESNO ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, dialog);
    const int answer = box.exec();
    if (type == MB_YESNO) {
        return answer == QMessageBox::Yes ? IDYES : IDNO;
    }
    return IDOK;
}

void QtBrowserView::SetItemText(int id, const std::string& text)
{
    if (auto* button = qobject_cast<QPushButton*>(Item(id))) {
        button->setText(FromCp932(text));
    }
}

std::string QtBrowserView::GetItemText(int id) const
{
    if (auto* button = qobject_cast<QPushButton*>(Item(id))) {
        return ToBytes(button->text());
    }
    return std::string();
}

void QtBrowserView::ShowItem(int id, bool show)
{
    if (QWidget* item = Item(id)) {
        item->setVisible(show);
    }
}

bool QtBrowserView::IsItemVisible(int id) const
{
    const QWidget* item = Item(id);
    return item && !item->isHidden();
}

// The window has no check boxes, tabs or scroll bars.
bool QtBrowserView::GetCheck(int) const { return false; }
void QtBrowserView::SetCheck(int, bool) {}
void QtBrowserView::InsertTab(int, int, const std::string&) {}
int QtBrowserView::GetCurSel(int) const { return -1; }
void QtBrowserView::SetCurSel(int, int) {}
void QtBrowserView::SetScrollRange(int, int, int) {}
void QtBrowserView::GetScrollRange(int, int& minimum, int& maximum) const { minimum = maximum = 0; }
int QtBrowserView::GetScrollPos(int) const { return 0; }
void QtBrowserView::SetScrollPos(int, int) {}

ViewRect QtBrowserView::GetWindowRect() const
{
    return dialog ? RectOf(dialog->frameGeometry()) : ViewRect();
}

ViewRect QtBrowserView::GetClientRect() const
{
    ViewRect rect;
    if (dialog) {
        rect.right = dialog->width();
        rect.bottom = dialog->height();
    }
    return rect;
}

ViewRect QtBrowserView::GetDesktopClientRect() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? RectOf(screen->geometry()) : ViewRect();
}

// The rectangle is the whole window, frame included, as GetWindowRect gives it.
void QtBrowserView::MoveWindow(const ViewRect& rect)
{
    if (!dialog) {
        return;
    }
    const QRect frame = dialog->frameGeometry();
    const int frameWidth = frame.width() - dialog->width();
    const int frameHeight = frame.height() - dialog->height();
    dialog->move(rect.left, rect.top);
    dialog->resize(qMax(1, rect.Width() - frameWidth), qMax(1, rect.Height() - frameHeight));
    dialog->update();
}

void QtBrowserView::SetIcon(int iconResource)
{
    if (dialog && iconResource == CBrowser::kIcon) {
        dialog->setWindowIcon(BrowserIcon());
    }
}

// ---------------------------------------------------------------- window

QtBrowserWindow::QtBrowserWindow(CBrowser& b, QWidget* mainWindow) : browser(b)
{
    // Off the record: the page keeps nothing on disk between runs.
    profile = new QWebEngineProfile(this);
    dialog = new QtBrowserDialog(browser, mainWindow);
    page = new DeckPage(profile, dialog->webView);
    dialog->webView->setPage(page);

    view = std::make_unique<QtBrowserView>(dialog);
    control = std::make_unique<QtWebControl>(dialog->webView, page);
    browser.Attach(view.get(), control.get());
    qApp->installEventFilter(this);
}

QtBrowserWindow::~QtBrowserWindow()
{
    qApp->removeEventFilter(this);
    browser.Attach(nullptr, nullptr);
    // The page must go before its profile.
    delete dialog.data();
}

// Every key-down meant for the window or a widget in it (the page included)
// goes through PreTranslateMessage first, which may swallow it.
bool QtBrowserWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && dialog && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == dialog.data()) {
            if (browser.PreTranslateMessage(VirtualKeyOf(*static_cast<QKeyEvent*>(event)))) {
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- factory

std::unique_ptr<QObject> CreateQtBrowserWindow(CBrowser& browser, QWidget* mainWindow)
{
    return std::make_unique<QtBrowserWindow>(browser, mainWindow);
}

void PrepareQtWebEngine()
{
    if (geteuid() == 0 && std::getenv("QTWEBENGINE_DISABLE_SANDBOX") == nullptr) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
