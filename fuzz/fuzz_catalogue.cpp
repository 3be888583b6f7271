// The list.xml reader on arbitrary bytes, checked against a plain word-by-word
// reading of the same rules.
#include "FuzzSupport.h"

#include "catalogue/CardCatalogue.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

// atoi, saturating instead of overflowing.
FUZZ_NO_COVERAGE std::uint32_t Number(const std::string& text)
{
    return static_cast<std::uint32_t>(std::clamp<long long>(std::strtoll(text.c_str(), nullptr, 10), INT_MIN, INT_MAX));
}

// Each whitespace-separated word counts for the first of these tags that it
// holds, anywhere in it; <no> says which card the words after it describe.
FUZZ_NO_COVERAGE void Read(const std::string& input, CardColumns& cards)
{
    static const char* const kOpen[] = {"<no>", "<ap>", "<dp>", "<cp>", "<name>", "<attribute>", "<race>", "<special>"};
    static const char* const kClose[] = {"</name>", "</attribute>", "</race>", "</special>"};
    std::uint32_t* const numbers[] = {cards.ap, cards.dp, cards.cp};
    std::string* const texts[] = {cards.name, cards.attribute, cards.race, cards.special};
    for (int i = 0; i < CardColumns::kCards; ++i) {
        cards.name[i] = cards.attribute[i] = cards.race[i] = cards.special[i] = "unknown";
        cards.ap[i] = cards.dp[i] = cards.cp[i] = 0;
    }
    std::istringstream words(input);
    int current = 0;
    for (std::string word; words >> word;) {
        for (int t = 0; t < 8; ++t) {
            const std::size_t at = word.find(kOpen[t]);
            if (at == std::string::npos) {
                continue;
            }
            const std::size_t value = at + std::char_traits<char>::length(kOpen[t]);
            if (t == 0) {
                const auto n = static_cast<std::int32_t>(Number(word.substr(value)));
                current = n >= 1 && n <= 600 ? n - 1 : -1;
            } else if (current >= 0 && t <= 3) {
                numbers[t - 1][current] = Number(word.substr(value));
            } else if (current >= 0) {
                // To the closing tag when that comes after the opening one.
                const std::size_t close = word.find(kClose[t - 4]);
                texts[t - 4][current] = word.substr(value, close < value ? std::string::npos : close - value);
            }
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Large: reusing its storage spares a fresh mapping (and its page faults)
    // for every input.
    static CardColumns* const reference = new CardColumns;
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream in(input);
    const CardCatalogue catalogue(in);
    Read(input, *reference);
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        FUZZ_CHECK(catalogue.name[i] == reference->name[i]);
        FUZZ_CHECK(catalogue.attribute[i] == reference->attribute[i]);
        FUZZ_CHECK(catalogue.race[i] == reference->race[i]);
        FUZZ_CHECK(catalogue.special[i] == reference->special[i]);
        FUZZ_CHECK(catalogue.ap[i] == reference->ap[i]);
        FUZZ_CHECK(catalogue.dp[i] == reference->dp[i]);
        FUZZ_CHECK(catalogue.cp[i] == reference->cp[i]);
    }
    return 0;
}
