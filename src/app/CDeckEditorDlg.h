#pragma once
// The main window: the deck grid, the seven tab commands, SAVE, undo and
// redo, and the status line. It reaches the screen only through a View.
#include "app/Resource.h"
#include "view/View.h"
#include "browser/BrowserClient.h"
#include "browser/CBrowser.h"
#include "savedata/SaveData.h"
#include "session/EditingSession.h"

#include <functional>
#include <string>

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
    BrowserClient browser;
    int icon = 0;
    // Every change to the data runs through the session; the window shows
    // what it holds.
    EditingSession session;
    const SaveData& saveData;
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
    Outcome RestoreFromBackup();
    // Runs a command, asking each question it has until it is done; the
    // empty outcome when the player says no.
    Outcome Answered(const std::function<Outcome(unsigned agreed)>& command);
    // The rows' names and both columns' marks at the scroll position.
    void RedrawGrid(int position);
    void ShowStep(const Outcome& outcome);

    View& view;
};
