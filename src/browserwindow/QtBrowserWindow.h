#pragma once
// Builds the browser dialog's window with its Qt WebEngine
// control and attaches both to the CBrowser. The returned object owns the
// window; keep it alive as long as the browser dialog is used, and destroy it
// before the CBrowser (it detaches the window from it).
#include <QObject>
#include <memory>

class QWidget;
class CBrowser;

std::unique_ptr<QObject> CreateQtBrowserWindow(CBrowser& browser, QWidget* mainWindow);

// To be called before the QApplication is made: the web engine refuses to
// start as root unless its sandbox is off, and wants shared GL contexts.
void PrepareQtWebEngine();
