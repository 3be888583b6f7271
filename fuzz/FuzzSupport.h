#pragma once
// Shared by the fuzz targets: a private game folder per process, a small
// valid save file, and a check that stops the run on a broken invariant.
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

// Creates <tmp>/File/, <tmp>/File/BackUp/ and <tmp>/DeckEditor/ with a tiny
// list.xml, once per process, in $TMPDIR or else in the RAM-backed /dev/shm
// where there is one, and makes <tmp>/DeckEditor the working folder
// for the scope's life. The folder before is restored afterwards, so that the
// fuzzer's own relative paths (corpus folders, artifacts) keep their meaning
// between inputs. The workspace is removed when the process ends normally.
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

// The tiny card list put into the workspace: a handful of cards, creatures
// and magic cards, so that exports and deck-rule complaints have texts.
const std::string& TinyCardList();

// A 136-line save file: lines 0-27 (line 11 the player's name), the stock,
// the active deck and 53 decks. Decks are given as per-card counts (card
// index -> copies); unnamed decks get their default name.
struct SaveSpec {
    std::string playerName = "FUZZER";
    std::uint8_t stock[600] = {};
    std::uint8_t stockSecondByte = 0;
    std::uint8_t activeDeck = 0;
    std::uint8_t activeSecondByte = 0;
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> decks;  // slot, (index, copies)
    std::vector<std::pair<int, std::string>> names;                       // slot, name
};
std::vector<std::uint8_t> BuildSaveFile(const SaveSpec& spec);

// Replaces path with bytes; false on failure.
bool WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size);
// The whole file; empty when it cannot be read.
std::vector<std::uint8_t> ReadBytes(const std::string& path);
