// The deck code reader on arbitrary text: entries in range and in order, the
// walk over them consistent, and the code of the counts it fills decoding to
// the same counts.
#include "FuzzSupport.h"

#include "deckcode/DazoRozi.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The entries the text names, read pair by pair after the first character.
FUZZ_NO_COVERAGE std::vector<std::int32_t> Pairs(const std::string& text)
{
    std::vector<std::int32_t> values;
    for (std::size_t i = 1; i + 1 < text.size(); i += 2) {
        const std::size_t high = kDazoAlphabet.find(text[i]);
        const std::size_t low = kDazoAlphabet.find(text[i + 1]);
        if (high == std::string::npos || low == std::string::npos) {
            continue;
        }
        const auto value = static_cast<std::int32_t>(high * 62 + low);
        if (value < 1800) {
            values.push_back(value);
        }
    }
    std::sort(values.begin(), values.end());
    return values;
}

// Per-card counts as a deck would keep them: the larger wanted count wins.
FUZZ_NO_COVERAGE void Fill(DecodedCode decoded, std::uint8_t counts[600])
{
    std::memset(counts, 0, 600);
    int previous = -1;
    for (; decoded.current_count() != 0; decoded.advance()) {
        const int card = decoded.current_card();
        const int count = decoded.current_count();
        FUZZ_CHECK(card >= 0 && card < 600);
        FUZZ_CHECK(count >= 1 && count <= 3);
        FUZZ_CHECK(card >= previous);
        previous = card;
        counts[card] = static_cast<std::uint8_t>(std::max<int>(counts[card], count));
    }
    FUZZ_CHECK(decoded.current_card() == 0);
    decoded.advance();
    FUZZ_CHECK(decoded.current_count() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const DecodedCode decoded = decode(text);
    const std::vector<std::int32_t>& values = decoded.values();
    FUZZ_CHECK(values == Pairs(text));
    for (std::int32_t v : values) {
        FUZZ_CHECK(v >= 0 && v < 1800);
    }
    FUZZ_CHECK(std::is_sorted(values.begin(), values.end()));

    bool valid = true;
    for (std::size_t i = 1; i < text.size(); ++i) {
        valid = valid && kDazoAlphabet.find(text[i]) != std::string::npos;
    }
    FUZZ_CHECK(IsValidCodeText(text) == valid);

    std::uint8_t counts[600];
    Fill(decoded, counts);

    const std::string code = encode(counts);
    FUZZ_CHECK(!code.empty() && code[0] == '0');
    FUZZ_CHECK(code.size() % 2 == 1);
    FUZZ_CHECK(IsValidCodeText(code));
    std::uint8_t again[600];
    Fill(decode(code), again);
    FUZZ_CHECK(std::memcmp(counts, again, sizeof counts) == 0);
    // A code made by encode is its own normal form.
    FUZZ_CHECK(encode(again) == code);
    return 0;
}
