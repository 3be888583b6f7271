#pragma once
// The main window: the deck grid, the seven tab commands, SAVE and the status
// line. It reaches the screen only through a View.
#include "app/Resource.h"
#include "view/View.h"
#include "backups/Backups.h"
#include "catalogue/CardCatalogue.h"
#include "browser/CBrowser.h"
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
    // Reads ../File/Save.dat and list.xml; shows nothing.
    explicit CDeckEditorDlg(View& view);
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
    // 復元: a backup chosen in the list.
    void OnBackupSelChange();
    bool ShowMessage(const std::string& text);

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

    View& view;
    // Built at the first Export and kept for the run. Declared after the save
    // data it refers to, so it goes first.
    std::unique_ptr<DeckListExporter> exporter;
    // 復元: the backups as last listed, and the one chosen (its entry, read).
    BackupList backups;
    int chosenEntry = -1;
    std::unique_ptr<SaveData> chosenBackup;
};
