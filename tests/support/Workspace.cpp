#include "support/Workspace.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

Workspace::Workspace()
{
    std::string pattern = TempFolder() + "/deckeditor-test-XXXXXX";
    if (::mkdtemp(&pattern[0]) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    root = pattern;
    fs::create_directories(BackupDir());
    fs::create_directories(WorkDir());
}

Workspace::~Workspace()
{
    std::error_code failed;
    fs::remove_all(root, failed);
}

// Relative to the working folder; an absolute path stays as it is.
static fs::path At(const std::string& workDir, const std::string& path) { return fs::path(workDir) / path; }

void Workspace::Put(const std::string& path, const std::string& bytes) const
{
    std::ofstream(At(WorkDir(), path), std::ios::binary | std::ios::trunc) << bytes;
}

std::string Workspace::Get(const std::string& path) const { return ReadFileBytes(At(WorkDir(), path)); }

bool Workspace::Exists(const std::string& path) const
{
    std::error_code ignored;
    return fs::exists(At(WorkDir(), path), ignored);
}

std::vector<std::string> Workspace::List(const std::string& folder) const
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(At(WorkDir(), folder), ignored)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TempFolder()
{
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

GameFolder::GameFolder() { ws.Put("list.xml", SimpleCardList()); }

SaveData& GameFolder::Load()
{
    WriteSaveFile();
    data = std::make_unique<SaveData>(ws.Paths());
    return *data;
}

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}
