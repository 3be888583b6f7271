#include "appinfo/DataFiles.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool IsFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

std::string InstalledDataDirectory()
{
    // The answer cannot change during a run.
    static const std::string found = [] {
        std::error_code error;
        const fs::path program = fs::read_symlink("/proc/self/exe", error);
        if (error) {
            return std::string();
        }
        for (const char* relative : {DECKEDITOR_DATADIR_FROM_BINDIR, DECKEDITOR_DATADIR_FROM_LIBEXECDIR}) {
            const fs::path folder = (program.parent_path() / relative).lexically_normal();
            if (fs::is_directory(folder, error)) {
                return folder.string();
            }
        }
        return std::string();
    }();
    return found;
}

std::string DataFilePath(const std::string& path, const std::string& installed)
{
    const fs::path copy = fs::path(installed) / fs::path(path).filename();
    if (IsFile(path) || installed.empty() || !IsFile(copy)) {
        return path;
    }
    return copy.string();
}

