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
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    theApp.InitInstance();
    return theApp.exitCode;
}
