#include "app/CDeckEditorApp.h"

#include "app/GameFolder.h"
#include "app/MainWindow.h"
#include "appinfo/Version.h"
#include "browserhost/BrowserProcess.h"
#include "qttext/Cp932Text.h"
#include "qttext/QtJapanese.h"
#include "window/DeckEditorWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QSettings>
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

const char kHelp[] =
    "Usage: deckeditor [OPTION]...\n"
    "Edit the decks in the card game's save file.\n"
    "\n"
    "The editor works in the game's DeckEditor folder: it opens ../File/Save.dat\n"
    "from there and takes a backup into ../File/BackUp/ at every start. It reads\n"
    "list.xml and deckmaker.htm from that folder (the installed page when it lacks\n"
    "one), keeps the export templates format1.ini ... format3.ini there and\n"
    "writes deck lists into the folder above it. Without -C or --choose-folder it\n"
    "works in the current folder.\n"
    "\n"
    "  -C DIR               work in DIR\n"
    "      --choose-folder  ask for the game's DeckEditor folder with a folder\n"
    "                         dialog and remember it; ask again only when it no\n"
    "                         longer holds ../File/Save.dat\n"
    "      --screenshot FILE  save a PNG picture of the window to FILE, then end\n"
    "      --measure-startup  print the time until the window is shown and idle\n"
    "                         and the peak memory, then end\n"
    "      --help           display this help and exit\n"
    "      --version        output version information and exit\n";
const char kChooseFolderCaption[] = "ゲームの DeckEditor フォルダを選んでください";
const char kTextNoSaveFileThere[] =
    "そのフォルダの隣には File/Save.dat が見つからないようです…。\nゲームの DeckEditor フォルダを選んでください。";

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
#ifdef DECKEDITOR_LIBEXECDIR_FROM_BINDIR
    // Found from this program's own place, so that a moved or staged
    // installation finds its own browser, never another installation's.
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                              QStringLiteral("/" DECKEDITOR_LIBEXECDIR_FROM_BINDIR "/deckeditor-browser"));
    if (!QFileInfo(beside).isExecutable() && QFileInfo(installed).isExecutable()) {
        return QFile::encodeName(installed).toStdString();
    }
#endif
    return QFile::encodeName(beside).toStdString();
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
    auto usage = [&error](const std::string& problem) {
        error = "deckeditor: " + problem + "\nTry 'deckeditor --help' for more information.\n";
        return false;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            options.output = kHelp;
            return true;
        } else if (arg == "--version") {
            options.output = std::string("deckeditor (Zev DeckEditor) ") + kVersionText + "\n";
            return true;
        } else if (arg == "--screenshot" && hasValue) {
            // Named from where the program was started, not from the game
            // folder: the program never leaves the folder it started in.
            options.screenshotPath = argv[++i];
        } else if (arg == "--measure-startup") {
            options.measureStartup = true;
        } else if (arg == "-C" && hasValue) {
            options.folder = argv[++i];
        } else if (arg == "--choose-folder") {
            options.chooseFolder = true;
        } else if (arg == "--screenshot" || arg == "-C") {
            return usage("option '" + arg + "' requires an argument");
        } else {
            return usage("unrecognized option '" + arg + "'");
        }
    }
    if (options.chooseFolder && !options.folder.empty()) {
        return usage("-C and --choose-folder cannot be used together");
    }
    return true;
}

bool CDeckEditorApp::FindWorkingFolder()
{
    std::string folder = options.folder;
    if (options.chooseFolder) {
        QSettings settings(QStringLiteral("deckeditor"), QStringLiteral("deckeditor"));
        const QString key = QStringLiteral("gameFolder");
        const std::string remembered = QFile::encodeName(settings.value(key).toString()).toStdString();
        folder = ChooseGameFolder(
            remembered,
            [](const std::string& start) {
                const QString chosen = QFileDialog::getExistingDirectory(
                    nullptr, FromCp932(kChooseFolderCaption), QFile::decodeName(start.c_str()));
                return QFile::encodeName(chosen).toStdString();
            },
            [] {
                QMessageBox box(QMessageBox::NoIcon, FromCp932(kMessageCaption), FromCp932(kTextNoSaveFileThere),
                                QMessageBox::Ok);
                box.exec();
            });
        if (folder.empty()) {
            exitCode = 1;
            return false;
        }
        if (folder != remembered) {
            settings.setValue(key, QFile::decodeName(folder.c_str()));
        }
    }
    paths = GamePaths(folder);
    if (!folder.empty() && !paths.WorkingFolderIsThere()) {
        std::fprintf(stderr, "deckeditor: cannot enter folder '%s'\n", folder.c_str());
        exitCode = 2;
        return false;
    }
    return true;
}

bool CDeckEditorApp::InitInstance()
{
    LoadQtJapanese();
    if (!FindWorkingFolder()) {
        return false;
    }
    QElapsedTimer sinceInit;
    sinceInit.start();

    MainWindow view;
    const qint64 viewBuilt = sinceInit.elapsed();
    DeckEditorWindow dlg(view, paths);
    const qint64 filesRead = sinceInit.elapsed();
    // While SAVE waits for another program's turn, the window keeps painting;
    // input and the browser's messages wait, so that no command runs in the
    // middle of the write.
    dlg.session.WhileWaitingForTurn([] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    });
    view.Connect(&dlg);
    // The browser window is a program of its own, started once the main
    // window is on screen, so the web engine never delays it. 編集 asks it
    // for a deck's page, opened beside the main window; its answers go back
    // to the window's logic. Neither knows the other: they meet only here.
    BrowserProcess browserWindow(paths, browserProgram.empty() ? DefaultBrowserProgram() : browserProgram);
    browserWindow.showMessage = [&view](const std::string& text) { view.Tell(text); };
    browserWindow.ownerWindowRect = [&view] {
        const QRect frame = view.frameGeometry();
        return BrowserRect{frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
    };
    dlg.openPage = [&browserWindow](const PageRequest& page) {
        OpenRequest request;
        request.slot = page.number;
        request.name = page.name;
        request.code = page.code;
        request.collection = page.collection;
        browserWindow.Open(request);
    };
    browserWindow.onCode = [&dlg](const std::string& code) { dlg.OnBrowserCode(code); };
    browserWindow.onCancelled = [&dlg] { dlg.OnBrowserCancelled(); };
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
            dlg.Close();
        };
    }

    view.Run();
    if ((!options.screenshotPath.empty() || options.measureStartup) && !shown) {
        std::fprintf(stderr, "deckeditor: the window did not open (is ../File/Save.dat there?)\n");
        exitCode = 1;
    }
    // The program is the main window: nothing runs after it.
    return false;
}
