#pragma once
#include <QIcon>

// The application icon (resource 128): a fan of three cards.
QIcon AppIcon();
// The browser dialog's icon (resource 134): the same cards with a page on top.
QIcon BrowserIcon();
