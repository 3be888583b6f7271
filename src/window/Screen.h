#pragma once
// The main window's screen as its logic (DeckEditorWindow) draws on it: a
// handful of things to show, each given whole, in code page 932 texts. The
// logic keeps every state it shows in fields of its own and never reads
// anything back; what the player does reaches it as DeckEditorWindow's
// events, carrying their values. The Qt window implements it, and the tests'
// recording screen.
#include <array>
#include <string>
#include <vector>

// The rows of the deck grid.
constexpr int kRows = 10;
// The export formats, format1.ini to format3.ini.
constexpr int kFormats = 3;

// The command tabs, in the order of the tab bar.
enum Tab { kTabExport, kTabDelete, kTabCreate, kTabEdit, kTabDuplicate, kTabSwap, kTabRestore, kTabCount };
extern const char* const kTabCaptions[kTabCount];
// The caption of every message box and question.
extern const char kMessageCaption[];

// The deck grid: ten rows from deck `top` (0-based), and the rows of the two
// columns' marks, -1 for a deck out of view.
struct GridRows {
    int top = 0;
    std::array<std::string, kRows> names;
    int markA = -1;
    int markB = -1;
};

// An entry of 復元's backup list; one not choosable is shown greyed.
struct BackupLine {
    std::string text;
    bool choosable = true;
};

// What the window starts with: its caption and the options' first states.
struct Opening {
    std::string title;
    std::array<bool, kFormats> formats{};
    bool exportAll = false;
    bool restoreAll = false;
};

class Screen {
public:
    virtual ~Screen() = default;

    // Called once, first.
    virtual void Open(const Opening& opening) = 0;
    // Shows the rows' names and marks, and moves the scroll bar to `top`.
    virtual void ShowRows(const GridRows& rows) = 0;
    // The card list pane.
    virtual void ShowCardList(const std::string& text) = 0;
    // The status line under the grid.
    virtual void ShowStatus(const std::string& text) = 0;
    // Selects the tab in the tab bar and shows that tab's controls (the
    // second column, the DAZO Rozi box, the formats or the backups) and no
    // others; raises no tab event.
    virtual void ShowTab(Tab tab) = 0;
    // The DAZO Rozi box's text; raises no typing event.
    virtual void SetCode(const std::string& code) = 0;
    // 復元's list, with entry `chosen` selected; raises no choice event.
    virtual void ShowBackups(const std::vector<BackupLine>& lines, int chosen) = 0;
    // A message box with the program's caption and O K; returns when closed.
    virtual void Tell(const std::string& text) = 0;
    // A yes/no question, answered no by default (Enter, Escape, the close box).
    virtual bool Ask(const std::string& question) = 0;
    // Closes the window, which ends the program.
    virtual void End() = 0;
};
