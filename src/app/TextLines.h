#pragma once
// The window's one-line texts (the name rows, the DAZO Rozi box and the
// status line), holding their texts as code page 932 bytes: what the player
// types is checked as typed, and what the program writes is kept exactly as
// written. The editable ones take undo and redo by key and from their menu:
// their own typing first, then the steps of the deck history.
#include "qttext/Cp932Text.h"

#include <QObject>

#include <functional>
#include <map>
#include <string>

class DeckEditorWindow;
class QLineEdit;
class QRect;
class QWidget;

class TextLines : public QObject {
public:
    explicit TextLines(QWidget* window);

    // A line on the window at `rect`. `typed`, for an editable one, gets its
    // whole text after every change the player makes; a name row's leaving
    // (`row`) ends the rename typed in it.
    QLineEdit* Add(const QRect& rect, std::function<void(const std::string&)> typed = nullptr, bool row = false);
    // The program's text: raises no typing, and leaves the cursor at the start.
    void Set(QLineEdit* edit, const std::string& bytes);

    DeckEditorWindow* logic = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Validator;

    void OnUserEdit(QLineEdit* edit, const QString& text, const std::function<void(const std::string&)>& typed);
    void ShowRefusal(QWidget* edit, const QString& refused);
    void UndoOrRedo(QLineEdit* edit, bool undo);
    void ShowEditMenu(QLineEdit* edit, const QPoint& at);

    QWidget* window;
    std::map<QLineEdit*, Cp932Text> held;
    std::map<QLineEdit*, bool> rows;
};
