#pragma once
// The main window's logic: the deck grid, the seven tab commands, SAVE, undo
// and redo, and the status line. Everything it shows is kept here as fields
// and drawn through a Screen; the player's input arrives as the events below.
#include "window/Screen.h"
#include "savedata/SaveData.h"
#include "session/EditingSession.h"

#include <functional>
#include <string>

// What 編集 asks the deck page for: the deck (its number 1–53 as the player
// sees it, name and code) and what the page is told of the player's cards.
struct PageRequest {
    int number = 0;
    std::string name;
    std::string code;
    std::string collection;
};

class DeckEditorWindow {
public:
    // Reads the save file and the card list of `paths`; shows nothing.
    DeckEditorWindow(Screen& screen, const GamePaths& paths);
    ~DeckEditorWindow();
    DeckEditorWindow(const DeckEditorWindow&) = delete;
    DeckEditorWindow& operator=(const DeckEditorWindow&) = delete;

    // Every change to the data runs through the session; the window shows
    // what it holds.
    EditingSession session;
    const SaveData& saveData;

    // Start-up; false when the window has ended (no save file).
    bool Start();
    // Every way of leaving the window (close box, Escape, Enter on O K) comes
    // here. Nothing is written.
    void Close();

    // The deck grid. Scrolling: to a top row, or by a number of rows; both
    // stop at the ends.
    void ScrollTo(int top);
    void ScrollBy(int rows);
    // A radio of column A or B in a row.
    void ChooseDeck(int row);
    void ChooseSecond(int row);
    // A row's whole text after each keystroke; a row that lost the focus.
    void TypeName(int row, const std::string& text);
    void NameLeft();

    // The tab commands' inputs.
    void ChooseTab(int tab);
    void TypeCode(const std::string& text) { code = text; }
    void ToggleFormat(int format, bool on);
    void ChooseExportScope(bool all) { exportAll = all; }
    void ChooseRestoreScope(bool all) { restoreAll = all; }
    void ChooseBackup(int entry);
    void Ok();
    void Save();

    // Undo and redo of the changes to the save data in memory, each step one
    // command, one edited row or one restore; the status line says which.
    void Undo();
    void Redo();
    // The menu entries for them, naming the step; empty when there is none.
    std::string UndoCommandText() const { return session.UndoCommandText(); }
    std::string RedoCommandText() const { return session.RedoCommandText(); }

    // 編集 opens the deck page through this (the front end passes it on to
    // the browser program); the page's answers come back as the two events
    // below, each at most once for each request.
    std::function<void(const PageRequest&)> openPage;
    // ok in the page: the code it made.
    void OnBrowserCode(const std::string& code);
    // cancel in the page.
    void OnBrowserCancelled();

    // What the window shows, as the player left it.
    int currentDeck = 0;
    int secondDeck = 0;
    int top = 0;
    Tab tab = kTabExport;
    std::string code;
    std::array<bool, kFormats> formats{true, false, false};
    bool exportAll = false;
    bool restoreAll = false;

private:
    void ShowRows();
    void ShowCardList();
    void ShowCode();
    void ShowStep(const Outcome& outcome);
    void Tell(const std::string& text);
    Outcome RunTab();
    // Runs a command, asking each question it has until it is done; the
    // empty outcome when the player says no.
    Outcome Answered(const std::function<Outcome(unsigned agreed)>& command);
    void ListBackups();

    Screen& screen;
};
