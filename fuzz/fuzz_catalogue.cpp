// The list.xml reader on arbitrary bytes, checked against a plain word-by-word
// reading of the same rules, and every accessor of all 600 cards exercised.
#include "FuzzSupport.h"

#include "catalogue/CardCatalogue.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <new>
#include <sstream>
#include <string>

namespace {

FUZZ_NO_COVERAGE bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// atoi, saturating instead of overflowing.
FUZZ_NO_COVERAGE std::uint32_t Number(const std::string& text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 1LL << 32) {
            value = 1LL << 32;
        }
    }
    value = negative ? -value : value;
    value = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

struct Reference {
    std::string text[4][600];  // name, attribute, race, special
    std::uint32_t number[3][600];  // ap, dp, cp

    FUZZ_NO_COVERAGE void Read(const std::string& input)
    {
        for (auto& column : text) {
            for (auto& entry : column) {
                entry = "unknown";
            }
        }
        for (auto& column : number) {
            for (auto& entry : column) {
                entry = 0;
            }
        }
        static const char* const kOpen[] = {"<no>", "<ap>", "<dp>", "<cp>", "<name>", "<attribute>", "<race>", "<special>"};
        static const char* const kClose[] = {"</name>", "</attribute>", "</race>", "</special>"};
        int current = 0;
        std::size_t p = 0;
        while (p < input.size()) {
            while (p < input.size() && IsSpace(static_cast<unsigned char>(input[p]))) {
                ++p;
            }
            const std::size_t start = p;
            while (p < input.size() && !IsSpace(static_cast<unsigned char>(input[p]))) {
                ++p;
            }
            if (p == start) {
                continue;
            }
            const std::string word = input.substr(start, p - start);
            for (int t = 0; t < 8; ++t) {
                const std::string open = kOpen[t];
                const std::size_t at = word.find(open);
                if (at == std::string::npos) {
                    continue;
                }
                const std::string rest = word.substr(at + open.size());
                if (t == 0) {
                    const auto n = static_cast<std::int32_t>(Number(rest));
                    current = n >= 1 && n <= 600 ? n - 1 : -1;
                } else if (current >= 0 && t <= 3) {
                    number[t - 1][current] = Number(rest);
                } else if (current >= 0) {
                    const std::size_t close = word.find(kClose[t - 4]);
                    const bool closes = close != std::string::npos && close >= at + open.size();
                    text[t - 4][current] = closes ? word.substr(at + open.size(), close - at - open.size()) : rest;
                }
                break;
            }
        }
    }
};

// Compares; the words of the reading hold no whitespace, so neither may the
// catalogue's texts.
FUZZ_NO_COVERAGE void Check(const CardCatalogue* catalogue, const Reference* reference)
{
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        FUZZ_CHECK(catalogue->GetName(i) == reference->text[0][i]);
        FUZZ_CHECK(catalogue->attribute[i] == reference->text[1][i]);
        FUZZ_CHECK(catalogue->race[i] == reference->text[2][i]);
        FUZZ_CHECK(catalogue->GetSpecial(i) == reference->text[3][i]);
        FUZZ_CHECK(catalogue->ap[i] == reference->number[0][i]);
        FUZZ_CHECK(catalogue->dp[i] == reference->number[1][i]);
        FUZZ_CHECK(catalogue->cp[i] == reference->number[2][i]);
        FUZZ_CHECK(catalogue->GetApText(i) == std::to_string(catalogue->ap[i]));
        FUZZ_CHECK(catalogue->GetDpText(i) == std::to_string(catalogue->dp[i]));
        FUZZ_CHECK(catalogue->GetCpText(i) == std::to_string(catalogue->cp[i]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Both tables are large; reusing their storage spares a fresh mapping
    // (and its page faults) for every input.
    alignas(CardCatalogue) static unsigned char storage[sizeof(CardCatalogue)];
    static Reference* const reference = new Reference;

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream in(input);
    CardCatalogue* const catalogue = new (storage) CardCatalogue(in);
    reference->Read(input);
    Check(catalogue, reference);
    catalogue->~CardCatalogue();
    return 0;
}
