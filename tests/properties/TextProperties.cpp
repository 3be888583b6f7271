// What holds for any text the program reads: deck codes and the browser
// channel's messages. (The card list's reading rules are fuzz/fuzz_catalogue's,
// held against a plain reading on every committed input.)
#include "browser/BrowserMessages.h"
#include "deckcode/DazoRozi.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
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
    // A group with a character outside the alphabet counts for nothing.
    std::string valid = text.substr(0, 1);
    for (const std::string& g : groups) {
        valid += kDazoAlphabet.find(g[0]) != std::string::npos && kDazoAlphabet.find(g[1]) != std::string::npos ? g : "";
    }
    RC_ASSERT(Decoded(valid) == decoded);
}

// Any split of a stream of valid messages into pieces reads as the same
// messages (lengths with leading zeros too); a header that breaks the rules
// ends the stream there, and nothing fed after it is kept.
RC_GTEST_PROP(ChannelProperties, AnySplitReadsAsTheSameMessagesAndNothingOverTheLimitsIsKept, ())
{
    const auto name = rc::gen::elementOf(std::string("abcdefghijklmnopqrstuvwxyz_-.0123456789"));
    std::vector<BrowserMessage> messages;
    std::string stream;
    for (int n = *rc::gen::inRange(0, 30); n > 0; --n) {
        const std::size_t length = *rc::gen::inRange<std::size_t>(1, 33);
        messages.push_back({*rc::gen::container<std::string>(length, name), *rc::gen::arbitrary<std::string>()});
        const std::string digits = std::to_string(messages.back().text.size());
        stream += messages.back().name + " " + std::string(*rc::gen::inRange<std::size_t>(0, 10 - digits.size()), '0') +
                  digits + "\n" + messages.back().text;
    }
    // The last header at the limit (its text still to come), or past it.
    const std::string junk = *rc::gen::element<std::string>(
        "", "name 16777216\n", std::string(33, 'n') + " 1\nx", "name 16777217\n", "name 1234567890\n",
        std::string(45, 'n'), " 1\n", "name \n", "name 1x\n", "name\n", "name -1\n");
    const bool breaks = !junk.empty() && junk != "name 16777216\n";
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
    RC_ASSERT(reader.Broken() == breaks);
    // A broken stream keeps no more than it had when it broke.
    RC_ASSERT(reader.Waiting() <= junk.size());
    const std::size_t waiting = reader.Waiting();
    reader.Feed("ok 0\n", 5);
    BrowserMessage m;
    RC_ASSERT(reader.Next(m) == junk.empty());
    RC_ASSERT(!breaks || reader.Waiting() == waiting);
}

// Numbers as a message's text and back; anything but whole numbers of at
// most 18 digits between single spaces is refused.
RC_GTEST_PROP(ChannelProperties, NumbersComeBackFromTheirTextAndOnlyThey, ())
{
    const auto numbers = *rc::gen::container<std::vector<long long>>(
        rc::gen::inRange(-999999999999999999LL, 1000000000000000000LL));
    std::vector<long long> back{1};
    RC_ASSERT(ParseNumbers(NumbersText(numbers), back));
    RC_ASSERT(back == numbers);
    const std::string bad = *rc::gen::element<std::string>(
        " 1", "1 ", "1  2", "-", "1-2", "+1", "1234567890123456789", "-1234567890123456789", "1a", "1 x");
    RC_ASSERT(!ParseNumbers(NumbersText(numbers) + (numbers.empty() ? "" : " ") + bad, back));
}

// An open request comes back from its text whatever bytes its fields hold;
// a text cut before the end of its name and code is refused.
RC_GTEST_PROP(ChannelProperties, OpenRequestsComeBackFromTheirTextAndCutOnesAreRefused, ())
{
    OpenRequest request;
    request.slot = *rc::gen::arbitrary<int>();
    request.owner = {*rc::gen::arbitrary<int>(), *rc::gen::arbitrary<int>(), *rc::gen::arbitrary<int>(),
                     *rc::gen::arbitrary<int>()};
    request.name = *rc::gen::arbitrary<std::string>();
    request.code = *rc::gen::arbitrary<std::string>();
    request.collection = *rc::gen::arbitrary<std::string>();
    const std::string text = OpenText(request);
    OpenRequest back;
    RC_ASSERT(ParseOpen(text, back));
    RC_ASSERT(OpenText(back) == text);  // the text holds every field whole
    const std::size_t whole = text.size() - request.collection.size();
    RC_ASSERT(!ParseOpen(text.substr(0, *rc::gen::inRange<std::size_t>(0, whole)), back));
}
