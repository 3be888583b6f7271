#pragma once
// One editing session of the save file: the data in memory, its undo
// history, one card list, the backup chosen to restore from and the
// exporter. Every command that changes the data runs here, for the window
// and the command line alike, and returns an Outcome: the step it became,
// the texts to show, or the question to ask before anything is done.
#include "backups/Backups.h"
#include "catalogue/CardCatalogue.h"
#include "gamepaths/GamePaths.h"
#include "history/DeckHistory.h"
#include "savedata/SaveData.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class DeckListExporter;

// What a command needs the player's yes for. A command that asks has done
// nothing; it is run again with the answers given so far.
enum Question : unsigned {
    kAskNothing = 0,
    kAskSaveDamaged = 1u << 0,  // the file's lines looked shifted
    kAskOverwrite = 1u << 1,    // the game rewrote the file since it was read
    kAskRestoreAll = 1u << 2,   // the whole save goes back to the backup
};

struct Outcome {
    // The step the command became, its label ("消去 (デッキ 7)"); for undo
    // and redo the step taken back or done again. Empty: nothing changed.
    std::string step;
    // A message to show as it is; empty for none.
    std::string message;
    // Undo and redo: the status line's text.
    std::string status;
    // Export: the deck lists not written, named as the player is told of them.
    std::vector<std::string> unwritten;
    // Set when the command waits for the player's yes to `question`.
    Question ask = kAskNothing;
    std::string question;
};

// How SAVE treats a file the game rewrote since it was read.
enum class GameChanges {
    Ask,     // ask before writing over them (the window)
    Refuse,  // leave the file, and say so (the command line's save)
};

class EditingSession {
public:
    // Reads the save file and the card list of `paths`; see IsLoaded.
    explicit EditingSession(const GamePaths& paths);
    ~EditingSession();
    EditingSession(const EditingSession&) = delete;
    EditingSession& operator=(const EditingSession&) = delete;

    bool IsLoaded() const { return saveData.IsLoaded(); }
    const GamePaths& Paths() const { return saveData.Paths(); }
    // Read-only access for showing; changes go through the commands below.
    const SaveData& Data() const { return saveData; }
    // The one card list of the session: the decks', the backups' and the window's.
    const CardCatalogue& Catalogue() const { return saveData.Catalogue(); }
    // The backup of the file as it was, taken before anything is written.
    std::string MakeBackup() { return saveData.MakeBackup(); }
    // Called while SAVE waits for another program's turn to write the file.
    void WhileWaitingForTurn(std::function<void()> call) { saveData.whileWaitingForTurn = std::move(call); }

    // The tab commands, each one step when it changed anything.
    Outcome Delete(int slot);
    Outcome Create(int slot, const std::string& code);
    Outcome Edit(int slot, const std::string& code);
    Outcome Duplicate(int source, int target);
    Outcome Swap(int a, int b);
    // Writes the deck lists of the given formats (0-2): one deck or all.
    Outcome Export(const std::vector<int>& formats, int slot, bool allDecks);

    // Renaming by typing: every keystroke gives the row's whole text; the
    // edits of one deck's row become one step when committed, at the first
    // keystroke in another deck's row or at the next command.
    void TypeName(int slot, const std::string& name);
    void CommitRename();
    // A whole rename at once, one step.
    Outcome Rename(int slot, const std::string& name);

    // Undo and redo; a rename still being typed is committed first.
    Outcome Undo();
    Outcome Redo();
    // The menu entries ("元に戻す: 消去 (デッキ 7)"); empty when there is no step.
    std::string UndoCommandText() const;
    std::string RedoCommandText() const;

    // SAVE, with the questions already agreed to.
    Outcome Save(unsigned agreed, GameChanges gameChanges);
    // Writes even over a file the game changed or that looks damaged.
    Outcome Overwrite();

    // 復元 from a backup named by file name or path (the command line).
    Outcome RestoreDeck(int slot, const std::string& backup, int backupSlot);
    Outcome RestoreAll(const std::string& backup);
    // 復元 in the window: the backup folder listed, one backup chosen.
    // Listing chooses none and returns the entry to choose: the one chosen
    // before, or else the newest readable one (0 when there is none).
    int ListBackups();
    const BackupList& Backups() const { return backups; }
    void ChooseBackup(int entry);
    const SaveData* ChosenBackup() const { return chosenBackup.get(); }
    // Why no backup is chosen: none listed, or none readable.
    std::string NoBackupReason() const;
    Outcome RestoreChosenDeck(int slot);
    Outcome RestoreChosenAll(unsigned agreed);

    // "消去 (デッキ 7)", "複製 (デッキ 1 と 2)": a step's label.
    static std::string StepLabel(const std::string& what, int deck, int second = -1);

private:
    bool RenamePending() const;
    // A backup named by file name or path, read with the session's card list.
    std::unique_ptr<SaveData> OpenNamedBackup(const std::string& nameOrPath) const;
    // Runs a change as one step under `label`; its text becomes the message.
    template <typename Change>
    Outcome Step(const std::string& label, Change change);

    SaveData saveData;
    DeckHistory history;
    int renamingDeck = -1;
    DeckHistory::State beforeRename;
    // Built at the first export and kept: the formats are read once a run.
    std::unique_ptr<DeckListExporter> exporter;
    BackupList backups;
    int chosenEntry = -1;
    std::unique_ptr<SaveData> chosenBackup;
};

// The commands' captions, which name their undo steps; the window's tabs
// show the same words.
extern const char kStepRename[], kStepDelete[], kStepCreate[], kStepEdit[], kStepDuplicate[], kStepSwap[],
    kStepRestore[];
