#pragma once
// Builds the browser dialog's window (template 132) with its Qt WebEngine
// control and attaches both to the CBrowser. The returned object owns the
// window; keep it alive as long as the browser dialog is used.
#include <QObject>
#include <memory>

class QWidget;
class CBrowser;

std::unique_ptr<QObject> CreateQtBrowserWindow(CBrowser& browser, QWidget* mainWindow);
