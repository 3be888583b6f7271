// The main window on real Qt widgets (offscreen): user actions on the widgets
// reach the handlers, and the widgets then show the right texts.
#include "app/CDeckEditorDlg.h"
#include "app/QtDialogView.h"
#include "deckcode/DazoRozi.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "test_app_qt";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt WebEngine's clean-up at exit expects a running
    // application and would crash after the test's own end.
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        return new QApplication(argc, argv);
    }();
    return *app;
}

QString U(const std::string& utf8) { return QString::fromUtf8(utf8.c_str()); }

// Key presses carrying the characters, as an input method delivers them
// (QTest::keyClicks takes ASCII only).
void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

class QtMainWindowTest : public ::testing::Test, protected GameFolder {
protected:
    QtMainWindowTest()
    {
        App();
        saveFile.Fill(0, 1);
        saveFile.Fill(1, 100);
        saveFile.Add(3, 7, 2);
    }
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
    ~QtMainWindowTest() override
    {
        dlg.reset();
        view.reset();
    }

    template <class W> W* Get(int id) const { return qobject_cast<W*>(view->Control(id)); }
    QLineEdit* RowEdit(int r) const { return Get<QLineEdit>(IDC_NAME_ROW + r); }
    QString StatusShown() const { return Get<QLineEdit>(IDC_STATUS)->text(); }

    // Clicks a part of the scroll bar: the arrows, or the page areas.
    void ClickScrollBar(QStyle::SubControl part)
    {
        auto* bar = Get<QScrollBar>(IDC_SCROLL);
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = Qt::Vertical;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        option.subControls = QStyle::SC_All;
        const QRect r = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
        ASSERT_TRUE(r.isValid());
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, r.center());
    }

    std::unique_ptr<QtDialogView> view;
    std::unique_ptr<CDeckEditorDlg> dlg;
};

}  // namespace

TEST_F(QtMainWindowTest, StartsWithTheTemplatesControlsAndTexts)
{
    Start();
    EXPECT_EQ(view->windowTitle(), QStringLiteral("Zev DeckEditor 1.08.0"));
    EXPECT_FALSE(view->windowIcon().isNull());
    EXPECT_EQ(Get<QTabBar>(IDC_TAB)->tabText(5), U(u8"入替"));
    EXPECT_TRUE(Get<QPlainTextEdit>(IDC_CARDLIST)->toPlainText().startsWith(QStringLiteral("Card1 x 3\nCard2 x 3\n")));
    EXPECT_TRUE(view->Control(IDC_MAIDCODE)->isHidden());
    EXPECT_TRUE(view->Control(IDC_RADIO_B)->isHidden());
    EXPECT_TRUE(Get<QRadioButton>(IDC_RADIO_A)->isChecked());
    EXPECT_TRUE(Get<QPushButton>(IDC_OK)->isDefault());
    // 223 x 187 dialog units, from the font's metrics.
    EXPECT_EQ(view->size(), view->DialogUnitsToPixels(0, 0, 223, 187).size());
    EXPECT_GT(view->width(), 223);
}

TEST_F(QtMainWindowTest, ScrollBarClicksAndTheWheelMoveTheRows)
{
    Start();
    auto* bar = Get<QScrollBar>(IDC_SCROLL);
    ClickScrollBar(QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(RowEdit(0)->text(), QStringLiteral("Deck 2"));
    EXPECT_FALSE(Get<QRadioButton>(IDC_RADIO_A)->isChecked());  // slot 0 is out of view
    ClickScrollBar(QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(bar->value(), 11);
    EXPECT_EQ(RowEdit(9)->text(), QStringLiteral("Deck 21"));
    ClickScrollBar(QStyle::SC_ScrollBarSubLine);
    EXPECT_EQ(bar->value(), 10);

    // One notch down over a row, then two up.
    QWheelEvent down(QPointF(5, 5), RowEdit(2)->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(RowEdit(2), &down);
    EXPECT_EQ(bar->value(), 11);
    QWheelEvent up(QPointF(5, 5), RowEdit(2)->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 240), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(RowEdit(2), &up);
    EXPECT_EQ(bar->value(), 9);
    EXPECT_EQ(RowEdit(0)->text(), QStringLiteral("Deck 10"));
    EXPECT_EQ(dlg->currentDeck, 0);
}

TEST_F(QtMainWindowTest, RadioAndTabClicksReachTheirHandlers)
{
    Start();
    QTest::mouseClick(Get<QRadioButton>(IDC_RADIO_A + 3), Qt::LeftButton);
    EXPECT_EQ(dlg->currentDeck, 3);
    EXPECT_FALSE(Get<QRadioButton>(IDC_RADIO_A)->isChecked());
    EXPECT_EQ(StatusShown(), QString::fromLatin1(encode(dlg->saveData.Deck(3)).c_str()));
    EXPECT_EQ(Get<QPlainTextEdit>(IDC_CARDLIST)->toPlainText(), QStringLiteral("Card7 x 2\n"));

    auto* tabs = Get<QTabBar>(IDC_TAB);
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(4).center());
    EXPECT_EQ(tabs->currentIndex(), 4);
    EXPECT_FALSE(view->Control(IDC_RADIO_B + 5)->isHidden());
    EXPECT_TRUE(view->Control(IDC_FORMAT_FRAME)->isHidden());
    QTest::mouseClick(Get<QRadioButton>(IDC_RADIO_B + 5), Qt::LeftButton);
    EXPECT_EQ(dlg->secondDeck, 5);
    EXPECT_TRUE(Get<QRadioButton>(IDC_RADIO_A + 3)->isChecked());  // columns are separate groups

    // Duplicate deck 4 into deck 6 with O K.
    QTest::mouseClick(Get<QPushButton>(IDC_OK), Qt::LeftButton);
    EXPECT_EQ(RowEdit(5)->text(), QStringLiteral("Deck 4"));
    EXPECT_EQ(encode(dlg->saveData.Deck(5)), encode(dlg->saveData.Deck(3)));
}

TEST_F(QtMainWindowTest, ProgramsTabSelectionRaisesNoChange)
{
    Start();
    auto* tabs = Get<QTabBar>(IDC_TAB);
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(3).center());
    ASSERT_FALSE(view->Control(IDC_MAIDCODE)->isHidden());
    view->SetCurSel(IDC_TAB, 0);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(view->Control(IDC_MAIDCODE)->isHidden());
    EXPECT_TRUE(view->Control(IDC_FORMAT_FRAME)->isHidden());
}

TEST_F(QtMainWindowTest, TypingInARowRenamesTheDeckAndRefusesWhatCannotBeStored)
{
    Start();
    QLineEdit* row = RowEdit(2);
    row->setFocus();
    row->selectAll();
    Type(row, U(u8"新デッキ"));
    EXPECT_EQ(dlg->saveData.Deck(2).Name(), Sjis(u8"新デッキ"));
    Type(row, QString(QChar(0xE9)));
    EXPECT_EQ(row->text(), U(u8"新デッキ"));
    EXPECT_EQ(dlg->saveData.Deck(2).Name(), Sjis(u8"新デッキ"));
    row->paste();  // whatever the clipboard holds, the row and the name agree
    std::string shown;
    ASSERT_TRUE(ToCp932(row->text(), shown));
    EXPECT_EQ(dlg->saveData.Deck(2).Name(), shown.substr(0, 37));
}

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

    // Two characters typed in front: the 37-byte cut now splits "デ".
    row->setFocus();
    row->setCursorPosition(0);
    QTest::keyClicks(row, QStringLiteral("zz"));
    const std::string stored = "zz" + std::string(34, 'n') + Sjis(u8"デ").substr(0, 1);
    EXPECT_EQ(dlg->saveData.Deck(4).Name(), stored);
    EXPECT_EQ(row->text(), QStringLiteral("zz") + QString(34, QChar('n')) + U(u8"デ") + QChar(0xFFFD));
    dlg->RefreshRows();
    EXPECT_EQ(row->text(), QStringLiteral("zz") + QString(34, QChar('n')) + QChar(0xFFFD));
    QTest::mouseClick(Get<QPushButton>(IDC_SAVE), Qt::LeftButton);
    EXPECT_EQ(dlg->saveData.Deck(4).Name(), stored);
}

TEST_F(QtMainWindowTest, SaveAndOkButtonsRunTheirCommands)
{
    Start();
    RowEdit(0)->setFocus();
    RowEdit(0)->end(false);
    QTest::keyClicks(RowEdit(0), QStringLiteral("X"));
    QTest::mouseClick(Get<QPushButton>(IDC_SAVE), Qt::LeftButton);
    SaveFileBuilder expected = saveFile;
    expected.names[0] = "Deck 1X";
    EXPECT_EQ(ws.Get(ws.SavePath()), expected.Bytes());
    EXPECT_EQ(StatusShown(), QString::fromLatin1(encode(dlg->saveData.Deck(0)).c_str()));

    // Enter in a row is the default button O K: Export on the first tab.
    // (While SAVE has the focus, it is the default button, as on the platform.)
    RowEdit(0)->setFocus();
    QTest::keyClick(RowEdit(0), Qt::Key_Return);
    EXPECT_TRUE(ws.Exists("../deck_1_format1.txt"));
}

TEST_F(QtMainWindowTest, MessageBoxHasTheCaptionAndTheText)
{
    Start();
    auto* tabs = Get<QTabBar>(IDC_TAB);
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(5).center());
    view->SetScrollPos(IDC_SCROLL, 43);
    QTest::mouseClick(Get<QRadioButton>(IDC_RADIO_B + 9), Qt::LeftButton);  // slot 52
    ASSERT_EQ(dlg->secondDeck, 52);
    QString caption, text;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        EXPECT_EQ(box->parentWidget(), view.get());
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        box->buttons().front()->click();
    });
    QTest::mouseClick(Get<QPushButton>(IDC_OK), Qt::LeftButton);
    EXPECT_EQ(caption, U(u8"ご、ご主人様ぁ～"));
    EXPECT_EQ(text, U(u8"訓練デッキと普通のデッキは入れ替えできないんです。"));
}

TEST_F(QtMainWindowTest, EscapeAndTheCloseBoxEndWithoutWritingAndAskFirstWithUnsavedChanges)
{
    Start();
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_TRUE(view->isHidden());
    EXPECT_EQ(view->result(), IDCANCEL);
    view->show();
    QTest::keyClicks(RowEdit(0), QStringLiteral("Y"));
    // The question defaults to No: Enter or Escape on it keeps the editor open.
    QString text;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        EXPECT_EQ(box->windowTitle(), U(u8"ご、ご主人様ぁ～"));
        EXPECT_EQ(box->buttons().size(), 2);
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(text, U(u8"まだセーブしていない変更がありますよぉ。\n保存しないで終わっちゃっていいですか？"));
    EXPECT_FALSE(view->isHidden());

    QTimer::singleShot(50, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    view->close();
    EXPECT_TRUE(view->isHidden());
    EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());
}
