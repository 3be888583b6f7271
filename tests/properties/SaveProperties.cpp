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

int Pick(int from, int to) { return *rc::gen::inRange(from, to + 1); }

// Whole code page 932 characters, at most `most` bytes: ASCII, control
// bytes but LF and NUL, half-width katakana and two-byte characters of every
// lead byte range.
std::string Characters(int most)
{
    std::string out;
    for (int n = Pick(0, most); n > 0; --n) {
        const int kind = Pick(0, 2);
        const std::string c = kind == 0   ? std::string(1, *rc::gen::element('\x01', '\t', '\r', ' ', Pick(0x21, 0x7F)))
                              : kind == 1 ? std::string(1, static_cast<char>(Pick(0xA1, 0xDF)))
                                          : std::string{static_cast<char>(Pick(0, 1) ? Pick(0x81, 0x9F) : Pick(0xE0, 0xFC)),
                                                        static_cast<char>(Pick(0x40, 0xFC))};
        if (out.size() + c.size() > static_cast<std::size_t>(most)) {
            break;
        }
        out += c;
    }
    return out;
}

// Card numbers 1-600, the ends of the range often.
int CardNumber() { return *rc::gen::oneOf(rc::gen::inRange(1, 4), rc::gen::inRange(598, 601), rc::gen::inRange(1, 601)); }

// A save file as the game writes it: names of whole characters, spare copies
// and decks of any size; then lines of the game's own, the last one with or
// without its line break, any bytes in them.
SaveFileBuilder AnySaveFile(std::string& tail)
{
    SaveFileBuilder file;
    for (std::string& line : file.gameLines) {  // any bytes but CR LF, the player's name too
        line = *rc::gen::arbitrary<std::string>();
        for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;) {
            line.erase(at, 1);
        }
    }
    for (int i = 0; i < 600; ++i) {
        file.stock[i] = static_cast<std::uint8_t>(Pick(0, 4));
    }
    file.active = static_cast<std::uint8_t>(Pick(0, SaveData::kDecks - 1));
    // Now and then the active deck is the only complete one: the last deck.
    const bool onlyActiveComplete = Pick(0, 3) == 0;
    for (int s = 0; s < SaveData::kDecks; ++s) {
        file.names[s] = Characters(DeckRecord::kNameBytes);
        const bool mayBeComplete = !onlyActiveComplete || s == file.active;
        for (int n = mayBeComplete ? *rc::gen::element(0, 40, Pick(0, 40)) : Pick(0, 39); n > 0; --n) {
            file.Add(s, CardNumber());
        }
    }
    tail.clear();
    for (const std::string& line : *rc::gen::arbitrary<std::vector<std::string>>()) {
        tail += line + "\r\n";
    }
    tail += *rc::gen::arbitrary<std::string>();
    return file;
}

// Any text a player may give as a code: codes of real decks with groups in
// any order and repeated, blanks around, a stray character, nothing at all.
std::string CodeText()
{
    if (Pick(0, 3) == 0) {
        return *rc::gen::container<std::string>(rc::gen::elementOf(kDazoAlphabet));
    }
    std::string code = "0";
    for (int n = Pick(0, 20); n > 0; --n) {
        const int value = (CardNumber() - 1) * 3 + Pick(0, 2);
        code += std::string{digit_char(value / 62), digit_char(value % 62)};
    }
    const auto blanks = rc::gen::container<std::string>(rc::gen::element(' ', '\t', '\r', '\n'));
    return *blanks + code + *blanks + *rc::gen::element(std::string(), std::string("!"), std::string(" 0"));
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
        data = std::make_unique<SaveData>(ws.Paths());
        RC_ASSERT(data->IsLoaded());
        backup = std::make_unique<SaveData>(ws.Paths(), ws.BackupDir() + "/Save2612081031.dat");
        start = Image(*data);
    }

    // Runs one random command, recorded as a step when it changed something;
    // undo and redo are commands too.
    void Command()
    {
        SaveData& d = *data;
        const int a = Pick(0, 3) == 0 ? d.ActiveDeck() : Pick(0, SaveData::kDecks - 1);
        const int b = Pick(0, 1) ? a : Pick(0, SaveData::kDecks - 1);
        const DeckHistory::State before = d.Snapshot();
        std::string message;
        switch (Pick(0, 8)) {
        case 0:  // any bytes, broken characters and line breaks included
            d.Deck(a).SetName(Pick(0, 1) ? Characters(45) : *rc::gen::arbitrary<std::string>());
            break;
        case 1: message = ClearDeck(d, a); break;
        case 2: message = CreateDeck(d, a, CodeText()); break;
        case 3: message = StoreDeck(d, a, CodeText()); break;
        case 4: message = DuplicateDeck(d, a, b); break;
        case 5: message = SwapDecks(d, a, b); break;
        case 6: message = RestoreDeck(d, a, *backup, b); break;
        case 7: history.Undo(d); return;
        default: history.Redo(d); return;
        }
        const bool recorded = history.Record(before, d, "step " + std::to_string(steps + 1));
        steps += recorded ? 1 : 0;
        if (IsRefusal(message)) {  // no byte changed, and so no step
            RC_ASSERT(d.Snapshot() == before);
            RC_ASSERT(!recorded);
        }
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
    for (int line = 0; line < kLines; ++line, at += 2) {
        const std::size_t end = bytes.find("\r\n", at);
        RC_ASSERT(end != std::string::npos);
        const std::string text = bytes.substr(at, end - at);
        at = end;
        const int deckLine = line - SaveData::kStockLine - 2;  // names even, cards odd
        if (deckLine == -2 || deckLine == -1) {
            RC_ASSERT(text.size() == (deckLine == -2 ? 1200u : 2u));  // the stock, the active deck
        } else if (deckLine >= 0 && deckLine % 2 == 1) {
            RC_ASSERT(text.size() == 80u);
        } else if (deckLine >= 0) {
            std::size_t i = 0;
            while (i < text.size()) {
                i += IsLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
            }
            RC_ASSERT(text.size() <= 37u && i == text.size());  // no half character at the end
        }
    }
    RC_ASSERT(bytes.substr(at) == tail);
}

}  // namespace

RC_GTEST_PROP(SaveProperties, NoCardIsMadeOrLostAndARefusedCommandChangesNothing, ())
{
    Game game;
    const std::array<int, 600> owned = Owned(*game.data);
    const int commands = Pick(1, 29);
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
    const int commands = Pick(0, 11);
    for (int n = 0; n < commands; ++n) {
        game.Command();
    }
    RC_ASSERT(game.data->Write() == "");
    const std::string written = game.ws.Get(game.ws.SavePath());
    if (commands == 0) {  // a file in the game's own layout comes back byte for byte
        RC_ASSERT(written == game.file.Bytes() + game.tail);
    }
    CheckLayout(written, game.tail);
    const SaveData again(game.ws.Paths());
    RC_ASSERT(again.IsLoaded());
    // Names, cards, stock, active deck and player as the program sees them.
    const auto seen = [](const SaveData& d) {
        std::string out = d.PlayerName() + '\n' + std::to_string(d.ActiveDeck());
        for (int s = 0; s < SaveData::kDecks; ++s) {
            out += '\n' + d.Deck(s).Name() + '\t' + std::string(d.Deck(s).Counts(), d.Deck(s).Counts() + 600);
        }
        for (int i = 0; i < 600; ++i) {
            out += static_cast<char>(d.Stock(i));
        }
        return out;
    };
    RC_ASSERT(seen(again) == seen(*game.data));
    RC_ASSERT(Image(again) == written);
    RC_ASSERT(!game.data->HasUnsavedChanges());
}
