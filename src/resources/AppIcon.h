#pragma once
#include <QIcon>
#include <QPixmap>

// The application icon: a fan of three cards.
QIcon AppIcon();
// The application icon drawn at one size, for the installed icon theme files.
QPixmap AppIconPixmap(int size);
// The browser window's icon: the same cards with a page on top.
QIcon BrowserIcon();
