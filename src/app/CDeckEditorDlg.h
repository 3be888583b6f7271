#pragma once
// The main window: the deck grid, the seven tab commands, SAVE, undo and
// redo, and the status line. It reaches the screen only through a View.
#include "app/Resource.h"
#include "view/View.h"
#include "backups/Backups.h"
#include "catalogue/CardCatalogue.h"
#include "browser/CBrowser.h"
#include "history/DeckHistory.h"
#include "savedata/SaveData.h"

#include <memory>
#include <string>

class DeckListExporter;

// Shows a non-empty text in a message box owned by `owner`; false (and nothing
// shown) for the empty text.
bool ShowMessage(const std::string& text, View& owner);

extern const char kMessageCaption[];

class CDeckEditorDlg : public BrowserOwner {
public:
    // Reads the save file and the card list of `paths`; shows nothing.
    CDeckEditorDlg(View& view, const GamePaths& paths);
    ~CDeckEditorDlg() override;
    CDeckEditorDlg(const CDeckEditorDlg&) = delete;
    CDeckEditorDlg& operator=(const CDeckEditorDlg&) = delete;

    // Members in construction order.
    CBrowser browser;
    int icon = 0;
    SaveData saveData;
    CardCatalogue catalogue;
    int currentDeck = 0;
    int secondDeck = 0;

    View& GetView() { return view; }

    // Start-up; false when the dialog has ended (no save file).
    bool OnInitDialog();
    // Every way of leaving the window (close box, Escape, Enter on OK) comes
    // here. Nothing is written.
    void EndDialogRequested(int result);

    // Deck grid.
    void OnVScroll(int code, int thumbPosition);
    void OnDeckRadio(int k);
    void OnDeckNameChange(int row);
    // A name row has lost the focus: what was typed in it becomes one step.
    void OnDeckNameEditEnd();
    void UpdateCardList();
    void UpdateStatusCode();
    void RefreshRows();
    void ShowSecondColumn(bool show);

    // Tab commands.
    void OnOkClicked();
    // The browser dialog's ok and cancel.
    void OnBrowserCode(const std::string& code) override;
    void OnBrowserCancelled() override;
    ViewRect OwnerWindowRect() const override { return view.GetWindowRect(); }
    void OnSaveClicked();
    bool OnTabSelChange();
    void ShowMaidCodeControls(bool show);
    void ShowFormatControls(bool show);
    void ShowRestoreControls(bool show);
    // The controls of a tab, and only those.
    void ShowControlsOf(int tab);
    // 復元: a backup chosen in the list.
    void OnBackupSelChange();
    bool ShowMessage(const std::string& text);

    // Undo and redo of the changes to the save data in memory, each step one
    // command, one edited row or one restore; the status line says which.
    void OnUndo();
    void OnRedo();
    // The menu entries for them, naming the step; empty when there is none.
    std::string UndoCommandText() const;
    std::string RedoCommandText() const;

    // Scroll codes of the vertical scroll event.
    enum ScrollCode {
        SB_LINEUP = 0,
        SB_LINEDOWN = 1,
        SB_PAGEUP = 2,
        SB_PAGEDOWN = 3,
        SB_THUMBPOSITION = 4,
        SB_THUMBTRACK = 5,
        SB_TOP = 6,
        SB_BOTTOM = 7,
        SB_ENDSCROLL = 8,
    };

private:
    int ScrollPosition() const { return view.GetScrollPos(IDC_SCROLL); }
    void ShowRowMarks(int position);
    // Reads the backup folder into the list (on choosing 復元, never at start-up).
    void ListBackupsInView();
    void RestoreFromBackup();
    // Why no backup is chosen: none listed, or none readable.
    std::string NoBackupReason() const;
    // The rows' names and both columns' marks at the scroll position.
    void RedrawGrid(int position);
    // "消去 (デッキ 7)": what a step did to which decks, for the status line.
    std::string StepLabel(const char* what, int deck, int second = -1) const;
    bool RenamePending() const;
    void CommitRename();
    void ShowStep(const std::string& label, const char* done, const char* none);

    View& view;
    DeckHistory history;
    // The deck whose row is being edited, and the data before its first keystroke.
    int renamingDeck = -1;
    DeckHistory::State beforeRename;
    // Built at the first Export and kept for the run. Declared after the save
    // data it refers to, so it goes first.
    std::unique_ptr<DeckListExporter> exporter;
    // 復元: the backups as last listed, and the one chosen (its entry, read).
    BackupList backups;
    int chosenEntry = -1;
    std::unique_ptr<SaveData> chosenBackup;
};
