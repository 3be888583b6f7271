// The main window on real Qt widgets (offscreen), for what the end-to-end
// suite (tests/e2e) does not reach: names cut inside a character, Enter as O K,
// the texts of the rows' menu.
#include "app/DeckGrid.h"
#include "app/MainWindow.h"
#include "window/DeckEditorWindow.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString U(const std::string& utf8) { return QString::fromUtf8(utf8.c_str()); }
// A menu entry's caption without the keys beside it; empty when greyed out.
QString Entry(const QAction* action) { return action->isEnabled() ? action->text().section('\t', 0, 0) : QString(); }

class QtMainWindowTest : public ::testing::Test, protected GameFolder {
protected:
    void Start()
    {
        WriteSaveFile();
        view = std::make_unique<MainWindow>();
        dlg = std::make_unique<DeckEditorWindow>(*view, ws.Paths());
        view->Connect(dlg.get());
        ASSERT_TRUE(dlg->Start());
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }

    QLineEdit* RowEdit(int r) const { return view->grid->Row(r); }

    std::unique_ptr<MainWindow> view;
    std::unique_ptr<DeckEditorWindow> dlg;  // declared last, so gone first: it holds the view
};

}  // namespace

TEST_F(QtMainWindowTest, CutNamesSurviveRewritingTheRows)
{
    // 38 bytes in the file: loading keeps the 36 before "ッ", which 37 would split.
    saveFile.names[4] = std::string(34, 'n') + Sjis(u8"デッ");
    Start();
    const std::string loaded = saveFile.names[4].substr(0, 36);
    ASSERT_EQ(dlg->saveData.Deck(4).Name(), loaded);
    QLineEdit* row = RowEdit(4);
    EXPECT_TRUE(row->text().endsWith(U(u8"n") + U(u8"デ")));
    for (int i = 0; i < 2; ++i) {
        dlg->ScrollBy(0);
        QTest::mouseClick(view->save, Qt::LeftButton);
    }
    EXPECT_EQ(dlg->saveData.Deck(4).Name(), loaded);
    EXPECT_NE(ws.Get(ws.SavePath()).find("\n" + loaded + "\r\n"), std::string::npos);

    // Two characters typed in front: 37 bytes would split "デ", so the name
    // ends before it and the row shows what was kept.
    row->setFocus();
    row->setCursorPosition(0);
    QTest::keyClicks(row, QStringLiteral("zz"));
    const std::string stored = "zz" + std::string(34, 'n');
    EXPECT_EQ(dlg->saveData.Deck(4).Name(), stored);
    dlg->ScrollBy(0);
    EXPECT_EQ(row->text(), QString::fromLatin1(stored.c_str()));
    QTest::mouseClick(view->save, Qt::LeftButton);
    EXPECT_NE(ws.Get(ws.SavePath()).find("\n" + stored + "\r\n"), std::string::npos);
}

TEST_F(QtMainWindowTest, EnterInARowIsOk)
{
    // Export on the first tab. (While SAVE has the focus, it is the default
    // button, as on the platform.)
    Start();
    RowEdit(0)->setFocus();
    QTest::keyClick(RowEdit(0), Qt::Key_Return);
    EXPECT_TRUE(ws.Exists("../deck_1_format1.txt"));
}

// The row's own undo and redo until its typing is a step of the deck history;
// then the entries name that step.
TEST_F(QtMainWindowTest, RowMenuTakesBackTypingThenNamesTheDeckStep)
{
    Start();
    // The captions of the menu's undo and redo, then the entry `take` taken (0, 1; -1 none).
    const auto menu = [this](int take) {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1), RowEdit(1)->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(RowEdit(1), &event);
        auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!shown) {
            return QStringList();
        }
        const QList<QAction*> entries = shown->actions();
        const QStringList captions{Entry(entries[0]), Entry(entries[1])};
        if (take >= 0) {
            entries[take]->trigger();
        }
        shown->close();
        return captions;
    };
    QLineEdit* row = RowEdit(1);
    row->setFocus();
    QTest::keyClicks(row, QStringLiteral("x"));
    EXPECT_EQ(menu(0), (QStringList{QStringLiteral("&Undo"), QString()}));
    EXPECT_EQ(row->text(), QStringLiteral("Deck 2"));
    QTest::keyClicks(row, QStringLiteral("y"));
    RowEdit(2)->setFocus();
    EXPECT_EQ(menu(0), (QStringList{U(u8"元に戻す: 名前変更 (デッキ 2)"), QString()}));
    EXPECT_EQ(row->text(), QStringLiteral("Deck 2"));
    EXPECT_EQ(menu(-1), (QStringList{QString(), U(u8"やり直す: 名前変更 (デッキ 2)")}));
}
