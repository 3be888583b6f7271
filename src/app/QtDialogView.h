#pragma once
// The main window on Qt Widgets. Controls are placed in dialog units (the
// dialog font's average character size), so that the layout keeps its
// proportions with any font; their events reach the CDeckEditorDlg handlers,
// and texts cross to code page 932 here only.
#include "qttext/Cp932Text.h"
#include "view/View.h"

#include <QDialog>

#include <functional>
#include <map>
#include <string>

class CDeckEditorDlg;
class QButtonGroup;
class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QScrollBar;
class QTabBar;

class QtDialogView : public QDialog, public View {
public:
    QtDialogView();
    ~QtDialogView() override;

    // Routes the controls' events to the window logic.
    void Connect(CDeckEditorDlg* dialog) { dlg = dialog; }
    // Runs the window modally: start-up, then events until EndDialog.
    int DoModal();

    // Called once, when the window has been shown and the events of showing it
    // are done (screenshots, start-up measurement).
    std::function<void()> onShownIdle;
    // Message boxes close themselves at once with their default answer
    // (screenshots and measurements run unattended).
    bool autoCloseMessages = false;

    QWidget* Control(int id) const;
    // The pixel rectangle of a rectangle in dialog units.
    QRect DialogUnitsToPixels(int x, int y, int width, int height) const;

    // View.
    void SetWindowText(const std::string& text) override;
    std::string GetWindowText() const override;
    void ShowWindow(bool show) override;
    bool IsWindowVisible() const override;
    void EndDialog(int result) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
    void SetItemText(int id, const std::string& text) override;
    std::string GetItemText(int id) const override;
    void ShowItem(int id, bool show) override;
    bool IsItemVisible(int id) const override;
    bool GetCheck(int id) const override;
    void SetCheck(int id, bool checked) override;
    void InsertTab(int id, int index, const std::string& caption) override;
    int GetCurSel(int id) const override;
    void SetCurSel(int id, int index) override;
    void ClearList(int id) override;
    void AddListItem(int id, const std::string& text, bool selectable) override;
    void SetScrollRange(int id, int minimum, int maximum) override;
    void GetScrollRange(int id, int& minimum, int& maximum) const override;
    int GetScrollPos(int id) const override;
    void SetScrollPos(int id, int position) override;
    ViewRect GetWindowRect() const override;
    ViewRect GetClientRect() const override;
    ViewRect GetDesktopClientRect() const override;
    void MoveWindow(const ViewRect& rect) override;
    void SetIcon(int iconResource) override;

    // The dialog font: "MS UI Gothic" 9 pt, or a Japanese sans-serif face.
    static QFont DialogFont();

protected:
    void reject() override;
    void accept() override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class NameValidator;
    class ScrollBar;

    void Build();
    void BuildRestoreControls();
    void PlaceOnScreen();
    void SetTabOrder();
    QLineEdit* AddLineEdit(int id, int x, int y, int width, int height, bool userText);
    void OnUserEdit(int id, QLineEdit* edit, const QString& text);
    void ShowRefusal(QWidget* edit, const QString& refused);
    void OnScrollAction(int action);
    void OnRadio(int k, bool toggled);
    void Scroll(int code, int thumb);
    bool MoveFromRow(int row, const QKeyEvent& key);
    void NameRows(int position);
    bool OnEditEvent(QLineEdit* edit, QEvent* event);
    void UndoOrRedo(QLineEdit* edit, bool undo);
    void ShowEditMenu(QLineEdit* edit, const QPoint& at);

    CDeckEditorDlg* dlg = nullptr;
    std::map<int, QWidget*> controls;
    // What each edit holds, in bytes: texts users type are checked as typed;
    // texts the program writes are kept exactly as written.
    std::map<int, Cp932Text> lineTexts;
    std::string cardListBytes;
    QButtonGroup* groupFormatScope = nullptr;
    QButtonGroup* groupRestoreScope = nullptr;
    QButtonGroup* groupA = nullptr;
    QButtonGroup* groupB = nullptr;
    int baseX = 0;  // dialog base units of the font
    int baseY = 0;
    int wheelRemainder = 0;
    // Set while the program itself checks or unchecks radios.
    bool settingChecks = false;
    // The radio a user's toggle has just been handled for, so that the click
    // that follows it is not handled a second time.
    int toggledRadio = -1;
    bool ended = false;
    int endResult = IDCANCEL;
    bool shownOnce = false;
};
