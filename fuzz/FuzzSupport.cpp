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

FuzzWorkspace::FuzzWorkspace() : previous(std::filesystem::current_path())
{
    // Removed when the process ends normally.
    static const Workspace workspace;
    std::filesystem::current_path(workspace.WorkDir());
}

FuzzWorkspace::~FuzzWorkspace() { std::filesystem::current_path(previous); }

void FuzzWorkspace::Put(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    file.close();
    FUZZ_CHECK(file.good());
}
