#include "support/Workspace.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void RemoveTree(const std::string& path)
{
    if (DIR* dir = ::opendir(path.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                RemoveTree(path + "/" + name);
            }
        }
        ::closedir(dir);
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}
}  // namespace

Workspace::Workspace(bool withBackupFolder)
{
    char cwd[4096];
    previous = ::getcwd(cwd, sizeof cwd) ? cwd : "/";
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/deckeditor-test-XXXXXX";
    if (::mkdtemp(&pattern[0]) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    root = pattern;
    ::mkdir((root + "/File").c_str(), 0755);
    if (withBackupFolder) {
        ::mkdir(BackupDir().c_str(), 0755);
    }
    ::mkdir(WorkDir().c_str(), 0755);
    if (::chdir(WorkDir().c_str()) != 0) {
        throw std::runtime_error("cannot enter the working folder");
    }
}

Workspace::~Workspace()
{
    if (::chdir(previous.c_str()) != 0) {
        // Nothing sensible to do in a destructor; the tree is removed regardless.
    }
    RemoveTree(root);
}

static std::string Resolve(const std::string& workDir, const std::string& path)
{
    return !path.empty() && path[0] == '/' ? path : workDir + "/" + path;
}

void Workspace::Put(const std::string& path, const std::string& bytes) const
{
    std::ofstream out(Resolve(WorkDir(), path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Workspace::Put(const std::string& path, const std::vector<std::uint8_t>& bytes) const
{
    Put(path, std::string(bytes.begin(), bytes.end()));
}

std::string Workspace::Get(const std::string& path) const { return ReadFileBytes(Resolve(WorkDir(), path)); }

bool Workspace::Exists(const std::string& path) const
{
    struct stat st {};
    return ::stat(Resolve(WorkDir(), path).c_str(), &st) == 0;
}

std::vector<std::string> Workspace::List(const std::string& folder) const
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(Resolve(WorkDir(), folder).c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

GameFolder::GameFolder(bool withBackupFolder) : ws(withBackupFolder) { ws.Put("list.xml", SimpleCardList()); }

SaveData& GameFolder::Load()
{
    WriteSaveFile();
    data = std::make_unique<SaveData>();
    return *data;
}
