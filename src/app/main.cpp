// deckeditor: the deck editor's main window. Run it in the game's DeckEditor
// folder (list.xml, deckmaker.htm; the save file is ../File/Save.dat).
#include "app/CDeckEditorApp.h"

#include <QApplication>

#include <cstdio>

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
    QApplication application(argc, argv);
    // Desktops match the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(DECKEDITOR_APP_ID));
    application.setQuitOnLastWindowClosed(false);
    theApp.InitInstance();
    return theApp.exitCode;
}
