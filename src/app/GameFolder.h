#pragma once
// The folder --choose-folder starts the editor in: the game's DeckEditor
// folder, the one with ../File/Save.dat. Folders are file-system names.
#include <functional>
#include <string>

// The remembered folder while it still holds ../File/Save.dat; otherwise the
// folder `ask` returns (it is given the folder to start from), asking again
// after `refuse` while the answer holds no save file. "" when the player
// cancels (ask returns "").
std::string ChooseGameFolder(const std::string& remembered,
                             const std::function<std::string(const std::string& start)>& ask,
                             const std::function<void()>& refuse);
