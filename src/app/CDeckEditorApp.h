#pragma once
// The application object: runs the main window modally and ends with it.
#include "gamepaths/GamePaths.h"

#include <string>

class CDeckEditorApp {
public:
    struct Options {
        std::string screenshotPath;  // --screenshot FILE.png, from the folder started in
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

    // The program of the browser dialog's window, started once the main window
    // is on screen; empty: deckeditor-browser beside this program, else the
    // installed one.
    std::string browserProgram;

    Options options;
    int exitCode = 0;

private:
    // Builds the paths from the folder of -C or --choose-folder, or the folder
    // the program was started in; false to end at once.
    bool FindWorkingFolder();
    GamePaths paths;
};

extern CDeckEditorApp theApp;
