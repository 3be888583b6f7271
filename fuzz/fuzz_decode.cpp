// The deck code reader on arbitrary text: its entries against a pairwise
// reading, the walk over them, and the code of the counts it fills decoding
// to the same counts.
#include "FuzzSupport.h"

#include "deckcode/DazoRozi.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool InAlphabet(char c) { return kDazoAlphabet.find(c) != std::string::npos; }

// The entries the text names, read pair by pair after the first character,
// in ascending order.
FUZZ_NO_COVERAGE std::vector<std::int32_t> Pairs(const std::string& text)
{
    std::vector<std::int32_t> values;
    for (std::size_t i = 1; i + 1 < text.size(); i += 2) {
        const std::size_t high = kDazoAlphabet.find(text[i]);
        const std::size_t low = kDazoAlphabet.find(text[i + 1]);
        if (high != std::string::npos && low != std::string::npos && high * 62 + low < 1800) {
            values.push_back(static_cast<std::int32_t>(high * 62 + low));
        }
    }
    std::sort(values.begin(), values.end());
    return values;
}

// Walks the entries, one card and 1-3 copies each, into per-card counts as a
// deck keeps them: the larger wanted count wins.
FUZZ_NO_COVERAGE void Fill(DecodedCode decoded, std::uint8_t counts[600])
{
    std::memset(counts, 0, 600);
    for (const std::int32_t value : decoded.values()) {
        FUZZ_CHECK(decoded.current_card() == value / 3 && decoded.current_count() == value % 3 + 1);
        counts[value / 3] = std::max<std::uint8_t>(counts[value / 3], value % 3 + 1);
        decoded.advance();
    }
    FUZZ_CHECK(decoded.current_count() == 0 && decoded.current_card() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const DecodedCode decoded = decode(text);
    FUZZ_CHECK(decoded.values() == Pairs(text));
    FUZZ_CHECK(IsValidCodeText(text) == (size < 2 || std::all_of(text.begin() + 1, text.end(), InAlphabet)));

    std::uint8_t counts[600];
    Fill(decoded, counts);
    // A code made by encode decodes to the same counts and is its own normal form.
    const std::string code = encode(counts);
    std::uint8_t again[600];
    Fill(decode(code), again);
    FUZZ_CHECK(std::memcmp(counts, again, sizeof counts) == 0);
    FUZZ_CHECK(encode(again) == code);
    return 0;
}
