#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

void FuzzFail(const char* file, int line, const char* what)
{
    std::fprintf(stderr, "fuzz invariant broken: %s:%d: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

namespace {

const Workspace& Folder()
{
    // Removed when the process ends normally.
    static const Workspace workspace;
    return workspace;
}

}  // namespace

GamePaths FuzzWorkspace::Paths() { return Folder().Paths(); }

void FuzzWorkspace::Put(const std::string& path, const std::string& bytes)
{
    std::ofstream file(std::filesystem::path(Folder().WorkDir()) / path, std::ios::binary | std::ios::trunc);
    file << bytes;
    file.close();
    FUZZ_CHECK(file.good());
}
