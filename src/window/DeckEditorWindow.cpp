#include "window/DeckEditorWindow.h"

#include "appinfo/Version.h"
#include "catalogue/CardCatalogue.h"
#include "collection/Collection.h"

#include <algorithm>
#include <vector>

const char kMessageCaption[] = "ご、ご主人様ぁ～";
// The commands' tabs are named as their undo steps are.
const char* const kTabCaptions[kTabCount] = {"書出",      kStepDelete, kStepCreate, kStepEdit,
                                             kStepDuplicate, kStepSwap,   kStepRestore};

namespace {

const char kTextInitialising[] = "初期化中...";
const char kWindowCaption[] = "Zev DeckEditor ";

const char kProgressExport[] = "デッキリスト作成中...";
const char kProgressDelete[] = "デッキ消去中...";
const char kProgressEdit[] = "DAZO Rozi展開中...";
const char kProgressDuplicate[] = "デッキコピー中...";
const char kProgressSwap[] = "デッキ入れ替え中...";
const char kProgressRestore[] = "バックアップから復元中...";
const char kProgressSave[] = "セーブ中...";
const char kTextUnreadableEntry[] = " 読めません";
const char kTextAskDiscard[] = "まだセーブしていない変更がありますよぉ。\r\n保存しないで終わっちゃっていいですか？";

constexpr int kLastTop = SaveData::kDecks - kRows;  // 43

}  // namespace

DeckEditorWindow::DeckEditorWindow(Screen& s, const GamePaths& paths)
    : session(paths), saveData(session.Data()), screen(s)
{
}

DeckEditorWindow::~DeckEditorWindow() = default;

bool DeckEditorWindow::Start()
{
    screen.Open({std::string(kWindowCaption) + kVersionText, formats, exportAll, restoreAll});
    screen.ShowStatus(kTextInitialising);
    screen.ShowTab(tab);
    if (!saveData.IsLoaded()) {
        Tell(kTextCannotOpenSaveData);
        // Not a player's ending: there is nothing loaded that could be kept.
        screen.End();
        return false;
    }
    Tell(session.MakeBackup());
    if (saveData.LooksDamaged()) {
        Tell(kTextLooksDamaged);
    }
    Tell(CardListProblem(saveData.Paths().CardList()));
    ShowCardList();
    ShowRows();
    ShowCode();
    return true;
}

void DeckEditorWindow::Close()
{
    // One stray Escape must not throw away an evening's edits. Nothing is
    // written at exit either way.
    if (saveData.IsLoaded() && saveData.HasUnsavedChanges() && !screen.Ask(kTextAskDiscard)) {
        return;
    }
    screen.End();
}

// ------------------------------------------------------------------ deck grid

void DeckEditorWindow::ScrollTo(int row)
{
    top = std::clamp(row, 0, kLastTop);
    ShowRows();
}

void DeckEditorWindow::ScrollBy(int rows) { ScrollTo(top + rows); }

void DeckEditorWindow::ChooseDeck(int row)
{
    if (row < 0 || row >= kRows) {
        return;
    }
    currentDeck = top + row;
    ShowCardList();
    ShowCode();
}

void DeckEditorWindow::ChooseSecond(int row)
{
    if (row >= 0 && row < kRows) {
        secondDeck = top + row;
    }
}

void DeckEditorWindow::TypeName(int row, const std::string& text)
{
    // Typing reaches here at every keystroke; the history takes one step per
    // edited row, so a row of another deck ends the rename before it.
    if (row >= 0 && row < kRows) {
        session.TypeName(top + row, text);
    }
}

void DeckEditorWindow::NameLeft() { session.CommitRename(); }

void DeckEditorWindow::ShowRows()
{
    GridRows rows;
    rows.top = top;
    for (int r = 0; r < kRows; ++r) {
        rows.names[r] = saveData.Deck(top + r).Name();
    }
    const auto rowOf = [this](int deck) { return top <= deck && deck < top + kRows ? deck - top : -1; };
    rows.markA = rowOf(currentDeck);
    rows.markB = rowOf(secondDeck);
    screen.ShowRows(rows);
}

void DeckEditorWindow::ShowCardList()
{
    std::string text;
    const DeckRecord* deck = &saveData.Deck(currentDeck);
    // On 復元 the pane shows what would come back: the chosen backup's deck
    // of this slot, with its name.
    if (tab == kTabRestore) {
        if (!session.ChosenBackup()) {
            screen.ShowCardList(session.NoBackupReason());
            return;
        }
        deck = &session.ChosenBackup()->Deck(currentDeck);
        text = deck->Name() + "\r\n\r\n";
    }
    const std::uint8_t* counts = deck->Counts();
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        if (counts[i] != 0) {
            text += session.Catalogue().GetName(i);
            text += " x ";
            text += std::to_string(counts[i]);
            text += "\r\n";
        }
    }
    screen.ShowCardList(text);
}

void DeckEditorWindow::ShowCode() { screen.ShowStatus(encode(saveData.Deck(currentDeck))); }

void DeckEditorWindow::Tell(const std::string& text)
{
    if (!text.empty()) {
        screen.Tell(text);
    }
}

// --------------------------------------------------------------- tab commands

void DeckEditorWindow::ChooseTab(int chosen)
{
    if (chosen < 0 || chosen >= kTabCount) {
        return;
    }
    tab = static_cast<Tab>(chosen);
    if (tab == kTabEdit && openPage) {
        const DeckRecord& deck = saveData.Deck(currentDeck);
        openPage({currentDeck + 1, deck.Name(), encode(deck), CollectionJson(saveData, currentDeck)});
    }
    if (tab == kTabRestore) {
        ListBackups();
    }
    screen.ShowTab(tab);
    ShowCardList();
}

void DeckEditorWindow::ToggleFormat(int format, bool on)
{
    if (format >= 0 && format < kFormats) {
        formats[format] = on;
    }
}

// Reads the backup folder (on choosing 復元, never at start-up).
void DeckEditorWindow::ListBackups()
{
    const int chosen = session.ListBackups();
    const BackupList& backups = session.Backups();
    std::vector<BackupLine> lines;
    const std::string reason = EmptyListReason(backups);
    if (!reason.empty()) {
        // One line: the list itself says why it is empty.
        lines.push_back({reason.substr(0, reason.find('\r')), false});
    }
    for (const BackupEntry& entry : backups.entries) {
        lines.push_back({entry.readable ? entry.stamp : entry.stamp + kTextUnreadableEntry, entry.readable});
    }
    screen.ShowBackups(lines, chosen);
    session.ChooseBackup(chosen);
}

void DeckEditorWindow::ChooseBackup(int entry)
{
    session.ChooseBackup(entry);
    ShowCardList();
}

void DeckEditorWindow::Ok()
{
    session.CommitRename();
    Tell(RunTab().message);
    ShowCode();
    ShowCardList();
    ShowRows();
}

// Every tab's command is one step of the session's history, named by its
// caption and decks; one that changed nothing is none. The progress text
// stays on the status line while a message about the command is open.
Outcome DeckEditorWindow::RunTab()
{
    switch (tab) {
    case kTabExport: {
        screen.ShowStatus(kProgressExport);
        std::vector<int> ticked;
        for (int p = 0; p < kFormats; ++p) {
            if (formats[p]) {
                ticked.push_back(p);
            }
        }
        return session.Export(ticked, currentDeck, exportAll);
    }
    case kTabDelete:
        screen.ShowStatus(kProgressDelete);
        return session.Delete(currentDeck);
    case kTabCreate:
    case kTabEdit: {
        screen.ShowStatus(kProgressEdit);
        Outcome outcome = tab == kTabCreate ? session.Create(currentDeck, code) : session.Edit(currentDeck, code);
        // Back on 作成, so that choosing 編集 again opens the browser again.
        tab = kTabCreate;
        screen.ShowTab(tab);
        return outcome;
    }
    case kTabDuplicate:
        screen.ShowStatus(kProgressDuplicate);
        return session.Duplicate(currentDeck, secondDeck);
    case kTabSwap:
        screen.ShowStatus(kProgressSwap);
        return session.Swap(currentDeck, secondDeck);
    case kTabRestore:
        screen.ShowStatus(kProgressRestore);
        if (!restoreAll) {
            return session.RestoreChosenDeck(currentDeck);
        }
        return Answered([this](unsigned agreed) { return session.RestoreChosenAll(agreed); });
    default:
        return Outcome();
    }
}

void DeckEditorWindow::OnBrowserCode(const std::string& pageCode)
{
    // The page's code is stored as 編集 stores it, whatever tab was chosen
    // since: exporting, deleting, copying or swapping would ignore it.
    if (tab != kTabCreate && tab != kTabEdit) {
        tab = kTabEdit;
    }
    code = pageCode;
    screen.SetCode(code);
    Ok();
}

void DeckEditorWindow::OnBrowserCancelled()
{
    tab = kTabCreate;
    screen.ShowTab(tab);
}

void DeckEditorWindow::Save()
{
    session.CommitRename();
    screen.ShowStatus(kProgressSave);
    Tell(Answered([this](unsigned agreed) { return session.Save(agreed, GameChanges::Ask); }).message);
    ShowCode();
}

Outcome DeckEditorWindow::Answered(const std::function<Outcome(unsigned agreed)>& command)
{
    unsigned agreed = kAskNothing;
    Outcome outcome = command(agreed);
    while (outcome.ask != kAskNothing) {
        if (!screen.Ask(outcome.question)) {
            return Outcome();
        }
        agreed |= outcome.ask;
        outcome = command(agreed);
    }
    return outcome;
}

// ----------------------------------------------------------------- undo, redo

void DeckEditorWindow::Undo() { ShowStep(session.Undo()); }

void DeckEditorWindow::Redo() { ShowStep(session.Redo()); }

// The chosen decks stay; what they now hold is drawn again. The status line
// says what was taken back, where a screen reader reads it, until the next
// command or choice of deck shows a deck's code there again.
void DeckEditorWindow::ShowStep(const Outcome& outcome)
{
    if (!outcome.step.empty()) {
        ShowCardList();
        ShowRows();
    }
    screen.ShowStatus(outcome.status);
}
