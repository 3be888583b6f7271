// Prints deck-code vectors as JSON for the deck page's browser tests: random
// decks with the core's code for them, and odd codes with what the core's
// decoder makes of them. The page must agree with both.
// Usage: vectors [seed]
#include "deckcode/DazoRozi.h"
#include "rules/DeckRules.h"
#include "support/Workspace.h"

#include <algorithm>
#include <iterator>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kCards = CardCatalogue::kCards;
constexpr int kMaxCards = DeckRecord::kMaxCards;

// The codes here are printable ASCII without quotes or backslashes.
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string CountsJson(const std::uint8_t counts[kCards])
{
    std::string out = "[";
    for (int i = 0; i < kCards; ++i) {
        if (counts[i] != 0) {
            if (out.size() > 1) {
                out += ",";
            }
            out += "[" + std::to_string(i) + "," + std::to_string(counts[i]) + "]";
        }
    }
    return out + "]";
}

}  // namespace

int main(int argc, char** argv)
{
    const unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 20240601u;
    std::mt19937 random(seed);
    std::printf("{\"seed\":%u,\n\"random\":[\n", seed);
    const int kDecks = 40;
    for (int d = 0; d < kDecks; ++d) {
        std::uint8_t counts[kCards] = {};
        // The first decks are the edges: a full deck, both ends of the table.
        int wanted = d == 0 ? kMaxCards : static_cast<int>(random() % (kMaxCards + 1));
        if (d == 1) {
            counts[0] = 3;
            counts[599] = 3;
            wanted = 0;
        }
        int total = 0;
        while (total < wanted) {
            const int index = static_cast<int>(random() % kCards);
            const int room = std::min(3 - counts[index], wanted - total);
            if (room <= 0) {
                continue;
            }
            const int add = 1 + static_cast<int>(random() % room);
            counts[index] = static_cast<std::uint8_t>(counts[index] + add);
            total += add;
        }
        std::printf("{\"counts\":%s,\"code\":%s}%s\n", CountsJson(counts).c_str(), Quoted(encode(counts)).c_str(),
                    d + 1 < kDecks ? "," : "");
    }
    std::printf("],\n\"odd\":[\n");
    const std::vector<std::string> odd = {
        "",                       // nothing at all
        "0",                      // the empty deck
        "X00",                    // the first character is not looked at
        "0t1",                    // three copies of the last card
        "000t",                   // even length: the unpaired last character goes
        "0t100",                  // groups out of order
        "000020100",              // one card named three times: the largest count stays
        "0!!00",                  // a group outside the alphabet
        "00!0a",                  // a bad character in the second place of a group
        "0t2zz000",               // values past the last card
        "0 00-101",               // space and minus are no alphabet characters
        "0020508",                // four copies asked as 3 + 3: stays 3
        // 14 cards of 3 copies: the deck stops at 40, in ascending card order.
        "00205080b0e0h0k0n0q0t0w0z0C0F",
        "0ZZZZZZ",                // all above 1799
        "00",                     // one unpaired character only
    };
    // What the editor makes of each: an empty normal deck filled by the deck
    // rules, with copies to spare in the stock.
    GameFolder game;
    std::fill(std::begin(game.saveFile.stock), std::end(game.saveFile.stock), 50);
    game.saveFile.active = 1;
    SaveData& data = game.Load();
    for (std::size_t k = 0; k < odd.size(); ++k) {
        data.DeleteDeck(0);
        AddFromCode(data, 0, odd[k]);
        const std::uint8_t* counts = data.Deck(0).Counts();
        std::printf("{\"code\":%s,\"counts\":%s,\"result\":%s}%s\n", Quoted(odd[k]).c_str(),
                    CountsJson(counts).c_str(), Quoted(encode(counts)).c_str(),
                    k + 1 < odd.size() ? "," : "");
    }
    std::printf("]}\n");
    return 0;
}
