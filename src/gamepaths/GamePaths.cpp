#include "gamepaths/GamePaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

GamePaths::GamePaths(std::string workingFolder) : folder(std::move(workingFolder))
{
    if (folder.empty()) {
        folder = ".";
    }
}

bool GamePaths::WorkingFolderIsThere() const
{
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(folder.c_str(), X_OK) == 0;
}

std::string GamePaths::Format(int number) const { return In("format" + std::to_string(number) + ".ini"); }

std::string GamePaths::FromWorkingFolder(const std::string& path) const
{
    return !path.empty() && path[0] == '/' ? path : In(path);
}

// Names inside the working folder. A folder given as a name, not a resolved
// one, keeps its meaning: a link to the DeckEditor folder still finds the
// File folder beside the link's target, as the kernel resolves "..".
std::string GamePaths::In(const std::string& name) const
{
    if (folder == ".") {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}
