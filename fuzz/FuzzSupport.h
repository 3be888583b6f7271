#pragma once
// Shared by the fuzz targets: the process's game folder, and a check that
// stops the run on a broken invariant.
#include <cstdint>
#include <string>
#include <vector>

// For the targets' own checking code: no coverage feedback (it would only
// steer the fuzzer towards the checker's branches) and less time per input.
#if defined(__clang__)
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define FUZZ_NO_COVERAGE
#endif

// Stops the run with a message; libFuzzer and the replay driver report the
// input that got here.
[[noreturn]] void FuzzFail(const char* what);
#define FUZZ_CHECK(condition)                                                   \
    do {                                                                        \
        if (!(condition)) {                                                     \
            FuzzFail(__FILE__ ":" FUZZ_STRINGIFY(__LINE__) ": " #condition);    \
        }                                                                       \
    } while (0)
#define FUZZ_STRINGIFY(x) FUZZ_STRINGIFY2(x)
#define FUZZ_STRINGIFY2(x) #x

// Makes the process's game folder (a Workspace) at the first input and
// enters its working folder for the scope's life. The folder before is
// restored afterwards, so that the fuzzer's own relative paths (corpus
// folders, artifacts) keep their meaning between inputs. The game folder is
// removed when the process ends normally.
class FuzzWorkspace {
public:
    // withCardList false leaves list.xml out: every catalogue then keeps its
    // initial values, and loading save data (53 catalogues) is much cheaper.
    explicit FuzzWorkspace(bool withCardList = true);
    ~FuzzWorkspace();
    FuzzWorkspace(const FuzzWorkspace&) = delete;
    FuzzWorkspace& operator=(const FuzzWorkspace&) = delete;

private:
    int previous;
};

// Replaces path with bytes; stops the run when it cannot.
void PutFile(const std::string& path, const void* data, std::size_t size);
// The whole file; empty when it cannot be read.
std::vector<std::uint8_t> ReadBytes(const std::string& path);
