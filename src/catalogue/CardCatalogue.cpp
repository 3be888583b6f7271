#include "catalogue/CardCatalogue.h"

#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

namespace {

const char kUnknown[] = "unknown";

struct SpaceTable {
    bool space[256] = {};
    SpaceTable()
    {
        for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) {
            space[c] = true;
        }
    }
};
const SpaceTable kSpaces;

bool IsSpace(unsigned char c) { return kSpaces.space[c]; }

// Like atoi, but a value beyond the signed 32-bit range saturates instead of overflowing.
std::int32_t ToInt(const char* p, const char* end)
{
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > 2147483648LL) {
            value = 2147483648LL;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        value = INT_MAX;
    }
    return static_cast<std::int32_t>(value);
}

const char* Find(const char* word, std::size_t length, const char* needle, std::size_t needleLength)
{
    if (needleLength > length) {
        return nullptr;
    }
    const char* last = word + (length - needleLength);
    for (const char* p = word; p <= last; ++p) {
        p = static_cast<const char*>(std::memchr(p, needle[0], static_cast<std::size_t>(last - p) + 1));
        if (p == nullptr) {
            return nullptr;
        }
        if (std::memcmp(p, needle, needleLength) == 0) {
            return p;
        }
    }
    return nullptr;
}

struct Tag {
    const char* open;
    std::size_t openLength;
    const char* close;
    std::size_t closeLength;
};

// The order in which tags are looked for; only the first one found in a word counts.
const Tag kTags[] = {
    {"<no>", 4, nullptr, 0},           {"<ap>", 4, nullptr, 0},
    {"<dp>", 4, nullptr, 0},           {"<cp>", 4, nullptr, 0},
    {"<name>", 6, "</name>", 7},       {"<attribute>", 11, "</attribute>", 12},
    {"<race>", 6, "</race>", 7},       {"<special>", 9, "</special>", 10},
};

}  // namespace

struct CardCatalogue::Table {
    std::string special[kCards];
    std::string name[kCards];
    std::uint32_t ap[kCards];
    std::uint32_t dp[kCards];
    std::uint32_t cp[kCards];
    std::string attribute[kCards];
    std::string race[kCards];
    // Card index that fields apply to; -1 after a <no> outside 1-600, so that
    // its fields are dropped until the next valid <no>.
    int current = 0;

    void Reset();
    void Parse(const std::vector<char>& text);
    void HandleWord(const char* word, std::size_t length);
};

CardCatalogue::CardCatalogue() : CardCatalogue(std::string("list.xml")) {}

CardCatalogue::CardCatalogue(const std::string& path)
{
    std::ifstream in(path);
    if (in) {
        Load(in);
        return;
    }
    static const std::shared_ptr<const Table> unknown = [] {
        auto table = std::make_shared<Table>();
        table->Reset();
        return table;
    }();
    Use(unknown);
}

CardCatalogue::CardCatalogue(std::istream& in) { Load(in); }

void CardCatalogue::Use(std::shared_ptr<const Table> shared)
{
    table = std::move(shared);
    special = table->special;
    name = table->name;
    ap = table->ap;
    dp = table->dp;
    cp = table->cp;
    attribute = table->attribute;
    race = table->race;
}

void CardCatalogue::Table::Reset()
{
    for (int i = 0; i < kCards; ++i) {
        special[i] = kUnknown;
        name[i] = kUnknown;
        ap[i] = dp[i] = cp[i] = 0;
        attribute[i] = kUnknown;
        race[i] = kUnknown;
    }
    current = 0;
}

void CardCatalogue::Load(std::istream& in)
{
    // One pass over the whole file; words are split here rather than with
    // operator>> so that the 55 reads at start-up stay cheap. A read error ends
    // the input just like the end of the file.
    // The buffer is kept from read to read, so that it is not allocated and
    // touched afresh each time.
    static std::vector<char> text;
    std::size_t size = 0;
    for (;;) {
        if (text.size() < size + 65536) {
            text.resize(size + 65536);
        }
        in.read(text.data() + size, 65536);
        size += static_cast<std::size_t>(in.gcount());
        if (!in) {
            break;
        }
    }

    // Start-up reads the same list.xml once per deck. The same bytes always
    // give the same table, so the last table read is shared; when no
    // catalogue holds it any more, its storage is reused for the next.
    struct LastRead {
        std::vector<char> bytes;
        std::shared_ptr<Table> table;
    };
    static LastRead last;
    if (!last.table || last.bytes.size() != size || !std::equal(last.bytes.begin(), last.bytes.end(), text.begin())) {
        if (!last.table || last.table.use_count() > 1) {
            last.table = std::make_shared<Table>();
        }
        last.bytes.assign(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
        last.table->Reset();
        last.table->Parse(last.bytes);
    }
    Use(last.table);
}

void CardCatalogue::Table::Parse(const std::vector<char>& text)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        while (p < end && IsSpace(static_cast<unsigned char>(*p))) {
            ++p;
        }
        const char* word = p;
        while (p < end && !IsSpace(static_cast<unsigned char>(*p))) {
            ++p;
        }
        if (p > word) {
            HandleWord(word, static_cast<std::size_t>(p - word));
        }
    }
}

void CardCatalogue::Table::HandleWord(const char* word, std::size_t length)
{
    // One pass over the word finds where each tag first occurs; the first tag
    // of the fixed order that occurs at all is the one handled.
    constexpr std::size_t kTagCount = sizeof kTags / sizeof kTags[0];
    const char* first[kTagCount] = {};
    const char* end = word + length;
    for (const char* p = word; p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
        if (p == nullptr) {
            break;
        }
        const std::size_t left = static_cast<std::size_t>(end - p);
        for (std::size_t t = 0; t < kTagCount; ++t) {
            const Tag& tag = kTags[t];
            if (first[t] == nullptr && left >= tag.openLength && p[1] == tag.open[1] &&
                std::memcmp(p, tag.open, tag.openLength) == 0) {
                first[t] = p;
            }
        }
    }
    std::size_t t = 0;
    while (t < kTagCount && first[t] == nullptr) {
        ++t;
    }
    if (t == kTagCount) {
        return;
    }
    const char* value = first[t] + kTags[t].openLength;
    if (t == 0) {
        const std::int32_t number = ToInt(value, end);
        current = (number >= 1 && number <= kCards) ? number - 1 : -1;
        return;
    }
    if (current < 0) {
        return;
    }
    if (t <= 3) {
        const auto number = static_cast<std::uint32_t>(ToInt(value, end));
        std::uint32_t* column = t == 1 ? ap : t == 2 ? dp : cp;
        column[current] = number;
        return;
    }
    // A closing tag counts only when its first occurrence lies after the opening tag.
    const char* close = Find(word, length, kTags[t].close, kTags[t].closeLength);
    const char* valueEnd = (close != nullptr && close >= value) ? close : end;
    std::string* column = t == 4 ? name : t == 5 ? attribute : t == 6 ? race : special;
    column[current].assign(value, valueEnd);
}

std::string CardCatalogue::GetApText(int index) const { return boost::lexical_cast<std::string>(ap[index]); }
std::string CardCatalogue::GetDpText(int index) const { return boost::lexical_cast<std::string>(dp[index]); }
std::string CardCatalogue::GetCpText(int index) const { return boost::lexical_cast<std::string>(cp[index]); }

bool CardCatalogue::IsAllowedInTrainingDeck(int index)
{
    static const int kExcluded[] = {
        98,  99,  100, 137, 212, 249, 250, 288, 317, 318, 345, 346, 347, 348,
        349, 350, 351, 352, 353, 363, 365, 366, 398, 399, 400, 426, 432, 459,
        460, 462, 463, 469, 472, 477, 504, 505, 506, 541, 548, 549, 550, 588,
    };
    for (int number : kExcluded) {
        if (number == index + 1) {
            return false;
        }
    }
    return true;
}
