// deckeditor: the deck editor's main window. Run it in the game's DeckEditor
// folder (list.xml, deckmaker.htm; the save file is ../File/Save.dat).
#include "app/CDeckEditorApp.h"
#include "browserwindow/QtBrowserWindow.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::string error;
    if (!CDeckEditorApp::ParseOptions(argc, argv, theApp.options, error)) {
        std::fputs(error.c_str(), stderr);
        return 2;
    }
    if (!theApp.options.output.empty()) {
        std::fputs(theApp.options.output.c_str(), stdout);
        return 0;
    }
    // Chromium's sandbox refuses to run as root; the page is our own file.
    if (geteuid() == 0) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    // Qt WebEngine shares OpenGL contexts with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    // Desktops match the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(DECKEDITOR_APP_ID));
    application.setQuitOnLastWindowClosed(false);
    theApp.createBrowserWindow = CreateQtBrowserWindow;
    theApp.InitInstance();
    return theApp.exitCode;
}
