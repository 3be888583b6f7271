// What holds for any save file and any run of deck commands, refused ones
// included: no card is made or lost, SAVE writes the layout the game reads
// and loads back as the same data, a refused command changes no byte, and
// undoing every step gives back the bytes of the start.
#include "backups/Backups.h"
#include "deckcode/DazoRozi.h"
#include "history/DeckHistory.h"
#include "rules/DeckRules.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

constexpr int kLines = SaveData::kStockLine + 2 + 2 * SaveData::kDecks;  // before the tail

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Text of whole code page 932 characters: ASCII, half-width katakana and
// two-byte characters from every lead byte range.
rc::Gen<std::string> CharactersText(int most)
{
    const auto character = rc::gen::oneOf(
        rc::gen::map(rc::gen::inRange(0x20, 0x7F), [](int c) { return std::string(1, static_cast<char>(c)); }),
        rc::gen::map(rc::gen::inRange(0xA1, 0xE0), [](int c) { return std::string(1, static_cast<char>(c)); }),
        rc::gen::map(rc::gen::pair(rc::gen::oneOf(rc::gen::inRange(0x81, 0xA0), rc::gen::inRange(0xE0, 0xFD)),
                                   rc::gen::inRange(0x40, 0xFD)),
                     [](std::pair<int, int> p) {
                         return std::string{static_cast<char>(p.first), static_cast<char>(p.second)};
                     }));
    return rc::gen::map(rc::gen::container<std::vector<std::string>>(character), [most](std::vector<std::string> cs) {
        std::string out;
        for (const std::string& c : cs) {
            if (out.size() + c.size() > static_cast<std::size_t>(most)) {
                break;
            }
            out += c;
        }
        return out;
    });
}

// Card numbers 1-600, the ends of the range often.
rc::Gen<int> CardNumber()
{
    return rc::gen::oneOf(rc::gen::inRange(1, 4), rc::gen::inRange(598, 601), rc::gen::inRange(1, 601));
}

// A save file as the game writes it: names of whole characters, spare copies
// and decks of any size, and lines of the game's own after the decks.
SaveFileBuilder AnySaveFile(std::string& tail)
{
    SaveFileBuilder file;
    const auto stock = *rc::gen::container<std::vector<int>>(600, rc::gen::inRange(0, 5));
    for (int i = 0; i < 600; ++i) {
        file.stock[i] = static_cast<std::uint8_t>(stock[static_cast<std::size_t>(i)]);
    }
    for (int s = 0; s < SaveData::kDecks; ++s) {
        file.names[s] = *CharactersText(DeckRecord::kNameBytes);
        const int size = *rc::gen::oneOf(rc::gen::just(0), rc::gen::just(40), rc::gen::inRange(0, 41));
        file.cards[s] = *rc::gen::container<std::vector<int>>(static_cast<std::size_t>(size), CardNumber());
    }
    file.active = static_cast<std::uint8_t>(*rc::gen::inRange(0, SaveData::kDecks));
    // Lines of the game's own after the decks, the last one with or without
    // its line break, any bytes in them.
    tail.clear();
    for (const std::string& line : *rc::gen::container<std::vector<std::string>>(rc::gen::arbitrary<std::string>())) {
        tail += line + "\r\n";
    }
    tail += *rc::gen::arbitrary<std::string>();
    return file;
}

// Any text a player may give as a code: codes of real decks in any order,
// with repeats, blanks around, stray characters, nothing at all.
rc::Gen<std::string> CodeText()
{
    const auto group = rc::gen::map(rc::gen::pair(CardNumber(), rc::gen::inRange(1, 4)), [](std::pair<int, int> g) {
        const int value = (g.first - 1) * 3 + g.second - 1;
        return std::string{digit_char(value / 62), digit_char(value % 62)};
    });
    const auto code = rc::gen::map(rc::gen::container<std::vector<std::string>>(group), [](std::vector<std::string> gs) {
        std::string out = "0";
        for (const std::string& g : gs) {
            out += g;
        }
        return out;
    });
    const auto blanks = rc::gen::container<std::string>(rc::gen::element(' ', '\t', '\r', '\n'));
    return rc::gen::oneOf(
        rc::gen::map(rc::gen::tuple(blanks, code, blanks),
                     [](const std::tuple<std::string, std::string, std::string>& t) {
                         return std::get<0>(t) + std::get<1>(t) + std::get<2>(t);
                     }),
        rc::gen::map(rc::gen::pair(code, rc::gen::element(std::string("!"), std::string(" 0"), std::string("-"))),
                     [](const std::pair<std::string, std::string>& p) { return p.first + p.second; }),
        rc::gen::container<std::string>(rc::gen::elementOf(kDazoAlphabet)));
}

// The copies each card has in the stock and the normal decks together.
std::array<int, 600> Owned(const SaveData& data)
{
    std::array<int, 600> owned{};
    for (int i = 0; i < 600; ++i) {
        owned[static_cast<std::size_t>(i)] = data.Stock(i);
        for (int s = 0; s < kNormalDecks; ++s) {
            owned[static_cast<std::size_t>(i)] += data.Deck(s).Counts()[i];
        }
    }
    return owned;
}

bool IsRefusal(const std::string& message)
{
    return message == kTextSwapAcrossKinds || message == kTextBadCodeCharacter || message == kTextLastDeck;
}

// A loaded game folder, its start, and a backup of the start to restore from.
struct Game : GameFolder {
    Game()
    {
        file = AnySaveFile(tail);
        ws.Put(ws.SavePath(), file.Bytes() + tail);
        ws.Put(ws.BackupDir() + "/Save2612081031.dat", file.Bytes() + tail);
        data = std::make_unique<SaveData>();
        RC_ASSERT(data->IsLoaded());
        backup = std::make_unique<SaveData>(ws.BackupDir() + "/Save2612081031.dat");
        start = Image(*data);
    }

    // Runs one random command, recorded as a step when it changed something;
    // undo and redo are commands too. Returns its message.
    std::string Command()
    {
        SaveData& d = *data;
        const int a = *rc::gen::inRange(0, SaveData::kDecks);
        const int b = *rc::gen::oneOf(rc::gen::inRange(0, SaveData::kDecks), rc::gen::just(a));
        const DeckHistory::Image before = d.BuildImage();
        std::string message;
        switch (*rc::gen::inRange(0, 9)) {
        case 0: {
            // Any bytes, broken characters and line breaks included.
            d.Deck(a).SetName(*rc::gen::oneOf(CharactersText(45), rc::gen::arbitrary<std::string>()));
            break;
        }
        case 1: message = ClearDeck(d, a); break;
        case 2: message = CreateDeck(d, a, *CodeText()); break;
        case 3: message = StoreDeck(d, a, *CodeText()); break;
        case 4: message = DuplicateDeck(d, a, b); break;
        case 5: message = SwapDecks(d, a, b); break;
        case 6: message = RestoreDeck(d, a, *backup, b); break;
        case 7: history.Undo(d); return std::string();
        default: history.Redo(d); return std::string();
        }
        const bool recorded = history.Record(before, d, "step " + std::to_string(steps + 1));
        steps += recorded ? 1 : 0;
        if (IsRefusal(message)) {  // no byte changed, and so no step
            RC_ASSERT(d.BuildImage() == before);
            RC_ASSERT(!recorded);
        }
        return message;
    }

    SaveFileBuilder file;
    std::string tail;
    std::unique_ptr<SaveData> backup;
    DeckHistory history;
    int steps = 0;
    std::string start;
};

// The file's lines as the game reads them; fails the property where the
// layout is broken.
void CheckLayout(const std::string& bytes, const std::string& tail)
{
    std::size_t at = 0;
    for (int line = 0; line < kLines; ++line) {
        const std::size_t end = bytes.find("\r\n", at);
        RC_ASSERT(end != std::string::npos);
        const std::string text = bytes.substr(at, end - at);
        if (line == SaveData::kStockLine) {
            RC_ASSERT(text.size() == 1200u);
        } else if (line == SaveData::kStockLine + 1) {
            RC_ASSERT(text.size() == 2u);
        } else if (line > SaveData::kStockLine && line % 2 == 0) {
            RC_ASSERT(text.size() <= static_cast<std::size_t>(DeckRecord::kNameBytes));
            std::size_t i = 0;
            while (i < text.size()) {
                i += IsLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
            }
            RC_ASSERT(i == text.size());  // no half character at the end
        } else if (line > SaveData::kStockLine) {
            RC_ASSERT(text.size() == 80u);
        }
        at = end + 2;
    }
    RC_ASSERT(bytes.substr(at) == tail);
}

}  // namespace

RC_GTEST_PROP(SaveProperties, NoCardIsMadeOrLostAndARefusedCommandChangesNothing, ())
{
    Game game;
    const std::array<int, 600> owned = Owned(*game.data);
    const int commands = *rc::gen::inRange(1, 30);
    for (int n = 0; n < commands; ++n) {
        game.Command();
        RC_ASSERT(Owned(*game.data) == owned);
    }
    // Every step undone: the bytes of the start; every step redone: the end.
    const std::string end = Image(*game.data);
    const std::string redoable = game.history.NextRedo();
    std::vector<std::string> labels;
    for (std::string label; !(label = game.history.NextUndo()).empty();) {
        RC_ASSERT(game.history.Undo(*game.data) == label);
        labels.push_back(label);
    }
    RC_ASSERT(Image(*game.data) == game.start);
    RC_ASSERT(!game.data->HasUnsavedChanges());
    while (!labels.empty()) {
        RC_ASSERT(game.history.Redo(*game.data) == labels.back());
        labels.pop_back();
    }
    RC_ASSERT(Image(*game.data) == end);
    RC_ASSERT(game.history.NextRedo() == redoable);
}

RC_GTEST_PROP(SaveProperties, SaveWritesTheGamesLayoutAndLoadsBackAsTheSameData, ())
{
    Game game;
    const int commands = *rc::gen::inRange(0, 12);
    for (int n = 0; n < commands; ++n) {
        game.Command();
    }
    RC_ASSERT(game.data->Write() == "");
    const std::string written = game.ws.Get(game.ws.SavePath());
    if (commands == 0) {  // a file in the game's own layout comes back byte for byte
        RC_ASSERT(written == game.file.Bytes() + game.tail);
    }
    CheckLayout(written, game.tail);
    const SaveData again;
    RC_ASSERT(again.IsLoaded());
    for (int s = 0; s < SaveData::kDecks; ++s) {
        RC_ASSERT(again.Deck(s).Name() == game.data->Deck(s).Name());
        RC_ASSERT(std::equal(again.Deck(s).Counts(), again.Deck(s).Counts() + 600, game.data->Deck(s).Counts()));
    }
    for (int i = 0; i < 600; ++i) {
        RC_ASSERT(again.Stock(i) == game.data->Stock(i));
    }
    RC_ASSERT(again.ActiveDeck() == game.data->ActiveDeck());
    RC_ASSERT(again.PlayerName() == game.data->PlayerName());
    RC_ASSERT(Image(again) == written);
    RC_ASSERT(!game.data->HasUnsavedChanges());
}
