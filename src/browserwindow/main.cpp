// deckeditor-browser: the deck editor's browser window, started by deckeditor
// after its main window is on screen. It reads the editor's requests from
// standard input and writes its answers to standard output (see
// browser/BrowserMessages.h); it ends when its input ends. The editor names
// its working folder with --folder and the page file with --page, both
// percent-encoded so that any file-system name arrives byte for byte, and its
// main window's native id with --owner. Without --folder the page's files
// come from the folder this program was started in.
#include "browserwindow/BrowserWindow.h"
#include "qttext/QtJapanese.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

int messagesOut = -1;

void WriteAll(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(messagesOut, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // The editor has gone.
            QCoreApplication::exit(0);
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // The messages keep standard output to themselves: whatever else writes
    // there (the engine's logging) goes to standard error instead.
    messagesOut = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (messagesOut < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // Chromium's sandbox refuses to run as root; the page is the player's own file.
    if (::geteuid() == 0) {
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    // Qt WebEngine shares OpenGL contexts with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    RegisterDeckScheme();
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
#ifdef DECKEDITOR_APP_ID
    // One application on the desktop with the editor: its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(DECKEDITOR_APP_ID));
#endif
    LoadQtJapanese();

    const QStringList arguments = QCoreApplication::arguments();
    const auto argument = [&arguments](const char* name) {
        const qsizetype at = arguments.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < arguments.size() ? QByteArray::fromPercentEncoding(arguments[at + 1].toLatin1())
                                                   : QByteArray();
    };
    const std::string folder = argument("--folder").isEmpty() ? "." : argument("--folder").toStdString();
    BrowserWindow window(
        [](const char* name, const std::string& text) {
            std::string bytes;
            AppendMessage(bytes, name, text);
            WriteAll(bytes);
        },
        folder, argument("--owner").toULongLong());
    if (!argument("--page").isEmpty()) {
        window.Load(argument("--page").toStdString());
    }
    MessageReader reader;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&] {
        char buffer[65536];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            return;
        }
        if (n <= 0) {
            // The editor has ended (or closed our input): so do we, at once.
            input.setEnabled(false);
            window.Dialog()->hide();
            QCoreApplication::exit(0);
            return;
        }
        reader.Feed(buffer, static_cast<std::size_t>(n));
        BrowserMessage message;
        while (reader.Next(message)) {
            window.Handle(message);
        }
        if (reader.Broken()) {
            input.setEnabled(false);
            QCoreApplication::exit(1);
        }
    });
    window.Ready();
    return application.exec();
}
