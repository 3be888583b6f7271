#include "app/GameFolder.h"

#include "gamepaths/GamePaths.h"

#include <sys/stat.h>

namespace {

bool HoldsSaveFile(const std::string& folder)
{
    struct stat info {};
    return !folder.empty() && ::stat(GamePaths(folder).SaveFile().c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string ChooseGameFolder(const std::string& remembered,
                             const std::function<std::string(const std::string& start)>& ask,
                             const std::function<void()>& refuse)
{
    if (HoldsSaveFile(remembered)) {
        return remembered;
    }
    std::string start = remembered;
    for (;;) {
        const std::string chosen = ask(start);
        if (chosen.empty() || HoldsSaveFile(chosen)) {
            return chosen;
        }
        // Without the save file the editor could only say it cannot open it and end.
        refuse();
        start = chosen;
    }
}
