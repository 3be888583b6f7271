// What holds for any text the program reads: deck codes, the card list and
// the browser channel's messages.
#include "browser/BrowserMessages.h"
#include "catalogue/CardCatalogue.h"
#include "deckcode/DazoRozi.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// (card index, count) in the order the decoder hands them out.
std::vector<std::pair<int, int>> Decoded(const std::string& code)
{
    std::vector<std::pair<int, int>> out;
    for (DecodedCode d = decode(code); d.current_count() != 0; d.advance()) {
        out.emplace_back(d.current_card(), d.current_count());
    }
    return out;
}

rc::Gen<std::string> AlphabetText() { return rc::gen::container<std::string>(rc::gen::elementOf(kDazoAlphabet)); }

}  // namespace

// Any deck of at most three copies a card, the first and last cards often.
RC_GTEST_PROP(CodeProperties, ADeckComesBackFromItsCode, ())
{
    std::uint8_t counts[600] = {};
    const auto cards = *rc::gen::container<std::vector<int>>(rc::gen::oneOf(
        rc::gen::inRange(0, 3), rc::gen::inRange(597, 600), rc::gen::inRange(0, 600)));
    for (const int card : cards) {
        counts[card] = static_cast<std::uint8_t>(*rc::gen::inRange(1, 4));
    }
    std::uint8_t back[600] = {};
    for (const auto& [card, count] : Decoded(encode(counts))) {
        RC_ASSERT(back[card] == 0);
        back[card] = static_cast<std::uint8_t>(count);
    }
    RC_ASSERT(std::equal(counts, counts + 600, back));
}

// Whatever the text: cards 1-600 (indices 0-599), 1-3 copies, in ascending
// order, and the same deck whatever the order of the two-character groups.
RC_GTEST_PROP(CodeProperties, AnyTextDecodesToCardsOfTheGameInAnyGroupOrder, ())
{
    const std::string text = *rc::gen::oneOf(AlphabetText(), rc::gen::arbitrary<std::string>());
    const auto decoded = Decoded(text);
    for (const auto& [card, count] : decoded) {
        RC_ASSERT(card >= 0 && card < 600);
        RC_ASSERT(count >= 1 && count <= 3);
    }
    RC_ASSERT(std::is_sorted(decoded.begin(), decoded.end()));
    std::vector<std::string> groups;
    for (std::size_t i = 1; i + 1 < text.size(); i += 2) {
        groups.push_back(text.substr(i, 2));
    }
    const auto keys = *rc::gen::container<std::vector<int>>(groups.size(), rc::gen::arbitrary<int>());
    std::vector<std::size_t> order(groups.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&keys](std::size_t x, std::size_t y) { return keys[x] < keys[y]; });
    std::string shuffled = text.substr(0, 1);
    for (const std::size_t i : order) {
        shuffled += groups[i];
    }
    RC_ASSERT(Decoded(shuffled) == decoded);
}

// A card list with any names, numbers and blanks between the tags, several
// tags on a line included, reads back as the table it was written from.
RC_GTEST_PROP(CardListProperties, AWrittenListReadsBackAsItsTable, ())
{
    struct Card {
        std::string name, attribute, race, special;
        std::uint32_t ap, dp, cp;
    };
    // Values are words: any bytes but blanks and '<'.
    const auto word = rc::gen::nonEmpty(rc::gen::container<std::string>(rc::gen::suchThat(
        rc::gen::arbitrary<char>(), [](char c) { return static_cast<unsigned char>(c) > ' ' && c != '<'; })));
    const auto number = rc::gen::oneOf(rc::gen::inRange<std::uint32_t>(0, 10), rc::gen::inRange<std::uint32_t>(0, 0x7FFFFFFF));
    const auto blank = rc::gen::nonEmpty(rc::gen::container<std::string>(rc::gen::element(' ', '\t', '\r', '\n')));
    std::map<int, Card> table;
    for (const int no : *rc::gen::container<std::vector<int>>(rc::gen::oneOf(rc::gen::inRange(1, 4),
                                                                          rc::gen::inRange(597, 601),
                                                                          rc::gen::inRange(1, 601)))) {
        table[no] = {*word, *word, *word, *word, *number, *number, *number};
    }
    std::string list = "<?xml version=\"1.0\"?>" + *blank + "<cards>";
    for (const auto& [no, c] : table) {
        const std::pair<std::string, std::string> fields[] = {
            {"name", c.name}, {"ap", std::to_string(c.ap)}, {"dp", std::to_string(c.dp)}, {"cp", std::to_string(c.cp)},
            {"attribute", c.attribute}, {"race", c.race}, {"special", c.special}};
        list += *blank + "<card>" + *blank + "<no>" + std::to_string(no) + "</no>";
        for (const auto& [tag, value] : fields) {
            list += *blank + "<" + tag + ">" + value + "</" + tag + ">";
        }
        list += *blank + "</card>";
    }
    list += *blank + "</cards>" + *rc::gen::element(std::string(), std::string("\r\n"));
    std::istringstream in(list);
    const CardCatalogue read(in);
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        const auto it = table.find(i + 1);
        if (it == table.end()) {
            RC_ASSERT(read.GetName(i) == "unknown");
            RC_ASSERT(read.ap[i] == 0u);
            continue;
        }
        const Card& c = it->second;
        RC_ASSERT(read.GetName(i) == c.name);
        RC_ASSERT(read.attribute[i] == c.attribute);
        RC_ASSERT(read.race[i] == c.race);
        RC_ASSERT(read.GetSpecial(i) == c.special);
        RC_ASSERT(read.ap[i] == c.ap);
        RC_ASSERT(read.dp[i] == c.dp);
        RC_ASSERT(read.cp[i] == c.cp);
    }
}

// Any split of a stream of valid messages into pieces reads as the same
// messages; a header over the limits ends the stream there, and nothing fed
// after it is kept.
RC_GTEST_PROP(ChannelProperties, AnySplitReadsAsTheSameMessagesAndNothingOverTheLimitsIsKept, ())
{
    const auto name = rc::gen::elementOf(std::string("abcdefghijklmnopqrstuvwxyz_-.0123456789"));
    const auto messages = *rc::gen::container<std::vector<BrowserMessage>>(rc::gen::map(
        rc::gen::pair(rc::gen::mapcat(rc::gen::inRange<std::size_t>(1, 33),
                                     [name](std::size_t n) { return rc::gen::container<std::string>(n, name); }),
                      rc::gen::arbitrary<std::string>()),
        [](std::pair<std::string, std::string> p) { return BrowserMessage{p.first, p.second}; }));
    std::string stream;
    for (const BrowserMessage& m : messages) {
        AppendMessage(stream, m.name, m.text);
    }
    // An optional bad header at the end: a name or length too long, or a
    // line that never ends.
    const int bad = *rc::gen::inRange(0, 4);
    const std::string junk = bad == 1   ? std::string(33 + *rc::gen::inRange(0, 8), 'n') + " 1\nx"
                             : bad == 2 ? "name " + std::to_string(*rc::gen::inRange(16777217, 999999999)) + "\n"
                             : bad == 3 ? std::string(45 + *rc::gen::inRange(0, 50), 'n')
                                        : std::string();
    stream += junk;

    MessageReader reader;
    std::vector<BrowserMessage> read;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t piece = std::min<std::size_t>(*rc::gen::inRange(1, 80), stream.size() - at);
        reader.Feed(stream.data() + at, piece);
        at += piece;
        for (BrowserMessage m; reader.Next(m);) {
            read.push_back(m);
        }
    }
    RC_ASSERT(read.size() == messages.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        RC_ASSERT(read[i].name == messages[i].name);
        RC_ASSERT(read[i].text == messages[i].text);
    }
    RC_ASSERT(reader.Broken() == (bad != 0));
    // A broken stream keeps no more than it had when it broke.
    RC_ASSERT((bad != 0 ? reader.Waiting() <= junk.size() : reader.Waiting() == 0u));
    if (bad != 0) {
        const std::size_t waiting = reader.Waiting();
        std::string more;
        AppendMessage(more, "ok");
        reader.Feed(more.data(), more.size());
        BrowserMessage m;
        RC_ASSERT(!reader.Next(m));
        RC_ASSERT(reader.Waiting() == waiting);
    }
}
