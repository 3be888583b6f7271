#include "app/TextLines.h"

#include "window/DeckEditorWindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyleHints>
#include <QToolTip>
#include <QValidator>

// Accepts a change of a line edit only when code page 932 can hold it and the
// bytes would read back as the text shown; tells `refused` what it turned down.
class TextLines::Validator : public QValidator {
public:
    Validator(const Cp932Text& held, std::function<void(const QString&)> refusedText, QObject* parent)
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

namespace {

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

}  // namespace

TextLines::TextLines(QWidget* w) : QObject(w), window(w) {}

QLineEdit* TextLines::Add(const QRect& rect, std::function<void(const std::string&)> typed, bool row)
{
    auto* edit = new QLineEdit(window);
    edit->setGeometry(rect);
    edit->setTextMargins(0, 0, 0, 0);
    Cp932Text& text = held[edit];
    if (typed) {
        rows[edit] = row;
        edit->setValidator(new Validator(
            text, [this, edit](const QString& refused) { ShowRefusal(edit, refused); }, edit));
        // Typing, input method commits, undo, paste and assistive technology
        // all end in a text change; the program's own writes are made with
        // signals blocked.
        connect(edit, &QLineEdit::textChanged, this,
                [this, edit, typed](const QString& shown) { OnUserEdit(edit, shown, typed); });
        edit->installEventFilter(this);
    }
    return edit;
}

void TextLines::Set(QLineEdit* edit, const std::string& bytes)
{
    Cp932Text& text = held[edit];
    text = Cp932Text(bytes);
    // A write by the program is no edit by the player: nothing is stored back.
    const QSignalBlocker block(edit);
    edit->setText(text.Shown());
    edit->setCursorPosition(0);
}

void TextLines::OnUserEdit(QLineEdit* edit, const QString& shown,
                           const std::function<void(const std::string&)>& typed)
{
    Cp932Text& text = held[edit];
    if (shown == text.Shown()) {
        return;
    }
    Cp932Text edited;
    if (!text.Edit(shown, edited)) {
        // Undo, redo and assistive technology reach here without the
        // validator; show what is held.
        ShowRefusal(edit, shown);
        const QSignalBlocker block(edit);
        edit->setText(text.Shown());
        return;
    }
    text = std::move(edited);
    edit->setToolTip(QString());
    edit->setAccessibleDescription(QString());
    typed(text.Bytes());
}

// A beep alone does not say what was wrong: the text beside the edit names
// the character code page 932 cannot hold.
void TextLines::ShowRefusal(QWidget* edit, const QString& refused)
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

// Undo and redo by key and from the menu; a row that loses the focus ends
// its rename.
bool TextLines::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = static_cast<QLineEdit*>(watched);
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
        if (rows[edit] && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            if (logic) {
                logic->NameLeft();
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
void TextLines::UndoOrRedo(QLineEdit* edit, bool undo)
{
    if (undo ? edit->isUndoAvailable() : edit->isRedoAvailable()) {
        undo ? edit->undo() : edit->redo();
    } else if (logic) {
        undo ? logic->Undo() : logic->Redo();
    }
}

// The edit's own menu, whose undo and redo go on to the deck changes as the
// keys do, naming the step they take back.
void TextLines::ShowEditMenu(QLineEdit* edit, const QPoint& at)
{
    QMenu* menu = edit->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Qt names the entries by their (translated) captions only.
    const QString undoCaption = QCoreApplication::translate("QLineEdit", "&Undo");
    const QString redoCaption = QCoreApplication::translate("QLineEdit", "&Redo");
    for (QAction* action : menu->actions()) {
        const bool undo = action->text().startsWith(undoCaption);
        if ((!undo && !action->text().startsWith(redoCaption)) ||
            (undo ? edit->isUndoAvailable() : edit->isRedoAvailable()) || !logic) {
            continue;
        }
        const std::string text = undo ? logic->UndoCommandText() : logic->RedoCommandText();
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
