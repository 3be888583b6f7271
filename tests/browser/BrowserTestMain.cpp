// The browser tests need a Qt application: the web engine's window runs in
// it, and the editor's end of the window's process needs its event loop.
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
