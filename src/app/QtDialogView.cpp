#include "app/QtDialogView.h"

#include "resources/AppIcon.h"
#include "app/CDeckEditorDlg.h"
#include "app/Resource.h"
#include "savedata/SaveData.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStandardItemModel>
#include <QScrollBar>
#include <QShortcut>
#include <QStyleHints>
#include <QTabBar>
#include <QTimer>
#include <QToolTip>
#include <QValidator>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

// Accepts a change of a line edit only when code page 932 can hold it and the
// bytes would read back as the text shown; tells `refused` what it turned down.
class QtDialogView::NameValidator : public QValidator {
public:
    NameValidator(const Cp932Text& held, std::function<void(const QString&)> refusedText, QObject* parent)
        : QValidator(parent), text(held), refused(std::move(refusedText))
    {
    }
    State validate(QString& input, int&) const override
    {
        Cp932Text edited;
        if (text.Edit(input, edited)) {
            return Acceptable;
        }
        refused(input);
        return Invalid;
    }

private:
    const Cp932Text& text;
    std::function<void(const QString&)> refused;
};

// The deck grid settles its rows on the end-of-scrolling event, which Qt does
// not send: the bar sends it when the mouse button is let go.
class QtDialogView::ScrollBar : public QScrollBar {
public:
    ScrollBar(QtDialogView* owner) : QScrollBar(Qt::Vertical, owner), view(owner) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QScrollBar::mouseReleaseEvent(event);
        view->Scroll(CDeckEditorDlg::SB_ENDSCROLL, 0);
    }

private:
    QtDialogView* view;
};

namespace {

QString Shown(const std::string& bytes)
{
    QString s = FromCp932(bytes);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// Why typed text was turned down, shown beside the edit; %1 is the character.
const char kTextCannotStoreCharacter[] = "「%1」はセーブデータに書けない文字なんです…。";
const char kTextCannotStoreHere[] = "その文字はここには書けないんです…。";

// The keys of undo (Ctrl+Z) and redo (Ctrl+Y, Ctrl+Shift+Z): -1, +1, else 0.
int HistoryKey(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    if (key.key() == Qt::Key_Z && modifiers == Qt::ControlModifier) {
        return -1;
    }
    if ((key.key() == Qt::Key_Y && modifiers == Qt::ControlModifier) ||
        (key.key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier))) {
        return 1;
    }
    return 0;
}

// Accessible names: the deck number shown in a row goes in at %1.
QString RowName(int number) { return QString::fromUtf8(u8"デッキ %1 の名前").arg(number); }
QString RadioAName(int number) { return QString::fromUtf8(u8"デッキ %1 を選ぶ").arg(number); }
QString RadioBName(int number) { return QString::fromUtf8(u8"デッキ %1 を2つ目に選ぶ").arg(number); }

}  // namespace

QFont QtDialogView::DialogFont()
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

QtDialogView::QtDialogView() : QDialog(nullptr)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("ZevDeckEditor"));
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

QtDialogView::~QtDialogView() = default;

QRect QtDialogView::DialogUnitsToPixels(int x, int y, int width, int height) const
{
    const auto mulDivX = [this](int v) { return (v * baseX * 2 + 4) / 8; };  // v * baseX / 4, rounded
    const auto mulDivY = [this](int v) { return (v * baseY * 2 + 8) / 16; };  // v * baseY / 8, rounded
    const int left = mulDivX(x);
    const int top = mulDivY(y);
    return QRect(left, top, mulDivX(x + width) - left, mulDivY(y + height) - top);
}

void QtDialogView::Build()
{
    const QRect client = DialogUnitsToPixels(0, 0, 223, 187);
    setFixedSize(client.size());
    const auto place = [this](QWidget* w, int id, int x, int y, int width, int height) {
        w->setGeometry(DialogUnitsToPixels(x, y, width, height));
        controls[id] = w;
    };

    // The Format frame first, so that the controls it frames lie above it.
    auto* frame = new QGroupBox(QStringLiteral("Format"), this);
    place(frame, IDC_FORMAT_FRAME, 127, 14, 95, 26);

    auto* tabs = new QTabBar(this);
    tabs->setDrawBase(false);
    tabs->setExpanding(false);
    tabs->setUsesScrollButtons(false);
    tabs->setFocusPolicy(Qt::TabFocus);
    // The wheel would walk through the commands (and open the browser on 編集).
    tabs->installEventFilter(this);
    place(tabs, IDC_TAB, 0, 0, 158, 16);
    // Selections by the program are made with signals blocked, so this is the user's.
    connect(tabs, &QTabBar::currentChanged, this, [this](int) {
        if (dlg) {
            dlg->OnTabSelChange();
        }
    });

    auto* status = AddLineEdit(IDC_STATUS, 0, 174, 223, 12, false);
    status->setReadOnly(true);
    status->setAlignment(Qt::AlignRight);
    // Reached with Tab too, so that screen readers can read the code.
    status->setFocusPolicy(Qt::StrongFocus);
    status->setAccessibleName(QStringLiteral("DAZO Rozi"));

    auto* cardList = new QPlainTextEdit(this);
    cardList->setReadOnly(true);
    cardList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cardList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cardList->document()->setDefaultTextOption(QTextOption(Qt::AlignRight));
    cardList->setTabChangesFocus(true);
    cardList->setAccessibleName(QString::fromUtf8(u8"カードリスト"));
    place(cardList, IDC_CARDLIST, 127, 41, 94, 130);

    auto* maidCode = AddLineEdit(IDC_MAIDCODE, 127, 25, 94, 12, true);
    maidCode->setAccessibleName(QString::fromUtf8(u8"DAZO Rozi の入力"));
    maidCode->installEventFilter(this);
    maidCode->hide();

    groupFormatScope = new QButtonGroup(this);
    for (int p = 0; p < kFormats; ++p) {
        auto* box = new QCheckBox(QString::number(p + 1), this);
        place(box, IDC_FORMAT1 + p, 131 + 23 * p, 27, 19, 10);
    }
    // 20 units would cut the captions off beside Qt's radio mark, so these two
    // take the room up to the frame's edge.
    auto* one = new QRadioButton(QStringLiteral("one"), this);
    place(one, IDC_ONE, 196, 19, 25, 10);
    auto* all = new QRadioButton(QStringLiteral("all"), this);
    place(all, IDC_ALL, 196, 28, 25, 10);
    groupFormatScope->addButton(one);
    groupFormatScope->addButton(all);

    auto* caption = new QLabel(QString::fromUtf8(u8"デ\u3000ッ\u3000キ\u3000名"), this);
    caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    place(caption, IDC_NAME_CAPTION, 3, 15, 96, 10);

    auto* ok = new QPushButton(QStringLiteral("O K"), this);
    ok->setDefault(true);
    place(ok, IDC_OK, 161, 0, 30, 13);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (dlg) {
            dlg->OnOkClicked();
        }
    });
    auto* save = new QPushButton(QStringLiteral("SAVE"), this);
    place(save, IDC_SAVE, 191, 0, 30, 13);
    connect(save, &QPushButton::clicked, this, [this] {
        if (dlg) {
            dlg->OnSaveClicked();
        }
    });

    auto* label = new QLabel(QStringLiteral("DAZO Rozi"), this);
    place(label, IDC_MAIDCODE_LABEL, 127, 16, 94, 8);
    label->hide();

    groupA = new QButtonGroup(this);
    groupB = new QButtonGroup(this);
    for (int r = 0; r < kRows; ++r) {
        auto* edit = AddLineEdit(IDC_NAME_ROW + r, 3, 25 + 15 * r, 96, 12, true);
        edit->installEventFilter(this);
        auto* a = new QRadioButton(this);
        place(a, IDC_RADIO_A + r, 99, 27 + 15 * r, 9, 8);
        groupA->addButton(a, r);
        a->installEventFilter(this);
        auto* b = new QRadioButton(this);
        place(b, IDC_RADIO_B + r, 107, 27 + 15 * r, 9, 8);
        groupB->addButton(b, kRows + r);
        b->installEventFilter(this);
    }
    // A click marks its radio (the group clears the others) and then tells the
    // window. Assistive technology toggles the radio without a click; that
    // reaches the window the same way.
    for (QButtonGroup* group : {groupA, groupB}) {
        connect(group, &QButtonGroup::idToggled, this, [this](int k, bool checked) {
            if (checked && !settingChecks) {
                OnRadio(k, true);
            }
        });
        connect(group, &QButtonGroup::idClicked, this, [this](int k) { OnRadio(k, false); });
    }

    auto* scroll = new ScrollBar(this);
    place(scroll, IDC_SCROLL, 116, 24, 8, 148);
    scroll->setRange(0, 100);
    scroll->setSingleStep(1);
    scroll->setPageStep(kRows);
    scroll->installEventFilter(this);
    connect(scroll, &QScrollBar::actionTriggered, this, &QtDialogView::OnScrollAction);
    BuildRestoreControls();
    connect(scroll, &QScrollBar::sliderReleased, this, [this, scroll] {
        Scroll(CDeckEditorDlg::SB_THUMBPOSITION, scroll->sliderPosition());
    });
    // Every other way the bar's value can change (its context menu's "Scroll
    // here", assistive technology) goes through the same handling, so the
    // rows always show the decks at the bar's position. The program's own
    // changes are made with signals blocked.
    connect(scroll, &QScrollBar::valueChanged, this,
            [this](int value) { Scroll(CDeckEditorDlg::SB_THUMBPOSITION, value); });
    scroll->setAccessibleName(QString::fromUtf8(u8"デッキのスクロール"));

    // Undo and redo anywhere in the window; an edit with typing of its own to
    // take back gets the keys first (OnEditEvent).
    auto* undo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    connect(undo, &QShortcut::activated, this, [this] {
        if (dlg) {
            dlg->OnUndo();
        }
    });
    auto* redo = new QShortcut(this);
    redo->setKeys({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(redo, &QShortcut::activated, this, [this] {
        if (dlg) {
            dlg->OnRedo();
        }
    });
    NameRows(0);
    SetTabOrder();
}

// 復元's controls, where the other tabs have theirs: the backups' list in the
// row of the DAZO Rozi, one and all below it. Built last, so that they follow
// the deck grid among the window's children.
void QtDialogView::BuildRestoreControls()
{
    auto* list = new QComboBox(this);
    // On Linux a combo box is read by its current entry; the description says what it is.
    list->setAccessibleName(QString::fromUtf8(u8"復元するバックアップ"));
    list->setAccessibleDescription(list->accessibleName());
    list->setToolTip(list->accessibleName());
    list->setMaxVisibleItems(15);
    list->hide();
    controls[IDC_BACKUPS] = list;
    list->setGeometry(DialogUnitsToPixels(127, 16, 94, 12));
    // Entries added by the program are added with signals blocked: this is the user's.
    connect(list, &QComboBox::currentIndexChanged, this, [this](int) {
        if (dlg) {
            dlg->OnBackupSelChange();
        }
    });
    groupRestoreScope = new QButtonGroup(this);
    const struct {
        int id, x;
        const char* caption;
        const char* name;  // UTF-8
    } scopes[] = {{IDC_RESTORE_ONE, 131, "one", u8"選んだデッキだけ復元"},
                  {IDC_RESTORE_ALL, 166, "all", u8"セーブデータを丸ごと復元"}};
    for (const auto& scope : scopes) {
        auto* radio = new QRadioButton(QString::fromLatin1(scope.caption), this);
        radio->setAccessibleName(QString::fromUtf8(scope.name));
        radio->setGeometry(DialogUnitsToPixels(scope.x, 30, 30, 10));
        radio->hide();
        controls[scope.id] = radio;
        groupRestoreScope->addButton(radio);
    }
}

// Reading order: tabs, O K, SAVE, the right-hand controls, the rows with their
// radios, the status line.
void QtDialogView::SetTabOrder()
{
    QList<int> order = {IDC_TAB, IDC_OK, IDC_SAVE, IDC_MAIDCODE, IDC_FORMAT1, IDC_FORMAT1 + 1, IDC_FORMAT1 + 2,
                        IDC_ONE, IDC_ALL, IDC_BACKUPS, IDC_RESTORE_ONE, IDC_RESTORE_ALL, IDC_CARDLIST};
    for (int r = 0; r < kRows; ++r) {
        order << IDC_NAME_ROW + r << IDC_RADIO_A + r << IDC_RADIO_B + r;
    }
    order << IDC_STATUS;
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(controls.at(order[i]), controls.at(order[i + 1]));
    }
}

void QtDialogView::NameRows(int position)
{
    for (int r = 0; r < kRows; ++r) {
        const int number = position + r + 1;
        controls.at(IDC_NAME_ROW + r)->setAccessibleName(RowName(number));
        controls.at(IDC_RADIO_A + r)->setAccessibleName(RadioAName(number));
        controls.at(IDC_RADIO_B + r)->setAccessibleName(RadioBName(number));
    }
}

QLineEdit* QtDialogView::AddLineEdit(int id, int x, int y, int width, int height, bool userText)
{
    auto* edit = new QLineEdit(this);
    edit->setGeometry(DialogUnitsToPixels(x, y, width, height));
    edit->setTextMargins(0, 0, 0, 0);
    controls[id] = edit;
    Cp932Text& held = lineTexts[id];
    if (userText) {
        edit->setValidator(new NameValidator(
            held, [this, edit](const QString& refused) { ShowRefusal(edit, refused); }, edit));
        // Typing, input method commits, undo, paste and assistive technology
        // all end in a text change; the program's own writes are made with
        // signals blocked.
        connect(edit, &QLineEdit::textChanged, this, [this, id, edit](const QString& text) { OnUserEdit(id, edit, text); });
    }
    return edit;
}

void QtDialogView::OnUserEdit(int id, QLineEdit* edit, const QString& text)
{
    Cp932Text& held = lineTexts[id];
    if (text == held.Shown()) {
        return;
    }
    Cp932Text edited;
    if (!held.Edit(text, edited)) {
        // Undo, redo and assistive technology reach here without the
        // validator; show what is held.
        ShowRefusal(edit, text);
        const QSignalBlocker block(edit);
        edit->setText(held.Shown());
        return;
    }
    held = std::move(edited);
    edit->setToolTip(QString());
    edit->setAccessibleDescription(QString());
    if (dlg && id >= IDC_NAME_ROW && id < IDC_NAME_ROW + kRows) {
        dlg->OnDeckNameChange(id - IDC_NAME_ROW);
    }
}

// A beep alone does not say what was wrong: the text beside the edit names
// the character code page 932 cannot hold.
void QtDialogView::ShowRefusal(QWidget* edit, const QString& refused)
{
    QString character;
    for (const char32_t c : refused.toUcs4()) {
        std::string bytes;
        const QString one = QString::fromUcs4(&c, 1);
        if (!ToCp932(one, bytes) || one == QString(Cp932Text::kUndecodable)) {
            character = one;
            break;
        }
    }
    const QString text = character.isEmpty() ? FromCp932(kTextCannotStoreHere)
                                             : FromCp932(kTextCannotStoreCharacter).arg(character);
    QApplication::beep();
    edit->setToolTip(text);
    edit->setAccessibleDescription(text);
    QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), text, edit);
}

void QtDialogView::OnRadio(int k, bool toggled)
{
    if (!toggled && toggledRadio == k) {
        // The click that has just checked this radio; its toggle was handled.
        toggledRadio = -1;
        return;
    }
    toggledRadio = toggled ? k : -1;
    if (dlg) {
        dlg->OnDeckRadio(k);
    }
}

// Up and Down move to the row above or below, Page Up and Page Down by ten,
// Ctrl+Home and Ctrl+End to the first and last deck; the grid scrolls through
// the scroll handling when the deck is out of view.
bool QtDialogView::MoveFromRow(int row, const QKeyEvent& key)
{
    const bool control = key.modifiers() & Qt::ControlModifier;
    int step = 0;
    int towardsStart = CDeckEditorDlg::SB_LINEUP;
    int towardsEnd = CDeckEditorDlg::SB_LINEDOWN;
    switch (key.key()) {
    case Qt::Key_Up: step = -1; break;
    case Qt::Key_Down: step = 1; break;
    case Qt::Key_PageUp: step = -kRows; break;
    case Qt::Key_PageDown: step = kRows; break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!control) {
            return false;
        }
        step = key.key() == Qt::Key_Home ? -SaveData::kDecks : SaveData::kDecks;
        break;
    default: return false;
    }
    if (std::abs(step) == kRows) {
        towardsStart = CDeckEditorDlg::SB_PAGEUP;
        towardsEnd = CDeckEditorDlg::SB_PAGEDOWN;
    } else if (std::abs(step) == SaveData::kDecks) {
        towardsStart = CDeckEditorDlg::SB_TOP;
        towardsEnd = CDeckEditorDlg::SB_BOTTOM;
    }
    const int position = GetScrollPos(IDC_SCROLL);
    const int target = std::clamp(position + row + step, 0, SaveData::kDecks - 1);
    if (target < position) {
        Scroll(towardsStart, 0);
    } else if (target >= position + kRows) {
        Scroll(towardsEnd, 0);
    }
    const int newRow = std::clamp(target - GetScrollPos(IDC_SCROLL), 0, kRows - 1);
    auto* edit = static_cast<QLineEdit*>(controls.at(IDC_NAME_ROW + newRow));
    edit->setFocus(Qt::OtherFocusReason);
    // Typing then adds to the name rather than replacing it.
    edit->end(false);
    return true;
}

void QtDialogView::OnScrollAction(int action)
{
    auto* scroll = static_cast<QScrollBar*>(controls.at(IDC_SCROLL));
    int code = -1;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = CDeckEditorDlg::SB_LINEUP; break;
    case QAbstractSlider::SliderSingleStepAdd: code = CDeckEditorDlg::SB_LINEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = CDeckEditorDlg::SB_PAGEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = CDeckEditorDlg::SB_PAGEDOWN; break;
    case QAbstractSlider::SliderMove: code = CDeckEditorDlg::SB_THUMBTRACK; break;
    case QAbstractSlider::SliderToMinimum: code = CDeckEditorDlg::SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = CDeckEditorDlg::SB_BOTTOM; break;
    default: return;
    }
    // The slider has moved itself already; the handler decides where it ends
    // up, and the slider then takes the handler's position as its value.
    Scroll(code, scroll->sliderPosition());
}

void QtDialogView::Scroll(int code, int thumb)
{
    toggledRadio = -1;
    if (dlg) {
        dlg->OnVScroll(code, thumb);
    }
}

// The editable lines (the name rows and the DAZO Rozi box): undo and redo by
// key and from their menu; a row that loses the focus ends its rename.
bool QtDialogView::OnEditEvent(QLineEdit* edit, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        const int step = HistoryKey(*static_cast<QKeyEvent*>(event));
        if (step == 0) {
            return false;
        }
        // Taken by the edit, so that the window's shortcut does not fire too.
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            UndoOrRedo(edit, step < 0);
        }
        return true;
    }
    case QEvent::ContextMenu:
        ShowEditMenu(edit, static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::FocusOut:
        // The row's own menu takes the focus for a moment; that is no leaving.
        if (edit != Control(IDC_MAIDCODE) && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            if (dlg) {
                dlg->OnDeckNameEditEnd();
            }
            // The rename is a step of the history now: Ctrl+Z takes it back
            // there, not a second time as the row's own typing.
            const int cursor = edit->cursorPosition();
            const QSignalBlocker block(edit);
            edit->setText(edit->text());
            edit->setCursorPosition(cursor);
        }
        return false;
    default:
        return false;
    }
}

// Typing in the edit is taken back first, as in any text field; then the
// changes to the decks.
void QtDialogView::UndoOrRedo(QLineEdit* edit, bool undo)
{
    if (undo ? edit->isUndoAvailable() : edit->isRedoAvailable()) {
        undo ? edit->undo() : edit->redo();
    } else if (dlg) {
        undo ? dlg->OnUndo() : dlg->OnRedo();
    }
}

// The edit's own menu, whose undo and redo go on to the deck changes as the
// keys do, naming the step they take back.
void QtDialogView::ShowEditMenu(QLineEdit* edit, const QPoint& at)
{
    QMenu* menu = edit->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Qt names the entries by their (translated) captions only.
    const QString undoCaption = QCoreApplication::translate("QLineEdit", "&Undo");
    const QString redoCaption = QCoreApplication::translate("QLineEdit", "&Redo");
    for (QAction* action : menu->actions()) {
        const bool undo = action->text().startsWith(undoCaption);
        if ((!undo && !action->text().startsWith(redoCaption)) ||
            (undo ? edit->isUndoAvailable() : edit->isRedoAvailable()) || !dlg) {
            continue;
        }
        const std::string text = undo ? dlg->UndoCommandText() : dlg->RedoCommandText();
        if (text.empty()) {
            continue;
        }
        QString caption = FromCp932(text);
        // The keys beside it, where the platform shows them, as on Qt's own entries.
        if (QGuiApplication::styleHints()->showShortcutsInContextMenus()) {
            const QKeySequence keys(undo ? Qt::CTRL | Qt::Key_Z : Qt::CTRL | Qt::Key_Y);
            caption += QLatin1Char('\t') + keys.toString(QKeySequence::NativeText);
        }
        action->setText(caption);
        action->setEnabled(true);
        disconnect(action, &QAction::triggered, edit, nullptr);
        connect(action, &QAction::triggered, this, [this, edit, undo] { UndoOrRedo(edit, undo); });
    }
    menu->popup(at);
}

bool QtDialogView::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && OnEditEvent(edit, event)) {
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        for (int r = 0; r < kRows; ++r) {
            if (watched == Control(IDC_NAME_ROW + r)) {
                return MoveFromRow(r, *static_cast<QKeyEvent*>(event)) || QDialog::eventFilter(watched, event);
            }
        }
    }
    if (event->type() == QEvent::Wheel && watched == Control(IDC_TAB)) {
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        // Over the rows, the radios and the scroll bar the wheel scrolls by lines.
        const auto* wheel = static_cast<QWheelEvent*>(event);
        wheelRemainder += wheel->angleDelta().y();
        while (wheelRemainder >= 120) {
            wheelRemainder -= 120;
            Scroll(CDeckEditorDlg::SB_LINEUP, 0);
        }
        while (wheelRemainder <= -120) {
            wheelRemainder += 120;
            Scroll(CDeckEditorDlg::SB_LINEDOWN, 0);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Centred on the screen, together with the browser window that opens beside
// it when the screen has room for both, so that neither covers the other. The
// place is set before start-up because the browser window is placed then.
void QtDialogView::PlaceOnScreen()
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

int QtDialogView::DoModal()
{
    ended = false;
    PlaceOnScreen();
    if (dlg && !dlg->OnInitDialog() && !ended) {
        return IDCANCEL;
    }
    if (ended) {
        return endResult;
    }
    exec();
    return endResult;
}

void QtDialogView::reject()
{
    if (dlg) {
        dlg->EndDialogRequested(IDCANCEL);
    } else {
        EndDialog(IDCANCEL);
    }
}

void QtDialogView::accept()
{
    if (dlg) {
        dlg->EndDialogRequested(IDOK);
    } else {
        EndDialog(IDOK);
    }
}

void QtDialogView::closeEvent(QCloseEvent* event)
{
    // The close box cancels, like Escape: EndDialogRequested decides.
    event->ignore();
    reject();
}

void QtDialogView::showEvent(QShowEvent* event)
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

QWidget* QtDialogView::Control(int id) const
{
    const auto it = controls.find(id);
    return it == controls.end() ? nullptr : it->second;
}

// ----------------------------------------------------------------------- View

void QtDialogView::SetWindowText(const std::string& text) { setWindowTitle(FromCp932(text)); }

std::string QtDialogView::GetWindowText() const
{
    std::string bytes;
    ToCp932(windowTitle(), bytes);
    return bytes;
}

void QtDialogView::ShowWindow(bool show) { setVisible(show); }

bool QtDialogView::IsWindowVisible() const { return isVisible(); }

void QtDialogView::EndDialog(int result)
{
    ended = true;
    endResult = result;
    done(result);
}

int QtDialogView::MessageBox(const std::string& text, const std::string& caption, unsigned type)
{
    QMessageBox box(this);
    box.setWindowTitle(FromCp932(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(Shown(text));
    box.setIcon(QMessageBox::NoIcon);
    const bool yesNo = (type & MB_TYPEMASK) == MB_YESNO;
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((type & MB_DEFBUTTON2) ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    if (autoCloseMessages) {
        QTimer::singleShot(0, &box, [&box] { box.defaultButton()->click(); });
    }
    const int answer = box.exec();
    if (yesNo) {
        return answer == QMessageBox::Yes ? IDYES : IDNO;
    }
    return IDOK;
}

void QtDialogView::SetItemText(int id, const std::string& text)
{
    QWidget* w = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        Cp932Text& held = lineTexts[id];
        held = Cp932Text(text);
        // A write by the program is no edit by the user: nothing is stored back.
        const QSignalBlocker block(edit);
        edit->setText(held.Shown());
        edit->setCursorPosition(0);
    } else if (auto* pane = qobject_cast<QPlainTextEdit*>(w)) {
        cardListBytes = text;
        pane->setPlainText(Shown(text));
    } else if (w) {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->setText(FromCp932(text));
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setText(FromCp932(text));
        } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
            frame->setTitle(FromCp932(text));
        }
    }
}

std::string QtDialogView::GetItemText(int id) const
{
    QWidget* w = Control(id);
    if (qobject_cast<QLineEdit*>(w)) {
        return lineTexts.at(id).Bytes();
    }
    if (qobject_cast<QPlainTextEdit*>(w)) {
        return cardListBytes;
    }
    QString shown;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        shown = button->text();
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        shown = label->text();
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        shown = frame->title();
    }
    std::string bytes;
    ToCp932(shown, bytes);
    return bytes;
}

void QtDialogView::ShowItem(int id, bool show)
{
    if (QWidget* w = Control(id)) {
        w->setVisible(show);
    }
}

bool QtDialogView::IsItemVisible(int id) const
{
    QWidget* w = Control(id);
    return w && !w->isHidden();
}

bool QtDialogView::GetCheck(int id) const
{
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    return button && button->isChecked();
}

void QtDialogView::SetCheck(int id, bool checked)
{
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (!button) {
        return;
    }
    QButtonGroup* group = button->group();
    const QScopedValueRollback<bool> programs(settingChecks, true);
    // An exclusive group will not let its checked button go unchecked by itself.
    if (!checked && group && group->exclusive()) {
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
        return;
    }
    button->setChecked(checked);
}

void QtDialogView::InsertTab(int id, int index, const std::string& caption)
{
    if (auto* tabs = qobject_cast<QTabBar*>(Control(id))) {
        const QSignalBlocker block(tabs);
        tabs->insertTab(index, FromCp932(caption));
    }
}

int QtDialogView::GetCurSel(int id) const
{
    if (auto* list = qobject_cast<QComboBox*>(Control(id))) {
        return list->currentIndex();
    }
    auto* tabs = qobject_cast<QTabBar*>(Control(id));
    return tabs ? tabs->currentIndex() : -1;
}

void QtDialogView::SetCurSel(int id, int index)
{
    if (auto* list = qobject_cast<QComboBox*>(Control(id))) {
        const QSignalBlocker block(list);
        list->setCurrentIndex(index);
    } else if (auto* tabs = qobject_cast<QTabBar*>(Control(id))) {
        const QSignalBlocker block(tabs);
        tabs->setCurrentIndex(index);
    }
}

void QtDialogView::ClearList(int id)
{
    if (auto* list = qobject_cast<QComboBox*>(Control(id))) {
        const QSignalBlocker block(list);
        list->clear();
    }
}

void QtDialogView::AddListItem(int id, const std::string& text, bool selectable)
{
    auto* list = qobject_cast<QComboBox*>(Control(id));
    if (!list) {
        return;
    }
    const QSignalBlocker block(list);
    list->addItem(FromCp932(text));
    // Neither the mouse nor the arrow keys can choose an entry that is not enabled.
    if (auto* model = qobject_cast<QStandardItemModel*>(list->model()); model && !selectable) {
        model->item(list->count() - 1)->setEnabled(false);
    }
    // The opened list is as wide as its longest entry, however narrow the box.
    list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0) + list->view()->frameWidth() * 2);
}

void QtDialogView::SetScrollRange(int id, int minimum, int maximum)
{
    if (auto* scroll = qobject_cast<QScrollBar*>(Control(id))) {
        const QSignalBlocker block(scroll);
        scroll->setRange(minimum, maximum);
    }
}

void QtDialogView::GetScrollRange(int id, int& minimum, int& maximum) const
{
    auto* scroll = qobject_cast<QScrollBar*>(Control(id));
    minimum = scroll ? scroll->minimum() : 0;
    maximum = scroll ? scroll->maximum() : 0;
}

int QtDialogView::GetScrollPos(int id) const
{
    auto* scroll = qobject_cast<QScrollBar*>(Control(id));
    return scroll ? scroll->value() : 0;
}

void QtDialogView::SetScrollPos(int id, int position)
{
    if (auto* scroll = qobject_cast<QScrollBar*>(Control(id))) {
        const QSignalBlocker block(scroll);
        scroll->setValue(position);
        scroll->setSliderPosition(position);
        NameRows(scroll->value());
    }
}

ViewRect QtDialogView::GetWindowRect() const
{
    const QRect r = frameGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

ViewRect QtDialogView::GetClientRect() const { return {0, 0, width(), height()}; }

ViewRect QtDialogView::GetDesktopClientRect() const
{
    const QScreen* s = screen();
    const QRect r = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void QtDialogView::MoveWindow(const ViewRect& rect)
{
    move(rect.left, rect.top);
    resize(rect.Width(), rect.Height());
}

void QtDialogView::SetIcon(int iconResource)
{
    if (iconResource == IDR_MAINFRAME) {
        setWindowIcon(AppIcon());
    }
}
