#pragma once
// Shared by the fuzz targets: a check that stops the run, and the process's
// game folder.
#include "support/Workspace.h"

#include <filesystem>

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

// Makes the process's game folder (a Workspace, without list.xml) at the
// first input and enters its working folder for the scope's life. The folder
// before is restored afterwards, so that the fuzzer's own relative paths
// (corpus folders, artifacts) keep their meaning between inputs.
class FuzzWorkspace {
public:
    FuzzWorkspace();
    ~FuzzWorkspace();

    // Replaces a file, given relative to the working folder; stops the run
    // when it cannot.
    static void Put(const std::string& path, const std::string& bytes);

private:
    std::filesystem::path previous;
};
