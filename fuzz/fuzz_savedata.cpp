// Save-file loading, deck operations and writing on arbitrary bytes.
//
// The input is the save file itself. Its last byte says how many deck
// operations to run (0-8) and the 4-byte groups before it say which; in a
// real save file those bytes lie past line 135 or in the last card line,
// so a valid file with a few bytes appended is still a valid file.
//
// After the operations the save data is written, and the written file is
// loaded again: it must load, give the same active deck and player, and
// write back the same bytes.
#include "FuzzSupport.h"

#include "deckcode/DazoRozi.h"
#include "rules/DeckRules.h"
#include "savedata/SaveData.h"
#include "support/SaveFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <numeric>
#include <string>

namespace {

// Checks every deck, and returns the cards in the stock and the normal decks:
// no operation creates or destroys a card.
FUZZ_NO_COVERAGE long CheckDecks(const SaveData& data)
{
    long total = 0;
    for (int i = 0; i < 600; ++i) {
        total += data.Stock(i);
    }
    for (int s = 0; s < SaveData::kDecks; ++s) {
        const DeckRecord& deck = data.Deck(s);
        FUZZ_CHECK(std::accumulate(deck.Counts(), deck.Counts() + 600, 0) == deck.CardCount());
        FUZZ_CHECK(deck.CardCount() <= DeckRecord::kMaxCards);
        FUZZ_CHECK(deck.Name().size() <= static_cast<std::size_t>(DeckRecord::kNameBytes));
        // Swaps stay within a class, so a slot keeps its class.
        FUZZ_CHECK(deck.IsTrainingDeck() == (s >= 50));
        total += deck.IsTrainingDeck() ? 0 : deck.CardCount();
    }
    return total;
}

void Run(SaveData& data, std::uint8_t kind, std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    const std::uint8_t slot = a % SaveData::kDecks;
    switch (kind % 5) {
    case 0:
        data.DeleteDeck(slot);
        break;
    case 1: {
        // Another deck's code with one more entry, sometimes spoilt by a
        // character outside the alphabet.
        std::string code = encode(data.Deck(b % SaveData::kDecks));
        code += digit_char(c % 29);
        code += c == 0xFF ? '!' : digit_char(c % 62);
        StoreDeck(data, slot, code);
        break;
    }
    case 2:
        DuplicateDeck(data, b % SaveData::kDecks, slot);
        break;
    case 3: {
        const std::uint8_t other = slot < 50 ? b % 50 : 50 + b % 3;
        FUZZ_CHECK(SwapDecks(data, slot, other).empty());
        break;
    }
    default: {
        // Names of every length around the limit, of any byte, line breaks
        // and zero bytes included.
        std::string name(b % 45, static_cast<char>(c));
        if (!name.empty() && b >= 128) {
            name[name.size() / 2] = '\r';
            name.back() = '\n';
        }
        data.Deck(slot).SetName(name);
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const GamePaths paths = FuzzWorkspace::Paths();
    const std::string savePath = paths.SaveFile();
    const std::string input(reinterpret_cast<const char*>(data), size);
    FuzzWorkspace::Put(savePath, input);
    const auto first = std::make_unique<SaveData>(paths);
    if (!first->IsLoaded() || size == 0) {
        return 0;
    }
    // Whatever the file's layout, nothing has been changed yet.
    FUZZ_CHECK(!first->HasUnsavedChanges());
    const long cards = CheckDecks(*first);

    std::size_t end = size - 1;
    const int operations = data[end] % 9;
    for (int n = 0; n < operations && end >= 4; ++n) {
        end -= 4;
        Run(*first, data[end], data[end + 1], data[end + 2], data[end + 3]);
        FUZZ_CHECK(CheckDecks(*first) == cards);
    }

    const std::string image = Image(*first);
    if (!first->Write().empty()) {
        // A refused write must leave the file as it was.
        FUZZ_CHECK(ReadFileBytes(savePath) == input);
        return 0;
    }
    const std::string written = ReadFileBytes(savePath);
    FUZZ_CHECK(written == image);
    FUZZ_CHECK(first->KnownFileBytes() == std::vector<std::uint8_t>(written.begin(), written.end()));
    FUZZ_CHECK(!first->HasUnsavedChanges());
    FUZZ_CHECK(!first->ChangedOnDisk());

    // The written file loads again, and is in normal form: the decks, names
    // and stock it gives write the same bytes.
    const auto second = std::make_unique<SaveData>(paths);
    FUZZ_CHECK(second->IsLoaded());
    CheckDecks(*second);
    FUZZ_CHECK(Image(*second) == written);
    FUZZ_CHECK(second->KnownFileBytes() == first->KnownFileBytes());
    // Kept as bytes of the file, not rebuilt: they must read back the same.
    FUZZ_CHECK(second->ActiveDeck() == first->ActiveDeck());
    FUZZ_CHECK(second->PlayerName() == first->PlayerName());
    return 0;
}
