#pragma once
// Where the editor finds the game's files and its own. Players keep the
// editor's working folder (DeckEditor) beside the game's File folder:
//   <game>/File/Save.dat, <game>/File/BackUp/, <game>/DeckEditor/list.xml ...
// The paths are built once, at start, from that folder (-C, --choose-folder,
// or the folder the program was started in) and handed to whatever reads or
// writes a file; nothing depends on the process's current folder.
#include <string>

class GamePaths {
public:
    // "." is the folder the program was started in; every path is then the
    // short relative name the editor has always used.
    explicit GamePaths(std::string workingFolder = ".");

    const std::string& WorkingFolder() const { return folder; }
    // True when the working folder is a folder whose files may be reached:
    // what a -C that names no such folder is refused for.
    bool WorkingFolderIsThere() const;
    // The game's own folder: the one above the working folder.
    std::string GameFolder() const { return In(kUp); }
    std::string SaveFile() const { return GameFolder() + "/File/Save.dat"; }
    // Where the backups of the save file go.
    std::string BackupFolder() const { return GameFolder() + "/File/BackUp"; }
    std::string CardList() const { return In("list.xml"); }
    // The working folder's deck page (the installed copy stands in without one).
    std::string Page() const { return In("deckmaker.htm"); }
    // Export template number 1-3: format<N>.ini.
    std::string Format(int number) const;
    // Deck lists are written into the game's folder.
    std::string ExportFolder() const { return GameFolder(); }
    // The export named `name` ("deck_1_format1.txt"), and how the player is
    // told of it: from the working folder.
    std::string ExportFile(const std::string& name) const { return ExportFolder() + "/" + name; }
    static std::string ShownExportFile(const std::string& name) { return std::string(kUp) + "/" + name; }
    // A path the player gave (a backup's, say) as it is meant: relative to
    // the working folder unless it is absolute.
    std::string FromWorkingFolder(const std::string& path) const;

private:
    static constexpr const char* kUp = "..";
    std::string In(const std::string& name) const;

    std::string folder;
};
