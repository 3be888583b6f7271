#pragma once
// A game folder with a card list and a save file, and the save data loaded
// from it, as the main window holds it when the first export runs.
#include "savedata/SaveData.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct ExportFolder {
    Workspace folder;
    SaveFileBuilder saveFile;
    std::unique_ptr<SaveData> saveData;

    ExportFolder() { folder.Put("list.xml", SimpleCardList()); }

    // Writes saveFile as ../File/Save.dat and loads it.
    SaveData& Load()
    {
        folder.Put(folder.SavePath(), saveFile.Bytes());
        saveData = std::make_unique<SaveData>();
        return *saveData;
    }
};

// Lines joined with CR LF, each line ended by one.
inline std::string CrLfLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\r\n";
    }
    return out;
}

// A format file holding all six markers; sections not given are empty. Each
// given text is put between its markers as is, so it should end with "\n".
inline std::string FormatWith(const std::map<std::string, std::string>& sections, const std::string& lineBreak = "\n")
{
    std::string out;
    for (const char* name : {"globalheader", "header", "creature", "separator", "magic", "footer"}) {
        const auto it = sections.find(name);
        out += std::string("\\") + name + "_start" + lineBreak + (it == sections.end() ? "" : it->second) + "\\" +
               name + "_end" + lineBreak;
    }
    return out;
}
