// The main window on real Qt widgets (offscreen), for what the end-to-end
// suite (tests/e2e) does not reach: names cut inside a character, Enter as O K.
#include "app/CDeckEditorDlg.h"
#include "app/QtDialogView.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString U(const std::string& utf8) { return QString::fromUtf8(utf8.c_str()); }

class QtMainWindowTest : public ::testing::Test, protected GameFolder {
protected:
    void Start()
    {
        WriteSaveFile();
        view = std::make_unique<QtDialogView>();
        dlg = std::make_unique<CDeckEditorDlg>(*view);
        view->Connect(dlg.get());
        ASSERT_TRUE(dlg->OnInitDialog());
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }

    template <class W> W* Get(int id) const { return qobject_cast<W*>(view->Control(id)); }
    QLineEdit* RowEdit(int r) const { return Get<QLineEdit>(IDC_NAME_ROW + r); }

    std::unique_ptr<QtDialogView> view;
    std::unique_ptr<CDeckEditorDlg> dlg;  // declared last, so gone first: it holds the view
};

}  // namespace

TEST_F(QtMainWindowTest, CutNamesSurviveRewritingTheRows)
{
    // 38 bytes in the file: loading keeps 37, splitting "ッ".
    saveFile.names[4] = std::string(34, 'n') + Sjis(u8"デッ");
    Start();
    const std::string loaded = saveFile.names[4].substr(0, 37);
    ASSERT_EQ(dlg->saveData.Deck(4).Name(), loaded);
    QLineEdit* row = RowEdit(4);
    EXPECT_TRUE(row->text().endsWith(U(u8"デ") + QChar(0xFFFD)));
    for (int i = 0; i < 2; ++i) {
        dlg->RefreshRows();
        QTest::mouseClick(Get<QPushButton>(IDC_SAVE), Qt::LeftButton);
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
    dlg->RefreshRows();
    EXPECT_EQ(row->text(), QString::fromLatin1(stored.c_str()));
    QTest::mouseClick(Get<QPushButton>(IDC_SAVE), Qt::LeftButton);
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
