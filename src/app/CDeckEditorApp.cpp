#include "app/CDeckEditorApp.h"

#include "app/CDeckEditorDlg.h"
#include "app/QtDialogView.h"
#include "browserhost/BrowserProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

CDeckEditorApp theApp;

namespace {

// Milliseconds since this process was started, from the kernel's record of it
// (clock-tick resolution, usually 10 ms).
double MillisecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    // Fields after the command name start at field 3; starttime is field 22.
    for (int i = 3; i < 22 && fields >> field; ++i) {
    }
    unsigned long long startTicks = 0;
    if (!(fields >> startTicks)) {
        return -1;
    }
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startTicks / ticks) * 1000.0;
}

// The browser window's program: beside this one (a build folder, a portable
// copy), else where the installation put it.
std::string DefaultBrowserProgram()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/deckeditor-browser");
#ifdef DECKEDITOR_LIBEXECDIR
    if (!QFileInfo(beside).isExecutable()) {
        return DECKEDITOR_LIBEXECDIR "/deckeditor-browser";
    }
#endif
    return beside.toLocal8Bit().toStdString();
}

// Runs something once the window has painted itself for the first time, when
// the player can see it.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& window, std::function<void()> action) : then(std::move(action))
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && then) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, std::move(then));
            then = nullptr;
        }
        return false;
    }

private:
    std::function<void()> then;
};

}  // namespace

bool CDeckEditorApp::ParseOptions(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--screenshot" && i + 1 < argc) {
            options.screenshotPath = argv[++i];
        } else if (arg == "--measure-startup") {
            options.measureStartup = true;
        } else {
            error = "usage: deckeditor [--screenshot FILE.png] [--measure-startup]\n"
                    "  Runs in the current folder (the game's DeckEditor folder).\n";
            return false;
        }
    }
    return true;
}

bool CDeckEditorApp::InitInstance()
{
    // Common controls and control containers need no set-up with Qt.
    QElapsedTimer sinceInit;
    sinceInit.start();

    QtDialogView view;
    const qint64 viewBuilt = sinceInit.elapsed();
    CDeckEditorDlg dlg(view);
    const qint64 filesRead = sinceInit.elapsed();
    view.Connect(&dlg);
    // The browser dialog's window is a process of its own, started once the
    // main window is on screen, so the web engine never delays it.
    BrowserProcess browserWindow(dlg.browser, browserProgram.empty() ? DefaultBrowserProgram() : browserProgram);
    browserWindow.showMessage = [&view](const std::string& text) { ShowMessage(text, view); };
    AfterFirstPaint startBrowser(view, [&] {
        if (options.screenshotPath.empty() && !options.measureStartup) {
            browserWindow.Start(static_cast<unsigned long long>(view.winId()));
        }
    });

    bool shown = false;
    if (!options.screenshotPath.empty() || options.measureStartup) {
        view.autoCloseMessages = true;
        view.onShownIdle = [this, &view, &dlg, &sinceInit, &shown, viewBuilt, filesRead] {
            shown = true;
            if (options.measureStartup) {
                const double sinceStart = MillisecondsSinceProcessStart();
                rusage usage {};
                getrusage(RUSAGE_SELF, &usage);
                std::printf("window shown and idle: %.0f ms after process start (%lld ms after the application object started)\n"
                            "peak resident memory: %.1f MiB\n",
                            sinceStart, static_cast<long long>(sinceInit.elapsed()), usage.ru_maxrss / 1024.0);
                std::printf("  widgets built %lld ms, save file and card list read %lld ms, start-up and showing %lld ms\n",
                            static_cast<long long>(viewBuilt), static_cast<long long>(filesRead - viewBuilt),
                            static_cast<long long>(sinceInit.elapsed() - filesRead));
            }
            if (!options.screenshotPath.empty()) {
                const QPixmap shot = view.grab();
                if (!shot.save(QString::fromLocal8Bit(options.screenshotPath.c_str()), "PNG")) {
                    std::fprintf(stderr, "deckeditor: cannot write %s\n", options.screenshotPath.c_str());
                    exitCode = 1;
                }
            }
            std::fflush(stdout);
            dlg.EndDialogRequested(IDCANCEL);
        };
    }

    view.DoModal();
    if ((!options.screenshotPath.empty() || options.measureStartup) && !shown) {
        std::fprintf(stderr, "deckeditor: the window did not open (is ../File/Save.dat there?)\n");
        exitCode = 1;
    }
    // The program is the main window: nothing runs after it.
    return false;
}
