#pragma once
// Shared by the fuzz targets: a check that stops the run, and the process's
// game folder.
#include "support/Workspace.h"

#include <string>

// For the targets' own checking code: no coverage feedback (it would only
// steer the fuzzer towards the checker's branches) and less time per input.
#if defined(__clang__)
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define FUZZ_NO_COVERAGE
#endif

// Stops the run with a message; libFuzzer and the replay driver report the
// input that got here.
[[noreturn]] void FuzzFail(const char* file, int line, const char* what);
#define FUZZ_CHECK(condition) ((condition) ? void() : FuzzFail(__FILE__, __LINE__, #condition))

// The process's game folder (a Workspace, without list.xml), made at the
// first input and kept for the run.
class FuzzWorkspace {
public:
    // The folder's game paths, for the code under test.
    static GamePaths Paths();
    // Replaces a file, given relative to the working folder (or absolute);
    // stops the run when it cannot.
    static void Put(const std::string& path, const std::string& bytes);
};
