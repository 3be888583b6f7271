#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

void FuzzFail(const char* file, int line, const char* what)
{
    std::fprintf(stderr, "fuzz invariant broken: %s:%d: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

FuzzWorkspace::FuzzWorkspace() : previous(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    // Removed when the process ends normally.
    static const Workspace workspace;
    FUZZ_CHECK(previous >= 0 && chdir(workspace.WorkDir().c_str()) == 0);
}

FuzzWorkspace::~FuzzWorkspace()
{
    FUZZ_CHECK(fchdir(previous) == 0);
    close(previous);
}

void FuzzWorkspace::Put(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    file.close();
    FUZZ_CHECK(file.good());
}
