// The anchor of bench/window-ready.sh: a plain Qt Widgets dialog of the main
// window's shape and caption, with nothing behind it. The editor's start-up is
// judged against the time this takes to appear on the same display.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Zev DeckEditor 1.08.0"));
    dialog.setFixedSize(335, 304);
    auto* tabs = new QTabBar(&dialog);
    for (const char* caption : {u8"書出", u8"消去", u8"作成", u8"編集", u8"複製", u8"入替"}) {
        tabs->addTab(QString::fromUtf8(caption));
    }
    tabs->setGeometry(0, 0, 237, 26);
    for (int r = 0; r < 10; ++r) {
        (new QLineEdit(&dialog))->setGeometry(5, 40 + 24 * r, 144, 20);
    }
    (new QPushButton(QStringLiteral("O K"), &dialog))->setGeometry(241, 0, 45, 21);
    dialog.show();
    return application.exec();
}
