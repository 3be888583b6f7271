#include "app/QtDialogView.h"

#include "resources/AppIcon.h"
#include "app/CDeckEditorDlg.h"
#include "app/Resource.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
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
#include <QScrollBar>
#include <QTabBar>
#include <QTimer>
#include <QValidator>
#include <QWheelEvent>

// Accepts a change of a line edit only when code page 932 can hold it and the
// bytes would read back as the text shown.
class QtDialogView::NameValidator : public QValidator {
public:
    NameValidator(const Cp932Text& held, QObject* parent) : QValidator(parent), text(held) {}
    State validate(QString& input, int&) const override
    {
        Cp932Text edited;
        return text.Edit(input, edited) ? Acceptable : Invalid;
    }

private:
    const Cp932Text& text;
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
        "QTabBar::tab { padding: 1px 5px; margin-right: 1px; border: 1px solid #9a9a9a;"
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
    status->setFocusPolicy(Qt::ClickFocus);

    auto* cardList = new QPlainTextEdit(this);
    cardList->setReadOnly(true);
    cardList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cardList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cardList->document()->setDefaultTextOption(QTextOption(Qt::AlignRight));
    cardList->setTabChangesFocus(true);
    place(cardList, IDC_CARDLIST, 127, 41, 94, 130);

    auto* maidCode = AddLineEdit(IDC_MAIDCODE, 127, 25, 94, 12, true);
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
    // A click marks its radio (the group clears the others) and then tells the window.
    for (QButtonGroup* group : {groupA, groupB}) {
        connect(group, &QButtonGroup::idClicked, this, [this](int k) {
            if (dlg) {
                dlg->OnDeckRadio(k);
            }
        });
    }

    auto* scroll = new ScrollBar(this);
    place(scroll, IDC_SCROLL, 116, 24, 8, 148);
    scroll->setRange(0, 100);
    scroll->setSingleStep(1);
    scroll->setPageStep(kRows);
    scroll->installEventFilter(this);
    connect(scroll, &QScrollBar::actionTriggered, this, &QtDialogView::OnScrollAction);
    connect(scroll, &QScrollBar::sliderReleased, this, [this, scroll] {
        Scroll(CDeckEditorDlg::SB_THUMBPOSITION, scroll->sliderPosition());
    });

    // Keyboard order: tab bar, rows, radios, the right-hand side.
    setTabOrder(tabs, ok);
    setTabOrder(ok, save);
}

QLineEdit* QtDialogView::AddLineEdit(int id, int x, int y, int width, int height, bool userText)
{
    auto* edit = new QLineEdit(this);
    edit->setGeometry(DialogUnitsToPixels(x, y, width, height));
    edit->setTextMargins(0, 0, 0, 0);
    controls[id] = edit;
    Cp932Text& held = lineTexts[id];
    if (userText) {
        edit->setValidator(new NameValidator(held, edit));
        connect(edit, &QLineEdit::textEdited, this, [this, id, edit](const QString& text) { OnUserEdit(id, edit, text); });
    }
    return edit;
}

void QtDialogView::OnUserEdit(int id, QLineEdit* edit, const QString& text)
{
    Cp932Text& held = lineTexts[id];
    Cp932Text edited;
    if (!held.Edit(text, edited)) {
        // Undo and redo reach here without the validator; show what is held.
        const QSignalBlocker block(edit);
        edit->setText(held.Shown());
        return;
    }
    held = std::move(edited);
    if (dlg && id >= IDC_NAME_ROW && id < IDC_NAME_ROW + kRows) {
        dlg->OnDeckNameChange(id - IDC_NAME_ROW);
    }
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
    if (dlg) {
        dlg->OnVScroll(code, thumb);
    }
}

bool QtDialogView::eventFilter(QObject* watched, QEvent* event)
{
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

int QtDialogView::DoModal()
{
    ended = false;
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
    auto* tabs = qobject_cast<QTabBar*>(Control(id));
    return tabs ? tabs->currentIndex() : -1;
}

void QtDialogView::SetCurSel(int id, int index)
{
    if (auto* tabs = qobject_cast<QTabBar*>(Control(id))) {
        const QSignalBlocker block(tabs);
        tabs->setCurrentIndex(index);
    }
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
