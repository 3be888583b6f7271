// Save-file loading, deck operations and writing on arbitrary bytes.
//
// The input is the save file itself. Its last byte says how many deck
// operations to run (0-8) and the 4-byte groups before it say which; in a
// real save file those bytes lie past line 135 or in the last card line,
// so a valid file with a few bytes appended is still a valid file.
//
// After the operations the save data is written, and the written file is
// loaded again: it must load and give the same decks, names, stock and
// active deck, and writing it once more must give the same bytes.
#include "FuzzSupport.h"

#include "deckcode/DazoRozi.h"
#include "rules/DeckRules.h"
#include "savedata/SaveData.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char kSavePath[] = "../File/Save.dat";

struct Operation {
    std::uint8_t kind, a, b, c;
};

// Cards in the stock plus cards in normal decks: no operation creates or
// destroys a card.
FUZZ_NO_COVERAGE long TotalCards(const SaveData& data)
{
    long total = 0;
    for (int i = 0; i < 600; ++i) {
        total += data.Stock(i);
    }
    for (int s = 0; s < SaveData::kDecks; ++s) {
        if (!data.Deck(s).IsTrainingDeck()) {
            total += data.Deck(s).CardCount();
        }
    }
    return total;
}

FUZZ_NO_COVERAGE void CheckDecks(const SaveData& data)
{
    for (int s = 0; s < SaveData::kDecks; ++s) {
        const DeckRecord& deck = data.Deck(s);
        int sum = 0;
        for (int i = 0; i < 600; ++i) {
            sum += deck.Counts()[i];
        }
        FUZZ_CHECK(sum == deck.CardCount());
        FUZZ_CHECK(deck.CardCount() <= DeckRecord::kMaxCards);
        FUZZ_CHECK(deck.Name().size() <= static_cast<std::size_t>(DeckRecord::kNameBytes));
        // Swaps stay within a class, so a slot keeps its class.
        FUZZ_CHECK(deck.IsTrainingDeck() == (s >= 50));
    }
}

void Run(SaveData& data, const Operation& op)
{
    const std::uint8_t slot = op.a % SaveData::kDecks;
    switch (op.kind % 5) {
    case 0:
        data.DeleteDeck(slot);
        break;
    case 1: {
        // Another deck's code with one more entry, sometimes spoilt by a
        // character outside the alphabet.
        std::string code = encode(data.Deck(op.b % SaveData::kDecks));
        code += digit_char(op.c % 29);
        code += op.c == 0xFF ? '!' : digit_char(op.c % 62);
        StoreDeck(data, slot, code);
        break;
    }
    case 2:
        DuplicateDeck(data, op.b % SaveData::kDecks, slot);
        break;
    case 3: {
        const std::uint8_t other = slot < 50 ? op.b % 50 : 50 + op.b % 3;
        FUZZ_CHECK(SwapDecks(data, slot, other).empty());
        break;
    }
    default: {
        // Names of every length around the limit, of any byte, line breaks
        // and zero bytes included.
        std::string name(op.b % 45, static_cast<char>(op.c));
        if (!name.empty() && op.b >= 128) {
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
    const FuzzWorkspace workspace(false);
    PutFile(kSavePath, data, size);
    const auto first = std::make_unique<SaveData>();
    if (!first->IsLoaded() || size == 0) {
        return 0;
    }
    // Whatever the file's layout, nothing has been changed yet.
    FUZZ_CHECK(!first->HasUnsavedChanges());
    CheckDecks(*first);
    const long cards = TotalCards(*first);

    std::size_t end = size - 1;
    const int operations = data[end] % 9;
    for (int n = 0; n < operations && end >= 4; ++n) {
        end -= 4;
        Run(*first, Operation {data[end], data[end + 1], data[end + 2], data[end + 3]});
        CheckDecks(*first);
        FUZZ_CHECK(TotalCards(*first) == cards);
    }

    const std::vector<std::uint8_t> image = first->BuildImage();
    if (!first->Write().empty()) {
        // A refused write must leave the file as it was.
        FUZZ_CHECK(ReadBytes(kSavePath) == std::vector<std::uint8_t>(data, data + size));
        return 0;
    }
    const std::vector<std::uint8_t> written = ReadBytes(kSavePath);
    FUZZ_CHECK(written == image);
    FUZZ_CHECK(first->KnownFileBytes() == written);
    FUZZ_CHECK(!first->HasUnsavedChanges());
    FUZZ_CHECK(!first->ChangedOnDisk());

    const auto second = std::make_unique<SaveData>();
    FUZZ_CHECK(second->IsLoaded());
    FUZZ_CHECK(second->ActiveDeck() == first->ActiveDeck());
    FUZZ_CHECK(second->PlayerName() == first->PlayerName());
    for (int i = 0; i < 600; ++i) {
        FUZZ_CHECK(second->Stock(i) == first->Stock(i));
    }
    for (int s = 0; s < SaveData::kDecks; ++s) {
        const DeckRecord& was = first->Deck(s);
        const DeckRecord& is = second->Deck(s);
        FUZZ_CHECK(is.Name() == was.Name());
        FUZZ_CHECK(is.CardCount() == was.CardCount());
        FUZZ_CHECK(std::memcmp(is.Counts(), was.Counts(), 600) == 0);
    }
    // What was written is in normal form: writing it again changes nothing.
    FUZZ_CHECK(second->KnownFileBytes() == written);
    FUZZ_CHECK(second->BuildImage() == written);
    return 0;
}
