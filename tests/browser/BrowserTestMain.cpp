// The browser tests need a QApplication (the web engine runs in it); the
// logic tests do not mind it.
#include "browserwindow/QtBrowserWindow.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Also when gtest lists the tests at build time, outside ctest.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    PrepareQtWebEngine();
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
