#include "browserhost/BrowserProcess.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QStringList>

const char kTextBrowserMissing[] =
    "ブラウザのプログラム deckeditor-browser が見つからないみたいです。\r\nDAZO Roziは直接入力してくださいね。";
const char kTextBrowserEnded[] = "ブラウザが止まっちゃったみたいです。\r\nもう一度開きますね。";
const char kTextBrowserSilent[] =
    "ブラウザがお返事してくれないみたいです…。\r\n次に編集を選んだときに、もう一度開きますね。";

namespace {

// What a window process's messages may pile up to while a message box waits:
// far more than any burst of real ones, and past it the process is ended
// rather than the editor filling its memory.
constexpr std::size_t kMostWaiting = 1u << 20;

ViewRect RectOf(const std::vector<long long>& n, std::size_t at)
{
    ViewRect rect;
    rect.left = static_cast<int>(n[at]);
    rect.top = static_cast<int>(n[at + 1]);
    rect.right = static_cast<int>(n[at + 2]);
    rect.bottom = static_cast<int>(n[at + 3]);
    return rect;
}

}  // namespace

BrowserProcess::BrowserProcess(CBrowser& b, std::string programPath) : browser(b), program(std::move(programPath))
{
    browser.Attach(this, this, true);
    readyTimer.setSingleShot(true);
    connect(&readyTimer, &QTimer::timeout, this, &BrowserProcess::OnReadyTimeout);
}

BrowserProcess::~BrowserProcess()
{
    browser.Attach(nullptr, nullptr);
    if (process) {
        QObject::disconnect(process.get(), nullptr, this, nullptr);
        // The end of its input tells the window to close; the engine then
        // shuts down in order.
        process->closeWriteChannel();
        if (!process->waitForFinished(3000)) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
}

void BrowserProcess::Start(unsigned long long owner)
{
    ownerWindow = owner;
    if (state == State::NotStarted) {
        Launch();
    }
}

qint64 BrowserProcess::ProcessId() const { return process ? process->processId() : 0; }

void BrowserProcess::Launch()
{
    if (process) {
        QObject::disconnect(process.get(), nullptr, this, nullptr);
        process.release()->deleteLater();
    }
    reader = MessageReader();
    const QString path = QString::fromLocal8Bit(program.c_str());
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable()) {
        state = State::Missing;
        return;
    }
    process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process.get(), &QProcess::readyReadStandardOutput, this, &BrowserProcess::OnOutput);
    connect(process.get(), &QProcess::finished, this, [this](int, QProcess::ExitStatus) { OnEnded(); });
    connect(process.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            state = State::Missing;
        }
    });
    state = State::Starting;
    // The page's files come from our working folder; percent-encoded, its
    // name reaches the browser byte for byte whatever it is.
    const QByteArray folder = QByteArray::fromStdString(browser.Paths().WorkingFolder()).toPercentEncoding();
    process->start(path, QStringList{QStringLiteral("--folder"), QString::fromLatin1(folder)});
    // A window that never says it is ready would leave 編集 doing nothing.
    readyTimer.start(kReadyTimeoutMs);
}

void BrowserProcess::OnReadyTimeout()
{
    if (state != State::Starting) {
        return;
    }
    QObject::disconnect(process.get(), nullptr, this, nullptr);
    process->kill();
    process->waitForFinished(1000);
    state = State::Silent;
    queued.clear();
    if (visible && showMessage) {
        showMessage(kTextBrowserSilent);
    }
    visible = false;
}

void BrowserProcess::Send(const char* name, const std::string& text)
{
    std::string bytes;
    AppendMessage(bytes, name, text);
    if (state == State::Running) {
        process->write(bytes.data(), static_cast<qint64>(bytes.size()));
    } else {
        queued += bytes;
    }
}

void BrowserProcess::OnOutput()
{
    const QByteArray bytes = process->readAllStandardOutput();
    reader.Feed(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    // A handler may wait in a message box, where more output arrives; it is
    // handled in order once that handler is done, up to a bound.
    if (handling) {
        if (reader.Waiting() > kMostWaiting) {
            QObject::disconnect(process.get(), nullptr, this, nullptr);
            process->kill();
            reader = MessageReader();
            OnEnded();
        }
        return;
    }
    handling = true;
    BrowserMessage message;
    while (reader.Next(message)) {
        Handle(message);
    }
    handling = false;
    if (reader.Broken() && process) {
        process->kill();
    }
}

void BrowserProcess::OnEnded()
{
    if (state == State::Starting || state == State::Running) {
        state = State::Ended;
        queued.clear();
        visible = false;
    }
}

void BrowserProcess::Handle(const BrowserMessage& message)
{
    namespace m = browsermessage;
    std::vector<long long> n;
    const bool numbers = ParseNumbers(message.text, n);
    if (message.name == m::kReady && numbers && n.size() == 8 && state == State::Starting) {
        readyTimer.stop();
        windowRect = RectOf(n, 0);
        desktopRect = RectOf(n, 4);
        state = State::Running;
        Send(m::kOwner, std::to_string(ownerWindow));
        std::vector<long long> keys;
        for (int key = 1; key < 256; ++key) {
            if (browser.PreTranslateMessage(key)) {
                keys.push_back(key);
            }
        }
        Send(m::kKeys, NumbersText(keys));
        // The dialog's own start-up first (the page, the placement), then
        // what was asked of the window before it existed.
        browser.OnWindowCreated();
        process->write(queued.data(), static_cast<qint64>(queued.size()));
        queued.clear();
    } else if (message.name == m::kRect && numbers && n.size() == 4) {
        windowRect = RectOf(n, 0);
    } else if (message.name == m::kSize && numbers && n.size() == 2) {
        clientRect = ViewRect{0, 0, static_cast<int>(n[0]), static_cast<int>(n[1])};
        browser.OnSize(clientRect.right, clientRect.bottom);
    } else if (message.name == m::kStatus) {
        if (statusTextChange) {
            statusTextChange(message.text);
        }
    } else if (message.name == m::kOk) {
        browser.OnBrowserOk();
    } else if (message.name == m::kCancel) {
        browser.OnBrowserCancel();
    }
}

// ------------------------------------------------------------------- View

void BrowserProcess::SetWindowText(const std::string& text)
{
    caption = text;
    Send(browsermessage::kCaption, text);
}

void BrowserProcess::ShowWindow(bool show)
{
    // The window is asked for: a process not started yet (the main window has
    // not painted) starts now, one that has ended is started again, and one
    // that cannot be started is reported.
    if (show && (state == State::NotStarted || state == State::Silent)) {
        Launch();
    }
    if (show && (state == State::Ended || state == State::Missing)) {
        if (state == State::Ended && showMessage) {
            showMessage(kTextBrowserEnded);
        }
        Launch();
        if (state == State::Missing) {
            queued.clear();
            if (showMessage) {
                showMessage(kTextBrowserMissing);
            }
            return;
        }
    }
    visible = show;
    Send(show ? browsermessage::kShow : browsermessage::kHide);
}

void BrowserProcess::EndDialog(int result)
{
    visible = false;
    Send(browsermessage::kEnd, std::to_string(result));
}

int BrowserProcess::MessageBox(const std::string& text, const std::string&, unsigned type)
{
    if (showMessage) {
        showMessage(text);
    }
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

void BrowserProcess::MoveWindow(const ViewRect& rect)
{
    windowRect = rect;
    Send(browsermessage::kMove, NumbersText({rect.left, rect.top, rect.right, rect.bottom}));
}

void BrowserProcess::SetIcon(int iconResource) { Send(browsermessage::kIcon, std::to_string(iconResource)); }

// ------------------------------------------------------------ BrowserControl

void BrowserProcess::Navigate(const std::string& url) { Send(browsermessage::kNavigate, url); }

void BrowserProcess::SetWidth(long pixels) { Send(browsermessage::kWidth, std::to_string(pixels)); }

void BrowserProcess::SetHeight(long pixels) { Send(browsermessage::kHeight, std::to_string(pixels)); }
