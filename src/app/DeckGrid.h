#pragma once
// The deck grid: ten name rows, each with the radios of the two columns (the
// current deck, and the second deck of 複製 and 入替), and the scroll bar
// over the 53 decks. Its controls lie on the window itself, not in a panel
// of their own, so that a screen reader reads them among the window's.
// Every way of scrolling (the bar, the wheel, the arrow keys in a row) is
// turned here, once, into a top row or a number of rows for the logic.
#include "window/Screen.h"

#include <QList>
#include <QObject>

#include <functional>

class DeckEditorWindow;
class QButtonGroup;
class QLineEdit;
class QKeyEvent;
class QRadioButton;
class QRect;
class QScrollBar;
class QWheelEvent;
class QWidget;
class TextLines;

class DeckGrid : public QObject {
public:
    // Builds the controls on `window`; `units` turns a rectangle in dialog
    // units into pixels.
    DeckGrid(QWidget* window, TextLines& lines, const std::function<QRect(int, int, int, int)>& units);

    void Show(const GridRows& rows);
    void ShowSecondColumn(bool show);
    // The rows with their radios, in reading order.
    QList<QWidget*> Controls() const;
    QLineEdit* Row(int row) const { return rows[row]; }
    // Scrolls by lines for each notch of the wheel.
    void Wheel(const QWheelEvent& wheel);

    DeckEditorWindow* logic = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class ScrollBar;

    void OnScrollAction(int action);
    void OnRadio(int k, bool toggled);
    bool MoveFromRow(int row, const QKeyEvent& key);
    void ScrollTo(int top);
    void ScrollBy(int rows);
    void NameRows(int top);

    TextLines& lines;
    QLineEdit* rows[kRows] = {};
    QRadioButton* radiosA[kRows] = {};
    QRadioButton* radiosB[kRows] = {};
    QButtonGroup* groupA = nullptr;
    QButtonGroup* groupB = nullptr;
    QScrollBar* scroll = nullptr;
    int shownTop = 0;
    int wheelRemainder = 0;
    // Set while the program itself checks or unchecks radios.
    bool settingChecks = false;
    // The radio a player's toggle has just been handled for, so that the
    // click that follows it is not handled a second time.
    int toggledRadio = -1;
};
