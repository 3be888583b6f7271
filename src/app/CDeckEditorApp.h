#pragma once
// The application object: runs the main window modally and ends with it.
#include <functional>
#include <memory>
#include <string>

class CBrowser;
class QObject;
class QWidget;

class CDeckEditorApp {
public:
    struct Options {
        std::string screenshotPath;  // --screenshot FILE.png, made absolute
        bool measureStartup = false; // --measure-startup
        std::string folder;          // -C DIR
        bool chooseFolder = false;   // --choose-folder
        std::string output;          // --help, --version: printed instead of starting
    };

    // Reads the command line; false (with a usage text) when it is not understood.
    static bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

    // Runs the main window; returns false when the program is to end (always:
    // the window is the whole program). Needs a QApplication.
    bool InitInstance();

    // Builds the browser dialog's window for the CBrowser, owned by the main
    // window; the returned object is kept until the main window ends. Left
    // empty, the Edit tab has no window to show.
    std::function<std::unique_ptr<QObject>(CBrowser&, QWidget*)> createBrowserWindow;

    Options options;
    int exitCode = 0;

private:
    // Changes into the folder of -C or --choose-folder; false to end at once.
    bool EnterWorkingFolder();
};

extern CDeckEditorApp theApp;
