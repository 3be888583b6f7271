#pragma once
// The main window on Qt Widgets, the screen of DeckEditorWindow. Controls are
// placed in dialog units (the dialog font's average character size), so that
// the layout keeps its proportions with any font; what the player does
// reaches the logic as its events, and texts cross to code page 932 here and
// in TextLines only.
#include "window/Screen.h"

#include <QDialog>

#include <functional>

class DeckEditorWindow;
class DeckGrid;
class QAbstractButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabBar;
class TextLines;

class MainWindow : public QDialog, public Screen {
public:
    MainWindow();
    ~MainWindow() override;

    // Routes the player's input to the logic.
    void Connect(DeckEditorWindow* logic);
    // Runs the window modally: the logic's start-up, then events until End.
    void Run();

    // Called once, when the window has been shown and the events of showing it
    // are done (screenshots, start-up measurement).
    std::function<void()> onShownIdle;
    // Message boxes close themselves at once with their default answer
    // (screenshots and measurements run unattended).
    bool autoCloseMessages = false;

    // Screen.
    void Open(const Opening& opening) override;
    void ShowRows(const GridRows& rows) override;
    void ShowCardList(const std::string& text) override;
    void ShowStatus(const std::string& text) override;
    void ShowTab(Tab tab) override;
    void SetCode(const std::string& code) override;
    void ShowBackups(const std::vector<BackupLine>& lines, int chosen) override;
    void Tell(const std::string& text) override;
    bool Ask(const std::string& question) override;
    void End() override;

    // The controls, for tests.
    QTabBar* tabs = nullptr;
    QLineEdit* status = nullptr;
    QPlainTextEdit* cardList = nullptr;
    QLineEdit* codeBox = nullptr;
    QAbstractButton* ok = nullptr;
    QAbstractButton* save = nullptr;
    DeckGrid* grid = nullptr;

protected:
    void reject() override;
    void accept() override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The pixel rectangle of a rectangle in dialog units.
    QRect Units(int x, int y, int width, int height) const;
    void Build();
    void BuildRightHand();
    void BuildRestoreControls();
    void SetTabOrder();
    void PlaceOnScreen();
    bool MessageBox(const std::string& text, bool question);

    DeckEditorWindow* logic = nullptr;
    TextLines* lines = nullptr;
    QGroupBox* formatFrame = nullptr;
    QAbstractButton* formatBoxes[kFormats] = {};
    QAbstractButton* exportOne = nullptr;
    QAbstractButton* exportAll = nullptr;
    QLabel* codeLabel = nullptr;
    QComboBox* backups = nullptr;
    QAbstractButton* restoreOne = nullptr;
    QAbstractButton* restoreAll = nullptr;
    int baseX = 0;  // dialog base units of the font
    int baseY = 0;
    bool ended = false;
    bool shownOnce = false;
};
