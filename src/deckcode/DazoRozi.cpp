#include "deckcode/DazoRozi.h"

#include <algorithm>

const std::string kDazoAlphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

namespace {
constexpr int kMaxEntryValue = 600 * kMaxCodeCopies - 1;
}

char digit_char(int value)
{
    if (value < 0 || value >= static_cast<int>(kDazoAlphabet.size())) {
        return static_cast<char>(0xFF);
    }
    return kDazoAlphabet[static_cast<std::size_t>(value)];
}

int digit_value(char ch)
{
    const std::size_t at = kDazoAlphabet.find(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

std::string encode(const std::uint8_t counts[600])
{
    std::string code = "0";
    for (int n = 0; n < 600; ++n) {
        const int c = std::min<int>(counts[n], kMaxCodeCopies);
        if (c == 0) {
            continue;
        }
        const int v = n * 3 + c - 1;
        code += digit_char(v / 62);
        code += digit_char(v % 62);
    }
    return code;
}


bool IsValidCodeText(const std::string& text)
{
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (digit_value(text[i]) < 0) {
            return false;
        }
    }
    return true;
}

std::string TrimmedCode(const std::string& text)
{
    // A code copied from a Japanese text often brings the full-width blank.
    const auto blankAt = [&text](std::size_t at) -> std::size_t {
        const char c = text[at];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            return 1;
        }
        return text.compare(at, 2, "\x81\x40") == 0 ? 2 : 0;
    };
    std::size_t first = 0, end = text.size();
    while (first < end) {
        const std::size_t width = blankAt(first);
        if (width == 0) {
            break;
        }
        first += width;
    }
    while (first < end) {
        const std::size_t width = end - first >= 2 && blankAt(end - 2) == 2 ? 2 : blankAt(end - 1) == 1 ? 1 : 0;
        if (width == 0) {
            break;
        }
        end -= width;
    }
    return text.substr(first, end - first);
}

DecodedCode::DecodedCode(std::vector<std::int32_t> values) : entries(std::move(values))
{
    std::sort(entries.begin(), entries.end());
}

int DecodedCode::current_card() const { return position < entries.size() ? entries[position] / 3 : 0; }

int DecodedCode::current_count() const { return position < entries.size() ? entries[position] % 3 + 1 : 0; }

void DecodedCode::advance()
{
    if (position < entries.size()) {
        ++position;
    }
}

DecodedCode decode(std::string text)
{
    std::vector<std::int32_t> values;
    values.reserve(text.size() / 2);
    for (std::size_t i = 1; i + 1 < text.size(); i += 2) {
        const int high = digit_value(text[i]);
        const int low = digit_value(text[i + 1]);
        if (high < 0 || low < 0) {
            continue;
        }
        const int value = high * 62 + low;
        if (value > kMaxEntryValue) {
            continue;
        }
        values.push_back(value);
    }
    return DecodedCode(std::move(values));
}
