#include "app/MainWindow.h"

#include "app/DeckGrid.h"
#include "app/TextLines.h"
#include "browser/CBrowser.h"
#include "qttext/Cp932Text.h"
#include "resources/AppIcon.h"
#include "window/DeckEditorWindow.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace {

QString Shown(const std::string& bytes)
{
    QString s = FromCp932(bytes);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// The dialog font: "MS UI Gothic" 9 pt, or a Japanese sans-serif face.
QFont DialogFont()
{
    static const char* const kFamilies[] = {"MS UI Gothic", "IPAGothic", "IPAPGothic", "Noto Sans CJK JP",
                                            "VL Gothic", "TakaoGothic"};
    const QStringList available = QFontDatabase::families();
    QFont font;
    for (const char* family : kFamilies) {
        if (available.contains(QString::fromLatin1(family))) {
            font = QFont(QString::fromLatin1(family));
            break;
        }
    }
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    return font;
}

}  // namespace

MainWindow::MainWindow() : QDialog(nullptr)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("ZevDeckEditor"));
    setWindowIcon(AppIcon());
    setFont(DialogFont());
    // Tabs drawn as buttons, and check marks with tight spacing, so that the
    // window's small controls hold their captions.
    setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 1px 2px; margin-right: 1px; border: 1px solid #9a9a9a;"
        " border-radius: 2px; background: #ececec; }"
        "QTabBar::tab:selected { background: #d4e2f7; border-color: #4a6ea9; }"
        "QTabBar::tab:hover { border-color: #4a6ea9; }"
        "QRadioButton, QCheckBox { spacing: 2px; }"));
    // Dialog base units: half the average width of a letter, and the line height.
    const QFontMetrics metrics(font());
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX = (alphabet / 26 + 1) / 2;
    baseY = metrics.height();
    Build();
}

MainWindow::~MainWindow() = default;

QRect MainWindow::Units(int x, int y, int width, int height) const
{
    const auto mulDivX = [this](int v) { return (v * baseX * 2 + 4) / 8; };  // v * baseX / 4, rounded
    const auto mulDivY = [this](int v) { return (v * baseY * 2 + 8) / 16; };  // v * baseY / 8, rounded
    const int left = mulDivX(x);
    const int top = mulDivY(y);
    return QRect(left, top, mulDivX(x + width) - left, mulDivY(y + height) - top);
}

// The controls are made in the order a screen reader lists them in.
void MainWindow::Build()
{
    setFixedSize(Units(0, 0, 223, 187).size());
    lines = new TextLines(this);

    // The Format frame first, so that the controls it frames lie above it.
    formatFrame = new QGroupBox(QStringLiteral("Format"), this);
    formatFrame->setGeometry(Units(127, 14, 95, 26));

    tabs = new QTabBar(this);
    tabs->setDrawBase(false);
    tabs->setExpanding(false);
    tabs->setUsesScrollButtons(false);
    tabs->setFocusPolicy(Qt::TabFocus);
    for (const char* caption : kTabCaptions) {
        tabs->addTab(FromCp932(caption));
    }
    // The wheel would walk through the commands (and open the browser on 編集).
    tabs->installEventFilter(this);
    tabs->setGeometry(Units(0, 0, 158, 16));
    // Selections by the program are made with signals blocked, so this is the player's.
    connect(tabs, &QTabBar::currentChanged, this, [this](int tab) {
        if (logic) {
            logic->ChooseTab(tab);
        }
    });

    status = lines->Add(Units(0, 174, 223, 12));
    status->setReadOnly(true);
    status->setAlignment(Qt::AlignRight);
    // Reached with Tab too, so that screen readers can read the code.
    status->setFocusPolicy(Qt::StrongFocus);
    status->setAccessibleName(QStringLiteral("DAZO Rozi"));

    cardList = new QPlainTextEdit(this);
    cardList->setReadOnly(true);
    cardList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cardList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cardList->document()->setDefaultTextOption(QTextOption(Qt::AlignRight));
    cardList->setTabChangesFocus(true);
    cardList->setAccessibleName(QString::fromUtf8(u8"カードリスト"));
    cardList->setGeometry(Units(127, 41, 94, 130));
    BuildRightHand();

    grid = new DeckGrid(this, *lines, [this](int x, int y, int w, int h) { return Units(x, y, w, h); });
    BuildRestoreControls();

    // Undo and redo anywhere in the window; an edit with typing of its own to
    // take back gets the keys first (TextLines).
    auto* undo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    connect(undo, &QShortcut::activated, this, [this] {
        if (logic) {
            logic->Undo();
        }
    });
    auto* redo = new QShortcut(this);
    redo->setKeys({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(redo, &QShortcut::activated, this, [this] {
        if (logic) {
            logic->Redo();
        }
    });
    SetTabOrder();
}

// The DAZO Rozi box, the formats, O K and SAVE.
void MainWindow::BuildRightHand()
{
    codeBox = lines->Add(Units(127, 25, 94, 12), [this](const std::string& text) {
        if (logic) {
            logic->TypeCode(text);
        }
    });
    codeBox->setAccessibleName(QString::fromUtf8(u8"DAZO Rozi の入力"));
    codeBox->installEventFilter(this);
    codeBox->hide();

    for (int p = 0; p < kFormats; ++p) {
        formatBoxes[p] = new QCheckBox(QString::number(p + 1), this);
        formatBoxes[p]->setGeometry(Units(131 + 23 * p, 27, 19, 10));
        connect(formatBoxes[p], &QAbstractButton::toggled, this, [this, p](bool on) {
            if (logic) {
                logic->ToggleFormat(p, on);
            }
        });
    }
    // 20 units would cut the captions off beside Qt's radio mark, so these two
    // take the room up to the frame's edge.
    exportOne = new QRadioButton(QStringLiteral("one"), this);
    exportOne->setGeometry(Units(196, 19, 25, 10));
    exportAll = new QRadioButton(QStringLiteral("all"), this);
    exportAll->setGeometry(Units(196, 28, 25, 10));
    auto* scope = new QButtonGroup(this);
    scope->addButton(exportOne);
    scope->addButton(exportAll);
    connect(exportAll, &QAbstractButton::toggled, this, [this](bool all) {
        if (logic) {
            logic->ChooseExportScope(all);
        }
    });

    auto* caption = new QLabel(QString::fromUtf8(u8"デ\u3000ッ\u3000キ\u3000名"), this);
    caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    caption->setGeometry(Units(3, 15, 96, 10));

    auto* okButton = new QPushButton(QStringLiteral("O K"), this);
    okButton->setDefault(true);
    okButton->setGeometry(Units(161, 0, 30, 13));
    connect(okButton, &QPushButton::clicked, this, [this] {
        if (logic) {
            logic->Ok();
        }
    });
    ok = okButton;
    save = new QPushButton(QStringLiteral("SAVE"), this);
    save->setGeometry(Units(191, 0, 30, 13));
    connect(save, &QPushButton::clicked, this, [this] {
        if (logic) {
            logic->Save();
        }
    });

    codeLabel = new QLabel(QStringLiteral("DAZO Rozi"), this);
    codeLabel->setGeometry(Units(127, 16, 94, 8));
    codeLabel->hide();
}

// 復元's controls, where the other tabs have theirs: the backups' list in the
// row of the DAZO Rozi, one and all below it. Built last, so that they follow
// the deck grid among the window's children.
void MainWindow::BuildRestoreControls()
{
    backups = new QComboBox(this);
    // On Linux a combo box is read by its current entry; the description says what it is.
    backups->setAccessibleName(QString::fromUtf8(u8"復元するバックアップ"));
    backups->setAccessibleDescription(backups->accessibleName());
    backups->setToolTip(backups->accessibleName());
    backups->setMaxVisibleItems(15);
    backups->hide();
    backups->setGeometry(Units(127, 16, 94, 12));
    // Entries added by the program are added with signals blocked: this is the player's.
    connect(backups, &QComboBox::currentIndexChanged, this, [this](int entry) {
        if (logic) {
            logic->ChooseBackup(entry);
        }
    });
    auto* scope = new QButtonGroup(this);
    const struct {
        QAbstractButton*& radio;
        int x;
        const char* caption;
        const char* name;  // UTF-8
    } scopes[] = {{restoreOne, 131, "one", u8"選んだデッキだけ復元"},
                  {restoreAll, 166, "all", u8"セーブデータを丸ごと復元"}};
    for (const auto& s : scopes) {
        s.radio = new QRadioButton(QString::fromLatin1(s.caption), this);
        s.radio->setAccessibleName(QString::fromUtf8(s.name));
        s.radio->setGeometry(Units(s.x, 30, 30, 10));
        s.radio->hide();
        scope->addButton(s.radio);
    }
    connect(restoreAll, &QAbstractButton::toggled, this, [this](bool all) {
        if (logic) {
            logic->ChooseRestoreScope(all);
        }
    });
}

// Reading order: tabs, O K, SAVE, the right-hand controls, the rows with their
// radios, the status line.
void MainWindow::SetTabOrder()
{
    QList<QWidget*> order = {tabs, ok, save, codeBox};
    for (QAbstractButton* box : formatBoxes) {
        order << box;
    }
    order << exportOne << exportAll << backups << restoreOne << restoreAll << cardList << grid->Controls()
          << status;
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

void MainWindow::Connect(DeckEditorWindow* window)
{
    logic = window;
    lines->logic = window;
    grid->logic = window;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        // Over the tabs the wheel does nothing; over the DAZO Rozi box it
        // scrolls the grid, as over the grid itself.
        if (watched == codeBox) {
            grid->Wheel(*static_cast<const QWheelEvent*>(event));
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Centred on the screen, together with the browser window that opens beside
// it when the screen has room for both, so that neither covers the other. The
// place is set before start-up because the browser window is placed then.
void MainWindow::PlaceOnScreen()
{
    const QScreen* s = screen();
    if (!s) {
        return;
    }
    const QRect area = s->availableGeometry();
    const int pair = std::max(width(), CBrowser::kOwnerOffset) + CBrowser::kPlacedWidth;
    const int left = pair <= area.width() ? (area.width() - pair) / 2 : (area.width() - width()) / 2;
    move(area.left() + std::max(0, left), area.top() + std::max(0, (area.height() - height()) / 2));
}

void MainWindow::Run()
{
    ended = false;
    PlaceOnScreen();
    if ((logic && !logic->Start()) || ended) {
        return;
    }
    exec();
}

void MainWindow::reject()
{
    if (logic) {
        logic->Close();
    } else {
        End();
    }
}

// Enter on O K: leaving, as Escape.
void MainWindow::accept() { reject(); }

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The close box cancels, like Escape: the logic decides.
    event->ignore();
    reject();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shownOnce) {
        shownOnce = true;
        QTimer::singleShot(0, this, [this] {
            if (onShownIdle) {
                onShownIdle();
            }
        });
    }
}

// --------------------------------------------------------------------- Screen

void MainWindow::Open(const Opening& opening)
{
    setWindowTitle(FromCp932(opening.title));
    const auto set = [](QAbstractButton* button, bool checked) {
        const QSignalBlocker block(button);
        button->setChecked(checked);
    };
    for (int p = 0; p < kFormats; ++p) {
        set(formatBoxes[p], opening.formats[p]);
    }
    set(opening.exportAll ? exportAll : exportOne, true);
    set(opening.restoreAll ? restoreAll : restoreOne, true);
}

void MainWindow::ShowRows(const GridRows& rows) { grid->Show(rows); }

void MainWindow::ShowCardList(const std::string& text) { cardList->setPlainText(Shown(text)); }

void MainWindow::ShowStatus(const std::string& text) { lines->Set(status, text); }

void MainWindow::ShowTab(Tab tab)
{
    {
        const QSignalBlocker block(tabs);
        tabs->setCurrentIndex(tab);
    }
    grid->ShowSecondColumn(tab == kTabDuplicate || tab == kTabSwap);
    const bool code = tab == kTabCreate || tab == kTabEdit;
    codeBox->setVisible(code);
    codeLabel->setVisible(code);
    for (QWidget* w : {static_cast<QWidget*>(formatBoxes[0]), static_cast<QWidget*>(formatBoxes[1]),
                       static_cast<QWidget*>(formatBoxes[2]), static_cast<QWidget*>(formatFrame),
                       static_cast<QWidget*>(exportOne), static_cast<QWidget*>(exportAll)}) {
        w->setVisible(tab == kTabExport);
    }
    for (QWidget* w : {static_cast<QWidget*>(backups), static_cast<QWidget*>(restoreOne),
                       static_cast<QWidget*>(restoreAll)}) {
        w->setVisible(tab == kTabRestore);
    }
}

void MainWindow::SetCode(const std::string& code) { lines->Set(codeBox, code); }

void MainWindow::ShowBackups(const std::vector<BackupLine>& entries, int chosen)
{
    const QSignalBlocker block(backups);
    backups->clear();
    auto* model = qobject_cast<QStandardItemModel*>(backups->model());
    for (const BackupLine& line : entries) {
        backups->addItem(FromCp932(line.text));
        // Neither the mouse nor the arrow keys can choose an entry that is not enabled.
        if (model && !line.choosable) {
            model->item(backups->count() - 1)->setEnabled(false);
        }
    }
    // The opened list is as wide as its longest entry, however narrow the box.
    backups->view()->setMinimumWidth(backups->view()->sizeHintForColumn(0) + backups->view()->frameWidth() * 2);
    backups->setCurrentIndex(chosen);
}

void MainWindow::Tell(const std::string& text) { MessageBox(text, false); }

bool MainWindow::Ask(const std::string& question) { return MessageBox(question, true); }

// A box owned by this window; a question defaults to no.
bool MainWindow::MessageBox(const std::string& text, bool question)
{
    QMessageBox box(this);
    box.setWindowTitle(FromCp932(kMessageCaption));
    box.setTextFormat(Qt::PlainText);
    box.setText(Shown(text));
    box.setIcon(QMessageBox::NoIcon);
    if (question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    if (autoCloseMessages) {
        QTimer::singleShot(0, &box, [&box] { box.defaultButton()->click(); });
    }
    return box.exec() == QMessageBox::Yes;
}

void MainWindow::End()
{
    ended = true;
    done(QDialog::Rejected);
}
