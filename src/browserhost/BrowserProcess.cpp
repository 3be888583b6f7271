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

// What the program's messages may pile up to while a message box waits: far
// more than any burst of real ones, and past it the process is ended rather
// than the editor filling its memory.
constexpr std::size_t kMostWaiting = 1u << 20;

}  // namespace

BrowserProcess::BrowserProcess(const GamePaths& paths, std::string programPath)
    : client(paths), program(std::move(programPath))
{
    readyTimer.setSingleShot(true);
    connect(&readyTimer, &QTimer::timeout, this, &BrowserProcess::OnReadyTimeout);
}

BrowserProcess::~BrowserProcess()
{
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
    // The page's files come from our working folder; percent-encoded, the
    // names reach the browser byte for byte whatever they are. The page
    // loads at once, so it is ready by the first 編集.
    const auto encoded = [](const std::string& bytes) {
        return QString::fromLatin1(QByteArray::fromStdString(bytes).toPercentEncoding());
    };
    process->start(path, QStringList{QStringLiteral("--folder"), encoded(client.Paths().WorkingFolder()),
                                     QStringLiteral("--page"), encoded(client.PagePath()), QStringLiteral("--owner"),
                                     QString::number(ownerWindow)});
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
    // Said only when 編集 was waiting for it.
    const bool asked = !queued.empty();
    queued.clear();
    if (asked && showMessage) {
        showMessage(kTextBrowserSilent);
    }
}

void BrowserProcess::Open(const OpenRequest& request)
{
    // The page is asked for: a process not started yet (the main window has
    // not painted) starts now, one that has ended is started again, and one
    // that cannot be started is reported.
    if (state == State::NotStarted || state == State::Silent) {
        Launch();
    }
    if (state == State::Ended || state == State::Missing) {
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
    OpenRequest placed = request;
    if (ownerWindowRect) {
        placed.owner = ownerWindowRect();
    }
    Send(browsermessage::kOpen, client.Open(placed));
}

void BrowserProcess::Send(const char* name, const std::string& text)
{
    std::string bytes;
    AppendMessage(bytes, name, text);
    if (state == State::Running) {
        process->write(bytes.data(), static_cast<qint64>(bytes.size()));
    } else if (state == State::Starting) {
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
        if (message.name == browsermessage::kReady) {
            if (state == State::Starting) {
                readyTimer.stop();
                state = State::Running;
                process->write(queued.data(), static_cast<qint64>(queued.size()));
                queued.clear();
            }
        } else {
            Answer(client.Receive(message));
        }
    }
    handling = false;
    if (reader.Broken() && process) {
        process->kill();
    }
}

void BrowserProcess::Answer(const BrowserAnswer& answer)
{
    if (answer.kind == BrowserAnswer::Kind::None) {
        return;
    }
    if (answer.kind == BrowserAnswer::Kind::Code && onCode) {
        onCode(answer.code);
    } else if (answer.kind == BrowserAnswer::Kind::Cancelled && onCancelled) {
        onCancelled();
    }
    Send(browsermessage::kClose, std::string());
}

void BrowserProcess::OnEnded()
{
    if (state == State::Starting || state == State::Running) {
        state = State::Ended;
        queued.clear();
    }
}

