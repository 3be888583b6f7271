#pragma once
// A throw-away game folder laid out as players have it:
//   <root>/File/Save.dat, <root>/File/BackUp/, <root>/DeckEditor/ (the working folder)
// Paths() names them for the code under test; the process stays in its own
// folder. The destructor removes everything.
#include "savedata/SaveData.h"
#include "support/SaveFile.h"

#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

class Workspace {
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const std::string& Root() const { return root; }
    std::string WorkDir() const { return root + "/DeckEditor"; }
    std::string SavePath() const { return root + "/File/Save.dat"; }
    std::string BackupDir() const { return root + "/File/BackUp"; }
    // The game paths of the working folder, as -C <root>/DeckEditor gives them.
    GamePaths Paths() const { return GamePaths(WorkDir()); }

    // Writes a file given relative to the working folder (or absolute).
    void Put(const std::string& path, const std::string& bytes) const;
    std::string Get(const std::string& path) const;  // "" when missing
    bool Exists(const std::string& path) const;
    // Names of the entries of a folder, sorted.
    std::vector<std::string> List(const std::string& folder) const;

private:
    std::string root;
};

// Reads a whole file; "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// The file's status (mode, owner, links); all zero when there is no such file.
struct stat StatOf(const std::string& path);
// TMPDIR, or /tmp where it is not set.
std::string TempFolder();
// Text as one word for the shell, whatever it holds: a workspace's path
// holds whatever TMPDIR does.
std::string ShellQuoted(const std::string& text);

// A workspace with SimpleCardList() as list.xml and a save file described in
// memory: tests change saveFile, then Load() writes it and reads it back as
// the program does at start.
class GameFolder {
public:
    GameFolder();

    void WriteSaveFile() const { ws.Put(ws.SavePath(), saveFile.Bytes()); }
    SaveData& Load();

    Workspace ws;
    SaveFileBuilder saveFile;
    std::unique_ptr<SaveData> data;
};
