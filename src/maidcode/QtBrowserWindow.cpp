// Placeholder until the browser dialog is built.
#include "maidcode/QtBrowserWindow.h"

std::unique_ptr<QObject> CreateQtBrowserWindow(CBrowser&, QWidget*) { return nullptr; }
