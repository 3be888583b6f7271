#include "app/DeckGrid.h"

#include "app/TextLines.h"
#include "savedata/SaveData.h"
#include "window/DeckEditorWindow.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

// The rows settle on the end of scrolling, which Qt does not announce: the
// bar says so when the mouse button is let go.
class DeckGrid::ScrollBar : public QScrollBar {
public:
    ScrollBar(QWidget* window, DeckGrid* owner) : QScrollBar(Qt::Vertical, window), grid(owner) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QScrollBar::mouseReleaseEvent(event);
        grid->ScrollBy(0);
    }

private:
    DeckGrid* grid;
};

namespace {

constexpr int kLastTop = SaveData::kDecks - kRows;

// Accessible names: the deck number shown in a row goes in at %1.
QString RowName(int number) { return QString::fromUtf8(u8"デッキ %1 の名前").arg(number); }
QString RadioAName(int number) { return QString::fromUtf8(u8"デッキ %1 を選ぶ").arg(number); }
QString RadioBName(int number) { return QString::fromUtf8(u8"デッキ %1 を2つ目に選ぶ").arg(number); }

}  // namespace

DeckGrid::DeckGrid(QWidget* window, TextLines& textLines, const std::function<QRect(int, int, int, int)>& units)
    : QObject(window), lines(textLines)
{
    groupA = new QButtonGroup(window);
    groupB = new QButtonGroup(window);
    for (int r = 0; r < kRows; ++r) {
        rows[r] = lines.Add(
            units(3, 25 + 15 * r, 96, 12),
            [this, r](const std::string& text) {
                if (logic) {
                    logic->TypeName(r, text);
                }
            },
            true);
        rows[r]->installEventFilter(this);
        radiosA[r] = new QRadioButton(window);
        radiosA[r]->setGeometry(units(99, 27 + 15 * r, 9, 8));
        groupA->addButton(radiosA[r], r);
        radiosA[r]->installEventFilter(this);
        radiosB[r] = new QRadioButton(window);
        radiosB[r]->setGeometry(units(107, 27 + 15 * r, 9, 8));
        groupB->addButton(radiosB[r], kRows + r);
        radiosB[r]->installEventFilter(this);
    }
    // A click marks its radio (the group clears the others) and then tells the
    // logic. Assistive technology toggles the radio without a click; that
    // reaches the logic the same way.
    for (QButtonGroup* group : {groupA, groupB}) {
        connect(group, &QButtonGroup::idToggled, this, [this](int k, bool checked) {
            if (checked && !settingChecks) {
                OnRadio(k, true);
            }
        });
        connect(group, &QButtonGroup::idClicked, this, [this](int k) { OnRadio(k, false); });
    }

    scroll = new ScrollBar(window, this);
    scroll->setGeometry(units(116, 24, 8, 148));
    scroll->setRange(0, kLastTop);
    scroll->setSingleStep(1);
    scroll->setPageStep(kRows);
    scroll->installEventFilter(this);
    connect(scroll, &QScrollBar::actionTriggered, this, &DeckGrid::OnScrollAction);
    connect(scroll, &QScrollBar::sliderReleased, this, [this] { ScrollTo(scroll->sliderPosition()); });
    // Every other way the bar's value can change (its context menu's "Scroll
    // here", assistive technology) goes through the same handling, so the
    // rows always show the decks at the bar's position. The program's own
    // changes are made with signals blocked.
    connect(scroll, &QScrollBar::valueChanged, this, [this](int value) { ScrollTo(value); });
    scroll->setAccessibleName(QString::fromUtf8(u8"デッキのスクロール"));
    NameRows(0);
}

QList<QWidget*> DeckGrid::Controls() const
{
    QList<QWidget*> controls;
    for (int r = 0; r < kRows; ++r) {
        controls << rows[r] << radiosA[r] << radiosB[r];
    }
    return controls;
}

void DeckGrid::Show(const GridRows& shown)
{
    {
        const QSignalBlocker block(scroll);
        scroll->setValue(shown.top);
        scroll->setSliderPosition(shown.top);
    }
    shownTop = scroll->value();
    NameRows(shownTop);
    const QScopedValueRollback<bool> programs(settingChecks, true);
    // An exclusive group will not let its checked radio go by itself.
    for (QButtonGroup* group : {groupA, groupB}) {
        group->setExclusive(false);
    }
    for (int r = 0; r < kRows; ++r) {
        lines.Set(rows[r], shown.names[r]);
        radiosA[r]->setChecked(r == shown.markA);
        radiosB[r]->setChecked(r == shown.markB);
    }
    for (QButtonGroup* group : {groupA, groupB}) {
        group->setExclusive(true);
    }
}

void DeckGrid::ShowSecondColumn(bool show)
{
    for (QRadioButton* radio : radiosB) {
        radio->setVisible(show);
    }
}

void DeckGrid::NameRows(int top)
{
    for (int r = 0; r < kRows; ++r) {
        const int number = top + r + 1;
        rows[r]->setAccessibleName(RowName(number));
        radiosA[r]->setAccessibleName(RadioAName(number));
        radiosB[r]->setAccessibleName(RadioBName(number));
    }
}

void DeckGrid::ScrollTo(int top)
{
    toggledRadio = -1;
    if (logic) {
        logic->ScrollTo(top);
    }
}

void DeckGrid::ScrollBy(int step)
{
    toggledRadio = -1;
    if (logic) {
        logic->ScrollBy(step);
    }
}

void DeckGrid::OnRadio(int k, bool toggled)
{
    if (!toggled && toggledRadio == k) {
        // The click that has just checked this radio; its toggle was handled.
        toggledRadio = -1;
        return;
    }
    toggledRadio = toggled ? k : -1;
    if (logic) {
        k < kRows ? logic->ChooseDeck(k) : logic->ChooseSecond(k - kRows);
    }
}

void DeckGrid::OnScrollAction(int action)
{
    // The slider has moved itself already; the logic decides where it ends
    // up, and the slider then takes that as its value.
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: ScrollBy(-1); break;
    case QAbstractSlider::SliderSingleStepAdd: ScrollBy(1); break;
    case QAbstractSlider::SliderPageStepSub: ScrollBy(-kRows); break;
    case QAbstractSlider::SliderPageStepAdd: ScrollBy(kRows); break;
    case QAbstractSlider::SliderMove: ScrollTo(scroll->sliderPosition()); break;
    case QAbstractSlider::SliderToMinimum: ScrollTo(0); break;
    case QAbstractSlider::SliderToMaximum: ScrollTo(kLastTop); break;
    default: break;
    }
}

// Up and Down move to the row above or below, Page Up and Page Down by ten,
// Ctrl+Home and Ctrl+End to the first and last deck; the grid scrolls as far
// as it takes when the deck is out of view.
bool DeckGrid::MoveFromRow(int row, const QKeyEvent& key)
{
    const bool control = key.modifiers() & Qt::ControlModifier;
    int step = 0;
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
    const int target = std::clamp(shownTop + row + step, 0, SaveData::kDecks - 1);
    if (target < shownTop || target >= shownTop + kRows) {
        ScrollBy(step);
    }
    QLineEdit* edit = rows[std::clamp(target - shownTop, 0, kRows - 1)];
    edit->setFocus(Qt::OtherFocusReason);
    // Typing then adds to the name rather than replacing it.
    edit->end(false);
    return true;
}

void DeckGrid::Wheel(const QWheelEvent& wheel)
{
    wheelRemainder += wheel.angleDelta().y();
    while (wheelRemainder >= 120) {
        wheelRemainder -= 120;
        ScrollBy(-1);
    }
    while (wheelRemainder <= -120) {
        wheelRemainder += 120;
        ScrollBy(1);
    }
}

bool DeckGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        for (int r = 0; r < kRows; ++r) {
            if (watched == rows[r]) {
                return MoveFromRow(r, *static_cast<QKeyEvent*>(event));
            }
        }
    }
    if (event->type() == QEvent::Wheel) {
        // Over the rows, the radios and the scroll bar the wheel scrolls by lines.
        Wheel(*static_cast<const QWheelEvent*>(event));
        return true;
    }
    return false;
}
