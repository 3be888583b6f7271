#include "catalogue/CardCatalogue.h"

#include "fileio/InputFile.h"

#include <boost/lexical_cast.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
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

// The tags in the order in which they are looked for; only the first one of
// this order that occurs in a word counts.
enum TagIndex { kNo, kAp, kDp, kCp, kName, kAttribute, kRace, kSpecial, kTagCount };
struct Tag {
    const char* open;
    std::size_t openLength;
};
const Tag kTags[kTagCount] = {
    {"<no>", 4},   {"<ap>", 4},          {"<dp>", 4},   {"<cp>", 4},
    {"<name>", 6}, {"<attribute>", 11}, {"<race>", 6}, {"<special>", 9},
};

template <std::size_t N>
bool IsAt(const char* p, const char* end, const char (&text)[N])
{
    return static_cast<std::size_t>(end - p) >= N - 1 && std::memcmp(p, text, N - 1) == 0;
}

// The opening tag that starts at p (a '<'), or kTagCount.
int OpeningTagAt(const char* p, const char* end)
{
    switch (end - p >= 2 ? p[1] : 0) {
    case 'n': return IsAt(p, end, "<no>") ? kNo : IsAt(p, end, "<name>") ? kName : kTagCount;
    case 'a': return IsAt(p, end, "<ap>") ? kAp : IsAt(p, end, "<attribute>") ? kAttribute : kTagCount;
    case 'd': return IsAt(p, end, "<dp>") ? kDp : kTagCount;
    case 'c': return IsAt(p, end, "<cp>") ? kCp : kTagCount;
    case 'r': return IsAt(p, end, "<race>") ? kRace : kTagCount;
    case 's': return IsAt(p, end, "<special>") ? kSpecial : kTagCount;
    default: return kTagCount;
    }
}

// Whether the closing tag of `tag` ("</" and the opening tag's name) starts at p.
bool ClosingTagAt(const char* p, const char* end, const Tag& tag)
{
    const std::size_t length = tag.openLength + 1;
    return static_cast<std::size_t>(end - p) >= length && p[0] == '<' && p[1] == '/' && p[2] == tag.open[1] &&
           std::memcmp(p + 2, tag.open + 1, tag.openLength - 1) == 0;
}

// Eight bytes at a time: a mask with the high bit set in the first byte that
// is below '!' (whitespace is) or is '<', the only bytes the word scan has to
// look at; bits above that byte may be set wrongly. Zero when there is none.
std::uint64_t NeedsLook(const char* p)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    std::uint64_t x;
    std::memcpy(&x, p, sizeof x);
    const std::uint64_t below = (x - kOnes * '!') & ~x & kHighs;
    const std::uint64_t y = x ^ (kOnes * '<');
    const std::uint64_t angle = (y - kOnes) & ~y & kHighs;
    return below | angle;
}

// Fills a fresh table from the text of a list.xml, word by word, in one pass.
class Parser {
public:
    explicit Parser(CardColumns& t) : table(t)
    {
        for (int i = 0; i < CardColumns::kCards; ++i) {
            table.special[i] = kUnknown;
            table.name[i] = kUnknown;
            table.attribute[i] = kUnknown;
            table.race[i] = kUnknown;
        }
    }

    void Parse(const char* p, const char* end)
    {
        constexpr int kKept = 8;
        const char* angles[kKept];
        std::vector<const char*> many;
        while (p < end) {
            while (p < end && IsSpace(static_cast<unsigned char>(*p))) {
                ++p;
            }
            // The word, noting where its '<' are: tags start there.
            const char* const word = p;
            int count = 0;
            while (p < end) {
                if (end - p >= 8) {
                    const std::uint64_t look = NeedsLook(p);
                    if (look == 0) {
                        p += 8;
                        continue;
                    }
                    p += __builtin_ctzll(look) / 8;
                }
                if (IsSpace(static_cast<unsigned char>(*p))) {
                    break;
                }
                if (*p == '<' && count <= kKept) {
                    if (count < kKept) {
                        angles[count] = p;
                    }
                    ++count;
                }
                ++p;
            }
            if (count == 0) {
                continue;  // a word without '<' holds no tag
            }
            if (count <= kKept) {
                HandleWord(angles, count, p);
                continue;
            }
            many.clear();
            for (const char* q = word; q < p; ++q) {
                if (*q == '<') {
                    many.push_back(q);
                }
            }
            HandleWord(many.data(), static_cast<int>(many.size()), p);
        }
    }

private:
    void HandleWord(const char* const* angles, int count, const char* end);

    CardColumns& table;
    // Card index that fields apply to; -1 after a <no> outside 1-600, so that
    // its fields are dropped until the next valid <no>.
    int current = 0;
};

// `angles` are the places of every '<' in the word, which ends at `end`.
void Parser::HandleWord(const char* const* angles, int count, const char* end)
{
    int found = kTagCount;
    const char* at = nullptr;
    for (int i = 0; i < count && found != kNo; ++i) {
        const int t = OpeningTagAt(angles[i], end);
        if (t < found) {
            found = t;
            at = angles[i];
        }
    }
    if (found == kTagCount) {
        return;
    }
    const char* value = at + kTags[found].openLength;
    if (found == kNo) {
        const std::int32_t number = ToInt(value, end);
        current = (number >= 1 && number <= CardColumns::kCards) ? number - 1 : -1;
        return;
    }
    if (current < 0) {
        return;
    }
    if (found <= kCp) {
        const auto number = static_cast<std::uint32_t>(ToInt(value, end));
        std::uint32_t* column = found == kAp ? table.ap : found == kDp ? table.dp : table.cp;
        column[current] = number;
        return;
    }
    // The value ends at the closing tag's first occurrence in the word, when
    // that lies after the opening tag; otherwise it runs to the word's end.
    const char* valueEnd = end;
    for (int i = 0; i < count; ++i) {
        if (ClosingTagAt(angles[i], end, kTags[found])) {
            if (angles[i] >= value) {
                valueEnd = angles[i];
            }
            break;
        }
    }
    std::string* column = found == kName        ? table.name
                          : found == kAttribute ? table.attribute
                          : found == kRace      ? table.race
                                                : table.special;
    column[current].assign(value, valueEnd);
}

std::shared_ptr<const CardColumns> Parsed(const std::string& text)
{
    auto table = std::make_shared<CardColumns>();
    Parser(*table).Parse(text.data(), text.data() + text.size());
    return table;
}

}  // namespace

CardCatalogue::CardCatalogue(std::shared_ptr<const CardColumns> columns)
    : table(std::move(columns)),
      special(table->special),
      name(table->name),
      ap(table->ap),
      dp(table->dp),
      cp(table->cp),
      attribute(table->attribute),
      race(table->race)
{
}

CardCatalogue::CardCatalogue(const std::string& path)
    : CardCatalogue([&] {
          // A list that cannot be read names every card "unknown", as a missing one does.
          std::string text;
          ReadInputFile(path, text);
          return Parsed(text);
      }())
{
}

CardCatalogue::CardCatalogue(std::istream& in)
    : CardCatalogue([&] {
          std::string text;
          char buffer[65536];
          while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
              text.append(buffer, static_cast<std::size_t>(in.gcount()));
          }
          return Parsed(text);
      }())
{
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

std::string CardListProblem(const std::string& listPath)
{
    // The same test as reading it, so that a FIFO is named here too and never waited for.
    struct stat st {};
    const int fd = ::stat(listPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)
                       ? ::open(listPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)
                       : -1;
    if (fd >= 0) {
        ::close(fd);
        return std::string();
    }
    return "list.xml が見つからないみたいです…。\r\nカードの名前は unknown になっちゃいます。";
}
