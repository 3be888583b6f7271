#pragma once
#include <QIcon>

// The application icon (IDR_MAINFRAME): a fan of three cards.
QIcon AppIcon();
// The browser dialog's icon (CBrowser::kIcon): the same cards with a page on top.
QIcon BrowserIcon();
