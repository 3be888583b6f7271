#include "app/CDeckEditorDlg.h"

#include "appinfo/Version.h"
#include "export/DeckListExporter.h"
#include "rules/DeckRules.h"
#include "deckcode/DazoRozi.h"

#include <algorithm>

const char kMessageCaption[] = "ご、ご主人様ぁ～";

namespace {

const char kTextInitialising[] = "初期化中...";
const char kWindowCaption[] = "Zev DeckEditor ";

const char* const kTabCaptions[] = {"書出", "消去", "作成", "編集", "複製", "入替", "復元"};
enum { kTabExport, kTabDelete, kTabCreate, kTabEdit, kTabDuplicate, kTabSwap, kTabRestore, kTabCount };

const char kProgressExport[] = "デッキリスト作成中...";
const char kProgressDelete[] = "デッキ消去中...";
const char kProgressCreate[] = "デッキ名クリア中...";
const char kProgressEdit[] = "DAZO Rozi展開中...";
const char kProgressDuplicate[] = "デッキコピー中...";
const char kProgressSwap[] = "デッキ入れ替え中...";
const char kProgressRestore[] = "バックアップから復元中...";
const char kProgressSave[] = "セーブ中...";
const char kTextAskSaveDamaged[] = "\r\nそれでもセーブしちゃっていいですか？";
const char kTextAskOverwrite[] = "セーブデータがゲームで書き換えられたみたいです。\r\n上書きしちゃっていいですか？";
// Follows the backup's date and time.
const char kTextAskRestoreAll[] =
    " のバックアップに、セーブデータを丸ごと戻しちゃっていいですか？\r\n"
    "それより後にゲームで手に入れたカードや作ったデッキは無くなっちゃいますよぉ。";
const char kTextUnreadableEntry[] = " 読めません";
const char kTextAskDiscard[] = "まだセーブしていない変更がありますよぉ。\r\n保存しないで終わっちゃっていいですか？";

// Undo and redo: the step's label follows, e.g. "消去 (デッキ 7)".
const char kTextUndone[] = "元に戻しました: ";
const char kTextRedone[] = "やり直しました: ";
const char kTextNothingToUndo[] = "元に戻せる変更はもうないです。";
const char kTextNothingToRedo[] = "やり直せる変更はないです。";
const char kCommandUndo[] = "元に戻す: ";
const char kCommandRedo[] = "やり直す: ";
const char kStepRename[] = "名前変更";
const char kStepWholeSave[] = " (セーブデータ全体)";

constexpr int kLastPosition = SaveData::kDecks - kRows;  // 43

}  // namespace

bool ShowMessage(const std::string& text, View& owner)
{
    if (text.empty()) {
        return false;
    }
    owner.MessageBox(text, kMessageCaption, MB_OK);
    return true;
}

CDeckEditorDlg::CDeckEditorDlg(View& v, const GamePaths& paths)
    : browser(paths), saveData(paths), catalogue(CardCatalogue::Shared(paths.CardList())), view(v)
{
    icon = IDR_MAINFRAME;
}

CDeckEditorDlg::~CDeckEditorDlg() = default;

bool CDeckEditorDlg::OnInitDialog()
{
    view.SetItemText(IDC_STATUS, kTextInitialising);
    view.SetWindowText(std::string(kWindowCaption) + kVersionText);
    browser.Create(this);
    view.SetIcon(icon);
    for (int i = 0; i < kTabCount; ++i) {
        view.InsertTab(IDC_TAB, i, kTabCaptions[i]);
    }
    view.SetScrollRange(IDC_SCROLL, 0, kLastPosition);
    currentDeck = 0;
    secondDeck = 0;
    view.SetCheck(IDC_FORMAT1, true);
    view.SetCheck(IDC_ONE, true);
    view.SetCheck(IDC_RESTORE_ONE, true);
    view.SetCheck(IDC_RADIO_A, true);
    view.SetCheck(IDC_RADIO_B, true);
    ShowSecondColumn(false);

    if (!saveData.IsLoaded()) {
        ShowMessage(kTextCannotOpenSaveData);
        // Not a user's ending: there is nothing loaded that could be kept.
        view.EndDialog(IDCANCEL);
        return false;
    }
    ShowMessage(saveData.MakeBackup());
    if (saveData.LooksDamaged()) {
        ShowMessage(kTextLooksDamaged);
    }
    ShowMessage(CardListProblem(saveData.Paths().CardList()));
    UpdateCardList();
    for (int r = 0; r < kRows; ++r) {
        view.SetItemText(IDC_NAME_ROW + r, saveData.Deck(r).Name());
    }
    UpdateStatusCode();
    return true;
}

void CDeckEditorDlg::EndDialogRequested(int result)
{
    // One stray Escape must not throw away an evening's edits. Nothing is
    // written at exit either way.
    if (saveData.IsLoaded() && saveData.HasUnsavedChanges() &&
        view.MessageBox(kTextAskDiscard, kMessageCaption, MB_YESNO | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    view.EndDialog(result);
}

// ------------------------------------------------------------------ deck grid

void CDeckEditorDlg::OnVScroll(int code, int thumbPosition)
{
    int minimum = 0;
    int maximum = 0;
    view.GetScrollRange(IDC_SCROLL, minimum, maximum);
    int position = ScrollPosition();
    switch (code) {
    case SB_LINEUP: position -= 1; break;
    case SB_LINEDOWN: position += 1; break;
    case SB_PAGEUP: position -= kRows; break;
    case SB_PAGEDOWN: position += kRows; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = thumbPosition; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = maximum; break;
    default: break;
    }
    if (position < 0) {
        position = 0;
    }
    if (position > maximum) {
        position = maximum;
    }
    view.SetScrollPos(IDC_SCROLL, position);
    RedrawGrid(position);
}

void CDeckEditorDlg::RedrawGrid(int position)
{
    for (int r = 0; r < kRows; ++r) {
        view.SetItemText(IDC_NAME_ROW + r, saveData.Deck(position + r).Name());
        view.SetCheck(IDC_RADIO_A + r, false);
        view.SetCheck(IDC_RADIO_B + r, false);
    }
    ShowRowMarks(position);
}

void CDeckEditorDlg::ShowRowMarks(int position)
{
    if (position <= currentDeck && currentDeck < position + kRows) {
        view.SetCheck(IDC_RADIO_A + currentDeck - position, true);
    }
    if (position <= secondDeck && secondDeck < position + kRows) {
        view.SetCheck(IDC_RADIO_B + secondDeck - position, true);
    }
}

void CDeckEditorDlg::OnDeckRadio(int k)
{
    if (k < 0 || k >= 2 * kRows) {
        return;
    }
    if (k < kRows) {
        currentDeck = ScrollPosition() + k;
        UpdateCardList();
        UpdateStatusCode();
    } else {
        secondDeck = ScrollPosition() + (k - kRows);
    }
}

void CDeckEditorDlg::OnDeckNameChange(int row)
{
    if (row < 0 || row >= kRows) {
        return;
    }
    // Typing reaches here at every keystroke; the history takes one step per
    // edited row, so a row of another deck ends the rename before it.
    const int deck = ScrollPosition() + row;
    if (deck != renamingDeck) {
        CommitRename();
        renamingDeck = deck;
        beforeRename = saveData.Snapshot();
    }
    saveData.Deck(deck).SetName(view.GetItemText(IDC_NAME_ROW + row));
}

void CDeckEditorDlg::OnDeckNameEditEnd() { CommitRename(); }

bool CDeckEditorDlg::RenamePending() const
{
    return renamingDeck >= 0 && saveData.Snapshot() != beforeRename;
}

void CDeckEditorDlg::CommitRename()
{
    if (renamingDeck >= 0) {
        history.Record(beforeRename, saveData, StepLabel(kStepRename, renamingDeck));
        renamingDeck = -1;
        beforeRename = DeckHistory::State();
    }
}

void CDeckEditorDlg::UpdateCardList()
{
    std::string text;
    const DeckRecord* deck = &saveData.Deck(currentDeck);
    // On 復元 the pane shows what would come back: the chosen backup's deck
    // of this slot, with its name.
    if (view.GetCurSel(IDC_TAB) == kTabRestore) {
        if (!chosenBackup) {
            view.SetItemText(IDC_CARDLIST, NoBackupReason());
            return;
        }
        deck = &chosenBackup->Deck(currentDeck);
        text = deck->Name() + "\r\n\r\n";
    }
    const std::uint8_t* counts = deck->Counts();
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        if (counts[i] != 0) {
            text += catalogue.GetName(i);
            text += " x ";
            text += std::to_string(counts[i]);
            text += "\r\n";
        }
    }
    view.SetItemText(IDC_CARDLIST, text);
}

void CDeckEditorDlg::UpdateStatusCode()
{
    view.SetItemText(IDC_STATUS, encode(saveData.Deck(currentDeck)));
}

void CDeckEditorDlg::RefreshRows()
{
    const int position = ScrollPosition();
    for (int r = 0; r < kRows; ++r) {
        view.SetItemText(IDC_NAME_ROW + r, saveData.Deck(position + r).Name());
    }
}

void CDeckEditorDlg::ShowSecondColumn(bool show)
{
    for (int r = 0; r < kRows; ++r) {
        view.ShowItem(IDC_RADIO_B + r, show);
    }
}

// --------------------------------------------------------------- tab commands

void CDeckEditorDlg::OnOkClicked()
{
    CommitRename();
    const int tab = view.GetCurSel(IDC_TAB);
    // Every tab's command is one step, named by its caption and the decks it
    // was given (the second column's when it shows); one that changed
    // nothing is none.
    const DeckHistory::State before = saveData.Snapshot();
    std::string label = tab >= 0 && tab < kTabCount
                            ? StepLabel(kTabCaptions[tab], currentDeck,
                                        view.IsItemVisible(IDC_RADIO_B) ? secondDeck : -1)
                            : std::string();
    if (tab == kTabRestore && view.GetCheck(IDC_RESTORE_ALL)) {
        label = std::string(kTabCaptions[tab]) + kStepWholeSave;  // it replaced every deck, not the current one
    }
    switch (tab) {
    case kTabExport:
        view.SetItemText(IDC_STATUS, kProgressExport);
        if (!exporter) {
            exporter = std::make_unique<DeckListExporter>(saveData, saveData.Paths());
        }
        {
            std::string failed;
            for (int p = 0; p < kFormats; ++p) {
                const bool all = view.GetCheck(IDC_ALL);
                if (view.GetCheck(IDC_FORMAT1 + p) && !exporter->WriteDeckList(p, currentDeck, all)) {
                    failed += (failed.empty() ? "" : "\r\n") +
                              CannotWriteDeckListText(GamePaths::ShownExportFile(ExportFileName(p, currentDeck, all)));
                }
            }
            ShowMessage(failed);
        }
        break;
    case kTabDelete:
        view.SetItemText(IDC_STATUS, kProgressDelete);
        ShowMessage(ClearDeck(saveData, currentDeck));
        break;
    case kTabCreate:
    case kTabEdit:
        if (tab == kTabCreate) {
            view.SetItemText(IDC_STATUS, kProgressCreate);
        }
        view.SetItemText(IDC_STATUS, kProgressEdit);
        ShowMessage((tab == kTabCreate ? CreateDeck : StoreDeck)(saveData, currentDeck,
                                                                  view.GetItemText(IDC_MAIDCODE)));
        view.SetCurSel(IDC_TAB, kTabCreate);
        break;
    case kTabDuplicate:
        view.SetItemText(IDC_STATUS, kProgressDuplicate);
        ShowMessage(DuplicateDeck(saveData, currentDeck, secondDeck));
        break;
    case kTabSwap:
        view.SetItemText(IDC_STATUS, kProgressSwap);
        ShowMessage(SwapDecks(saveData, currentDeck, secondDeck));
        break;
    case kTabRestore:
        view.SetItemText(IDC_STATUS, kProgressRestore);
        RestoreFromBackup();
        break;
    default:
        break;
    }
    if (!label.empty()) {
        history.Record(before, saveData, label);
    }
    UpdateStatusCode();
    UpdateCardList();
    RefreshRows();
}

void CDeckEditorDlg::OnBrowserCode(const std::string& code)
{
    // The page's code is stored as 編集 stores it, whatever tab was chosen
    // since: exporting, deleting, copying or swapping would ignore it.
    const int tab = view.GetCurSel(IDC_TAB);
    if (tab != kTabCreate && tab != kTabEdit) {
        view.SetCurSel(IDC_TAB, kTabEdit);
    }
    view.SetItemText(IDC_MAIDCODE, code);
    OnOkClicked();
    if (tab != kTabCreate && tab != kTabEdit) {
        ShowControlsOf(kTabEdit);
    }
}

void CDeckEditorDlg::OnBrowserCancelled()
{
    // Selecting by program raises no tab change, so no hand-over runs.
    view.SetCurSel(IDC_TAB, kTabCreate);
}

void CDeckEditorDlg::OnSaveClicked()
{
    CommitRename();
    view.SetItemText(IDC_STATUS, kProgressSave);
    // Shifted lines may mean the decks shown are not the game's: writing
    // them would make the damage permanent, so only a player who agrees does.
    if (saveData.LooksDamaged() &&
        view.MessageBox(std::string(kTextLooksDamaged) + kTextAskSaveDamaged, kMessageCaption,
                        MB_YESNO | MB_DEFBUTTON2) != IDYES) {
        UpdateStatusCode();
        return;
    }
    // The game may have saved progress while the editor was open; writing our
    // older copy of its lines over it would lose that progress.
    if (!saveData.ChangedOnDisk()) {
        // Write looks again right before replacing the file.
        ShowMessage(saveData.Write());
    } else if (view.MessageBox(kTextAskOverwrite, kMessageCaption, MB_YESNO | MB_DEFBUTTON2) == IDYES) {
        ShowMessage(saveData.Overwrite());
    }
    UpdateStatusCode();
}

bool CDeckEditorDlg::OnTabSelChange()
{
    const int tab = view.GetCurSel(IDC_TAB);
    if (tab < 0 || tab >= kTabCount) {
        return true;
    }
    if (tab == kTabEdit) {
        const DeckRecord& deck = saveData.Deck(currentDeck);
        browser.ShowDeckInPage(encode(deck));
        browser.SetDeckCaption(deck.Name());
        browser.ShowWindow(true);
    }
    if (tab == kTabRestore) {
        ListBackupsInView();
    }
    ShowControlsOf(tab);
    UpdateCardList();
    return true;
}

void CDeckEditorDlg::ShowControlsOf(int tab)
{
    // Column B, DAZO Rozi set, Format set, backup set.
    static const bool kShown[kTabCount][4] = {
        {false, false, true, false}, {false, false, false, false}, {false, true, false, false},
        {false, true, false, false}, {true, false, false, false},  {true, false, false, false},
        {false, false, false, true},
    };
    ShowSecondColumn(kShown[tab][0]);
    ShowMaidCodeControls(kShown[tab][1]);
    ShowFormatControls(kShown[tab][2]);
    ShowRestoreControls(kShown[tab][3]);
}

void CDeckEditorDlg::ShowMaidCodeControls(bool show)
{
    view.ShowItem(IDC_MAIDCODE, show);
    view.ShowItem(IDC_MAIDCODE_LABEL, show);
}

void CDeckEditorDlg::ShowFormatControls(bool show)
{
    for (int p = 0; p < kFormats; ++p) {
        view.ShowItem(IDC_FORMAT1 + p, show);
    }
    view.ShowItem(IDC_FORMAT_FRAME, show);
    view.ShowItem(IDC_ONE, show);
    view.ShowItem(IDC_ALL, show);
}

void CDeckEditorDlg::ShowRestoreControls(bool show)
{
    view.ShowItem(IDC_BACKUPS, show);
    view.ShowItem(IDC_RESTORE_ONE, show);
    view.ShowItem(IDC_RESTORE_ALL, show);
}

void CDeckEditorDlg::ListBackupsInView()
{
    // The backup chosen before stays chosen; otherwise the newest readable one.
    const std::string previous = chosenBackup ? backups.entries[static_cast<std::size_t>(chosenEntry)].fileName : "";
    backups = ListBackups(saveData.Paths());
    view.ClearList(IDC_BACKUPS);
    const std::string reason = EmptyListReason(backups);
    if (!reason.empty()) {
        // One line: the list itself says why it is empty.
        view.AddListItem(IDC_BACKUPS, reason.substr(0, reason.find('\r')), false);
    }
    int chosen = -1;
    for (std::size_t i = 0; i < backups.entries.size(); ++i) {
        const BackupEntry& entry = backups.entries[i];
        view.AddListItem(IDC_BACKUPS, entry.readable ? entry.stamp : entry.stamp + kTextUnreadableEntry,
                         entry.readable);
        if (entry.readable && (chosen < 0 || entry.fileName == previous)) {
            chosen = static_cast<int>(i);
        }
    }
    view.SetCurSel(IDC_BACKUPS, std::max(chosen, 0));
    OnBackupSelChange();
}

void CDeckEditorDlg::OnBackupSelChange()
{
    chosenEntry = view.GetCurSel(IDC_BACKUPS);
    chosenBackup.reset();
    if (chosenEntry >= 0 && chosenEntry < static_cast<int>(backups.entries.size()) &&
        backups.entries[static_cast<std::size_t>(chosenEntry)].readable) {
        chosenBackup = OpenBackup(saveData.Paths(), backups.entries[static_cast<std::size_t>(chosenEntry)].path);
    }
    UpdateCardList();
}

std::string CDeckEditorDlg::NoBackupReason() const
{
    const std::string reason = EmptyListReason(backups);
    return reason.empty() ? std::string(kTextBackupUnreadable) : reason;
}

void CDeckEditorDlg::RestoreFromBackup()
{
    if (!chosenBackup) {
        ShowMessage(NoBackupReason());
        return;
    }
    if (!view.GetCheck(IDC_RESTORE_ALL)) {
        ShowMessage(RestoreDeck(saveData, currentDeck, *chosenBackup, currentDeck));
        return;
    }
    // Cards won and decks built in the game since the backup go with it.
    const std::string& stamp = backups.entries[static_cast<std::size_t>(chosenEntry)].stamp;
    if (view.MessageBox(stamp + kTextAskRestoreAll, kMessageCaption, MB_YESNO | MB_DEFBUTTON2) == IDYES) {
        ShowMessage(RestoreAll(saveData, chosenBackup->KnownFileBytes()));
    }
}

bool CDeckEditorDlg::ShowMessage(const std::string& text)
{
    return ::ShowMessage(text, view);
}

// ----------------------------------------------------------------- undo, redo

std::string CDeckEditorDlg::StepLabel(const char* what, int deck, int second) const
{
    std::string label = std::string(what) + " (デッキ " + std::to_string(deck + 1);
    if (second >= 0) {
        label += " と " + std::to_string(second + 1);
    }
    return label + ")";
}

void CDeckEditorDlg::OnUndo()
{
    CommitRename();
    ShowStep(history.Undo(saveData), kTextUndone, kTextNothingToUndo);
}

void CDeckEditorDlg::OnRedo()
{
    CommitRename();
    ShowStep(history.Redo(saveData), kTextRedone, kTextNothingToRedo);
}

// The selected decks stay; what they now hold is drawn again. The status line
// says what was taken back, where a screen reader reads it, until the next
// command or choice of deck shows a deck's code there again.
void CDeckEditorDlg::ShowStep(const std::string& label, const char* done, const char* none)
{
    if (label.empty()) {
        view.SetItemText(IDC_STATUS, none);
        return;
    }
    UpdateCardList();
    RedrawGrid(ScrollPosition());
    view.SetItemText(IDC_STATUS, done + label);
}

// A rename still being typed is the step that Undo takes back first, and no
// step can be redone after it.
std::string CDeckEditorDlg::UndoCommandText() const
{
    const std::string label = RenamePending() ? StepLabel(kStepRename, renamingDeck) : history.NextUndo();
    return label.empty() ? label : kCommandUndo + label;
}

std::string CDeckEditorDlg::RedoCommandText() const
{
    const std::string label = RenamePending() ? std::string() : history.NextRedo();
    return label.empty() ? label : kCommandRedo + label;
}
