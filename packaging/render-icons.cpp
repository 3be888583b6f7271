// render-icons: writes the application icon, drawn in code, as the PNG files
// of a freedesktop icon theme: <dir>/hicolor/<n>x<n>/apps/<name>.png.
#include "resources/AppIcon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: render-icons DIR NAME\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(dir).arg(size);
        if (!QDir().mkpath(folder) || !AppIconPixmap(size).save(folder + "/" + name + ".png", "PNG")) {
            std::fprintf(stderr, "render-icons: cannot write into %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
