// The browser channel's reader on arbitrary bytes, fed in pieces of the size
// the first byte gives: the messages it hands out and whether it gives up,
// against a plain reading of the whole stream; and every message's text as
// numbers, against a plain reading of that rule.
#include "FuzzSupport.h"

#include "browser/BrowserMessages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Whole messages of `stream` in order; `broken` when a line is not a header
// ("NAME LENGTH", name 1-32 bytes without space, 1-9 digits of at most
// 16 MiB), or when 45 bytes pass without ending a header line.
FUZZ_NO_COVERAGE std::vector<BrowserMessage> PlainReading(const std::string& stream, bool& broken)
{
    std::vector<BrowserMessage> messages;
    broken = false;
    std::size_t at = 0;
    while (at < stream.size()) {
        const std::size_t lineEnd = stream.find('\n', at);
        if (lineEnd == std::string::npos) {
            broken = stream.size() - at > 44;
            break;
        }
        const std::string line = stream.substr(at, lineEnd - at);
        const std::size_t space = line.find(' ');  // npos counts as too far
        const std::string digits = space == std::string::npos ? "" : line.substr(space + 1);
        if (space == 0 || space > 32 || digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos || std::stoull(digits) > (16u << 20)) {
            broken = true;
            break;
        }
        const std::size_t length = std::stoull(digits);
        if (stream.size() - lineEnd - 1 < length) {
            break;
        }
        messages.push_back({line.substr(0, space), stream.substr(lineEnd + 1, length)});
        at = lineEnd + 1 + length;
    }
    return messages;
}

// Whole numbers of at most 18 digits, an optional minus, single spaces between.
FUZZ_NO_COVERAGE bool PlainNumbers(const std::string& text, std::vector<long long>& numbers)
{
    numbers.clear();
    std::size_t at = 0;
    while (at <= text.size() && !text.empty()) {
        std::size_t end = text.find(' ', at);
        end = end == std::string::npos ? text.size() : end;
        const std::string part = text.substr(at, end - at);
        const std::size_t first = !part.empty() && part[0] == '-' ? 1 : 0;
        if (part.size() == first || part.size() - first > 18 ||
            part.find_first_not_of("0123456789", first) != std::string::npos) {
            return false;
        }
        numbers.push_back(std::stoll(part));
        at = end + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = data[0] % 64 + 1;
    const std::string stream(reinterpret_cast<const char*>(data) + 1, size - 1);

    MessageReader reader;
    std::vector<BrowserMessage> read;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        reader.Feed(stream.data() + at, std::min(piece, stream.size() - at));
        for (BrowserMessage message; reader.Next(message);) {
            read.push_back(message);
        }
    }
    bool broken = false;
    const std::vector<BrowserMessage> expected = PlainReading(stream, broken);
    FUZZ_CHECK(reader.Broken() == broken);
    FUZZ_CHECK(read.size() == expected.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        FUZZ_CHECK(read[i].name == expected[i].name && read[i].text == expected[i].text);
        std::vector<long long> numbers;
        std::vector<long long> plain;
        const bool parsed = ParseNumbers(read[i].text, numbers);
        FUZZ_CHECK(parsed == PlainNumbers(read[i].text, plain));
        FUZZ_CHECK(!parsed || numbers == plain);
        std::vector<long long> again;
        FUZZ_CHECK(!parsed || (ParseNumbers(NumbersText(numbers), again) && again == numbers));
    }
    return 0;
}
