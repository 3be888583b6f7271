#include "app/CDeckEditorDlg.h"

#include "appinfo/Version.h"
#include "catalogue/CardCatalogue.h"

#include <vector>

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
const char kTextUnreadableEntry[] = " 読めません";
const char kTextAskDiscard[] = "まだセーブしていない変更がありますよぉ。\r\n保存しないで終わっちゃっていいですか？";

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
    : browser(paths), session(paths), saveData(session.Data()), view(v)
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
    ShowMessage(session.MakeBackup());
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
    session.TypeName(ScrollPosition() + row, view.GetItemText(IDC_NAME_ROW + row));
}

void CDeckEditorDlg::OnDeckNameEditEnd() { session.CommitRename(); }

void CDeckEditorDlg::UpdateCardList()
{
    std::string text;
    const DeckRecord* deck = &saveData.Deck(currentDeck);
    // On 復元 the pane shows what would come back: the chosen backup's deck
    // of this slot, with its name.
    if (view.GetCurSel(IDC_TAB) == kTabRestore) {
        if (!session.ChosenBackup()) {
            view.SetItemText(IDC_CARDLIST, session.NoBackupReason());
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
    session.CommitRename();
    const int tab = view.GetCurSel(IDC_TAB);
    // Every tab's command is one step of the session's history, named by its
    // caption and decks; one that changed nothing is none.
    Outcome outcome;
    switch (tab) {
    case kTabExport: {
        view.SetItemText(IDC_STATUS, kProgressExport);
        std::vector<int> formats;
        for (int p = 0; p < kFormats; ++p) {
            if (view.GetCheck(IDC_FORMAT1 + p)) {
                formats.push_back(p);
            }
        }
        outcome = session.Export(formats, currentDeck, view.GetCheck(IDC_ALL));
        break;
    }
    case kTabDelete:
        view.SetItemText(IDC_STATUS, kProgressDelete);
        outcome = session.Delete(currentDeck);
        break;
    case kTabCreate:
    case kTabEdit:
        if (tab == kTabCreate) {
            view.SetItemText(IDC_STATUS, kProgressCreate);
        }
        view.SetItemText(IDC_STATUS, kProgressEdit);
        outcome = tab == kTabCreate ? session.Create(currentDeck, view.GetItemText(IDC_MAIDCODE))
                                    : session.Edit(currentDeck, view.GetItemText(IDC_MAIDCODE));
        view.SetCurSel(IDC_TAB, kTabCreate);
        break;
    case kTabDuplicate:
        view.SetItemText(IDC_STATUS, kProgressDuplicate);
        outcome = session.Duplicate(currentDeck, secondDeck);
        break;
    case kTabSwap:
        view.SetItemText(IDC_STATUS, kProgressSwap);
        outcome = session.Swap(currentDeck, secondDeck);
        break;
    case kTabRestore:
        view.SetItemText(IDC_STATUS, kProgressRestore);
        outcome = RestoreFromBackup();
        break;
    default:
        break;
    }
    ShowMessage(outcome.message);
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
    session.CommitRename();
    view.SetItemText(IDC_STATUS, kProgressSave);
    ShowMessage(Answered([this](unsigned agreed) { return session.Save(agreed, GameChanges::Ask); }).message);
    UpdateStatusCode();
}

Outcome CDeckEditorDlg::Answered(const std::function<Outcome(unsigned agreed)>& command)
{
    unsigned agreed = kAskNothing;
    Outcome outcome = command(agreed);
    while (outcome.ask != kAskNothing) {
        if (view.MessageBox(outcome.question, kMessageCaption, MB_YESNO | MB_DEFBUTTON2) != IDYES) {
            return Outcome();
        }
        agreed |= outcome.ask;
        outcome = command(agreed);
    }
    return outcome;
}

bool CDeckEditorDlg::OnTabSelChange()
{
    const int tab = view.GetCurSel(IDC_TAB);
    if (tab < 0 || tab >= kTabCount) {
        return true;
    }
    if (tab == kTabEdit) {
        const DeckRecord& deck = saveData.Deck(currentDeck);
        OpenRequest request;
        request.slot = currentDeck + 1;
        request.name = deck.Name();
        request.code = encode(deck);
        browser.Open(request);
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
    const int chosen = session.ListBackups();
    const BackupList& backups = session.Backups();
    view.ClearList(IDC_BACKUPS);
    const std::string reason = EmptyListReason(backups);
    if (!reason.empty()) {
        // One line: the list itself says why it is empty.
        view.AddListItem(IDC_BACKUPS, reason.substr(0, reason.find('\r')), false);
    }
    for (const BackupEntry& entry : backups.entries) {
        view.AddListItem(IDC_BACKUPS, entry.readable ? entry.stamp : entry.stamp + kTextUnreadableEntry,
                         entry.readable);
    }
    view.SetCurSel(IDC_BACKUPS, chosen);
    OnBackupSelChange();
}

void CDeckEditorDlg::OnBackupSelChange()
{
    session.ChooseBackup(view.GetCurSel(IDC_BACKUPS));
    UpdateCardList();
}

Outcome CDeckEditorDlg::RestoreFromBackup()
{
    if (!view.GetCheck(IDC_RESTORE_ALL)) {
        return session.RestoreChosenDeck(currentDeck);
    }
    return Answered([this](unsigned agreed) { return session.RestoreChosenAll(agreed); });
}

bool CDeckEditorDlg::ShowMessage(const std::string& text)
{
    return ::ShowMessage(text, view);
}

// ----------------------------------------------------------------- undo, redo

void CDeckEditorDlg::OnUndo() { ShowStep(session.Undo()); }

void CDeckEditorDlg::OnRedo() { ShowStep(session.Redo()); }

// The selected decks stay; what they now hold is drawn again. The status line
// says what was taken back, where a screen reader reads it, until the next
// command or choice of deck shows a deck's code there again.
void CDeckEditorDlg::ShowStep(const Outcome& outcome)
{
    if (!outcome.step.empty()) {
        UpdateCardList();
        RedrawGrid(ScrollPosition());
    }
    view.SetItemText(IDC_STATUS, outcome.status);
}

std::string CDeckEditorDlg::UndoCommandText() const { return session.UndoCommandText(); }

std::string CDeckEditorDlg::RedoCommandText() const { return session.RedoCommandText(); }
