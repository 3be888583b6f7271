// The Qt tests' main (the browser's and the main window's): a Qt application
// for the web engine's window, the window process's event loop and widgets.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    // Also when gtest lists the tests at build time, outside ctest.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (geteuid() == 0) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
