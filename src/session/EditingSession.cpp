#include "session/EditingSession.h"

#include "export/DeckListExporter.h"
#include "rules/DeckRules.h"

#include <algorithm>

const char kStepRename[] = "名前変更";
const char kStepDelete[] = "消去";
const char kStepCreate[] = "作成";
const char kStepEdit[] = "編集";
const char kStepDuplicate[] = "複製";
const char kStepSwap[] = "入替";
const char kStepRestore[] = "復元";

namespace {

const char kStepWholeSave[] = " (セーブデータ全体)";

const char kTextUndone[] = "元に戻しました: ";
const char kTextRedone[] = "やり直しました: ";
const char kTextNothingToUndo[] = "元に戻せる変更はもうないです。";
const char kTextNothingToRedo[] = "やり直せる変更はないです。";
const char kCommandUndo[] = "元に戻す: ";
const char kCommandRedo[] = "やり直す: ";

const char kTextAskSaveDamaged[] = "\r\nそれでもセーブしちゃっていいですか？";
const char kTextAskOverwrite[] = "セーブデータがゲームで書き換えられたみたいです。\r\n上書きしちゃっていいですか？";
// Follows the backup's date and time.
const char kTextAskRestoreAll[] =
    " のバックアップに、セーブデータを丸ごと戻しちゃっていいですか？\r\n"
    "それより後にゲームで手に入れたカードや作ったデッキは無くなっちゃいますよぉ。";

Outcome Asking(Question question, std::string text)
{
    Outcome outcome;
    outcome.ask = question;
    outcome.question = std::move(text);
    return outcome;
}

Outcome Saying(std::string text)
{
    Outcome outcome;
    outcome.message = std::move(text);
    return outcome;
}

}  // namespace

EditingSession::EditingSession(const GamePaths& paths)
    : saveData(paths)
{
}

EditingSession::~EditingSession() = default;

std::string EditingSession::StepLabel(const std::string& what, int deck, int second)
{
    std::string label = what + " (デッキ " + std::to_string(deck + 1);
    if (second >= 0) {
        label += " と " + std::to_string(second + 1);
    }
    return label + ")";
}

// Every command first ends a rename being typed, so that the rename is the
// step before it; a command that changed nothing is no step.
template <typename Change>
Outcome EditingSession::Step(const std::string& label, Change change)
{
    CommitRename();
    const DeckHistory::State before = saveData.Snapshot();
    Outcome outcome = Saying(change());
    if (history.Record(before, saveData, label)) {
        outcome.step = label;
    }
    return outcome;
}

Outcome EditingSession::Delete(int slot)
{
    return Step(StepLabel(kStepDelete, slot), [&] { return ClearDeck(saveData, slot); });
}

Outcome EditingSession::Create(int slot, const std::string& code)
{
    return Step(StepLabel(kStepCreate, slot), [&] { return CreateDeck(saveData, slot, code); });
}

Outcome EditingSession::Edit(int slot, const std::string& code)
{
    return Step(StepLabel(kStepEdit, slot), [&] { return StoreDeck(saveData, slot, code); });
}

Outcome EditingSession::Duplicate(int source, int target)
{
    return Step(StepLabel(kStepDuplicate, source, target), [&] { return DuplicateDeck(saveData, source, target); });
}

Outcome EditingSession::Swap(int a, int b)
{
    return Step(StepLabel(kStepSwap, a, b), [&] { return SwapDecks(saveData, a, b); });
}

Outcome EditingSession::Export(const std::vector<int>& formats, int slot, bool allDecks)
{
    CommitRename();
    // Built even when no format is chosen: it writes the missing format files.
    if (!exporter) {
        exporter = std::make_unique<DeckListExporter>(saveData, saveData.Paths());
    }
    Outcome outcome;
    for (int format : formats) {
        if (!exporter->WriteDeckList(format, slot, allDecks)) {
            const std::string shown = GamePaths::ShownExportFile(ExportFileName(format, slot, allDecks));
            outcome.message += (outcome.message.empty() ? "" : "\r\n") + CannotWriteDeckListText(shown);
            outcome.unwritten.push_back(shown);
        }
    }
    return outcome;
}

// ---------------------------------------------------------------- renaming

void EditingSession::TypeName(int slot, const std::string& name)
{
    if (slot != renamingDeck) {
        CommitRename();
        renamingDeck = slot;
        beforeRename = saveData.Snapshot();
    }
    saveData.Deck(slot).SetName(name);
}

void EditingSession::CommitRename()
{
    if (renamingDeck >= 0) {
        history.Record(beforeRename, saveData, StepLabel(kStepRename, renamingDeck));
        renamingDeck = -1;
        beforeRename = DeckHistory::State();
    }
}

Outcome EditingSession::Rename(int slot, const std::string& name)
{
    CommitRename();
    return Step(StepLabel(kStepRename, slot), [&] {
        saveData.Deck(slot).SetName(name);
        return std::string();
    });
}

bool EditingSession::RenamePending() const
{
    return renamingDeck >= 0 && saveData.Snapshot() != beforeRename;
}

// --------------------------------------------------------------- undo, redo

Outcome EditingSession::Undo()
{
    CommitRename();
    Outcome outcome;
    outcome.step = history.Undo(saveData);
    outcome.status = outcome.step.empty() ? kTextNothingToUndo : kTextUndone + outcome.step;
    return outcome;
}

Outcome EditingSession::Redo()
{
    CommitRename();
    Outcome outcome;
    outcome.step = history.Redo(saveData);
    outcome.status = outcome.step.empty() ? kTextNothingToRedo : kTextRedone + outcome.step;
    return outcome;
}

// A rename still being typed is the step that Undo takes back first, and no
// step can be redone after it.
std::string EditingSession::UndoCommandText() const
{
    const std::string label = RenamePending() ? StepLabel(kStepRename, renamingDeck) : history.NextUndo();
    return label.empty() ? label : kCommandUndo + label;
}

std::string EditingSession::RedoCommandText() const
{
    const std::string label = RenamePending() ? std::string() : history.NextRedo();
    return label.empty() ? label : kCommandRedo + label;
}

// --------------------------------------------------------------------- SAVE

Outcome EditingSession::Save(unsigned agreed, GameChanges gameChanges)
{
    CommitRename();
    // Shifted lines may mean the decks held are not the game's: writing them
    // would make the damage permanent, so only a player who agrees does.
    if (saveData.LooksDamaged() && !(agreed & kAskSaveDamaged)) {
        return Asking(kAskSaveDamaged, std::string(kTextLooksDamaged) + kTextAskSaveDamaged);
    }
    // The game may have saved progress since the file was read; writing our
    // older copy of its lines over it would lose that progress. Write itself
    // looks again right before replacing the file, and refuses then.
    if (gameChanges == GameChanges::Ask && saveData.ChangedOnDisk()) {
        if (!(agreed & kAskOverwrite)) {
            return Asking(kAskOverwrite, kTextAskOverwrite);
        }
        return Saying(saveData.Overwrite());
    }
    return Saying(saveData.Write());
}

Outcome EditingSession::Overwrite()
{
    CommitRename();
    return Saying(saveData.Overwrite());
}

// ------------------------------------------------------------------- 復元

std::unique_ptr<SaveData> EditingSession::OpenNamedBackup(const std::string& nameOrPath) const
{
    return OpenBackup(saveData.Paths(), BackupPath(saveData.Paths(), nameOrPath), saveData.Catalogue());
}

Outcome EditingSession::RestoreDeck(int slot, const std::string& backup, int backupSlot)
{
    const std::unique_ptr<SaveData> opened = OpenNamedBackup(backup);
    if (!opened) {
        return Saying(kTextBackupUnreadable);
    }
    return Step(StepLabel(kStepRestore, slot),
                [&] { return ::RestoreDeck(saveData, slot, *opened, backupSlot); });
}

Outcome EditingSession::RestoreAll(const std::string& backup)
{
    const std::unique_ptr<SaveData> opened = OpenNamedBackup(backup);
    if (!opened) {
        return Saying(kTextBackupUnreadable);
    }
    return Step(std::string(kStepRestore) + kStepWholeSave,
                [&] { return ::RestoreAll(saveData, opened->KnownFileBytes()); });
}

int EditingSession::ListBackups()
{
    const std::string previous =
        chosenBackup ? backups.entries[static_cast<std::size_t>(chosenEntry)].fileName : std::string();
    backups = ::ListBackups(saveData.Paths(), &saveData);
    int chosen = -1;
    for (std::size_t i = 0; i < backups.entries.size(); ++i) {
        const BackupEntry& entry = backups.entries[i];
        if (entry.readable && (chosen < 0 || entry.fileName == previous)) {
            chosen = static_cast<int>(i);
        }
    }
    chosenEntry = -1;
    chosenBackup.reset();
    return std::max(chosen, 0);
}

void EditingSession::ChooseBackup(int entry)
{
    chosenEntry = entry;
    chosenBackup.reset();
    if (entry >= 0 && entry < static_cast<int>(backups.entries.size()) &&
        backups.entries[static_cast<std::size_t>(entry)].readable) {
        chosenBackup =
            OpenBackup(saveData.Paths(), backups.entries[static_cast<std::size_t>(entry)].path, saveData.Catalogue());
    }
}

std::string EditingSession::NoBackupReason() const
{
    const std::string reason = EmptyListReason(backups);
    return reason.empty() ? std::string(kTextBackupUnreadable) : reason;
}

Outcome EditingSession::RestoreChosenDeck(int slot)
{
    if (!chosenBackup) {
        CommitRename();
        return Saying(NoBackupReason());
    }
    return Step(StepLabel(kStepRestore, slot), [&] { return ::RestoreDeck(saveData, slot, *chosenBackup, slot); });
}

Outcome EditingSession::RestoreChosenAll(unsigned agreed)
{
    CommitRename();
    if (!chosenBackup) {
        return Saying(NoBackupReason());
    }
    // Cards won and decks built in the game since the backup go with it.
    if (!(agreed & kAskRestoreAll)) {
        return Asking(kAskRestoreAll,
                      backups.entries[static_cast<std::size_t>(chosenEntry)].stamp + kTextAskRestoreAll);
    }
    return Step(std::string(kStepRestore) + kStepWholeSave,
                [&] { return ::RestoreAll(saveData, chosenBackup->KnownFileBytes()); });
}
