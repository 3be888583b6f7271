// deckeditor: the deck editor's main window. Run it in the game's DeckEditor
// folder (list.xml, deckmaker.htm; the save file is ../File/Save.dat).
#include "app/CDeckEditorApp.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

// The browser window's program: beside this one (a build folder, a portable
// copy), else where the installation put it.
std::string BrowserProgram()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/deckeditor-browser");
#ifdef DECKEDITOR_LIBEXECDIR
    if (!QFileInfo(beside).isExecutable()) {
        return DECKEDITOR_LIBEXECDIR "/deckeditor-browser";
    }
#endif
    return beside.toLocal8Bit().toStdString();
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    if (!CDeckEditorApp::ParseOptions(argc, argv, theApp.options, error)) {
        std::fputs(error.c_str(), stderr);
        return 2;
    }
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    theApp.browserProgram = BrowserProgram();
    theApp.InitInstance();
    return theApp.exitCode;
}
