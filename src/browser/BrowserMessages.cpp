#include "browser/BrowserMessages.h"

#include <climits>

namespace {

// No message comes near this; more means the stream is not ours.
constexpr std::size_t kLongestText = 16u << 20;
constexpr std::size_t kLongestName = 32;

}  // namespace

void AppendMessage(std::string& out, const std::string& name, const std::string& text)
{
    out += name;
    out += ' ';
    out += std::to_string(text.size());
    out += '\n';
    out += text;
}

std::string NumbersText(const std::vector<long long>& numbers)
{
    std::string text;
    for (const long long n : numbers) {
        if (!text.empty()) {
            text += ' ';
        }
        text += std::to_string(n);
    }
    return text;
}

std::string OpenText(const OpenRequest& r)
{
    return NumbersText({r.slot, r.owner.left, r.owner.top, r.owner.right, r.owner.bottom,
                        static_cast<long long>(r.name.size()), static_cast<long long>(r.code.size())}) +
           '\n' + r.name + r.code + r.collection;
}

bool ParseOpen(const std::string& text, OpenRequest& r)
{
    const std::size_t lineEnd = text.find('\n');
    std::vector<long long> n;
    if (lineEnd == std::string::npos || !ParseNumbers(text.substr(0, lineEnd), n) || n.size() != 7) {
        return false;
    }
    for (std::size_t i = 0; i < 5; ++i) {
        if (n[i] < INT_MIN || n[i] > INT_MAX) {
            return false;
        }
    }
    const std::size_t rest = text.size() - lineEnd - 1;
    if (n[5] < 0 || n[6] < 0 || static_cast<unsigned long long>(n[5]) > rest ||
        static_cast<unsigned long long>(n[6]) > rest - static_cast<std::size_t>(n[5])) {
        return false;
    }
    r.slot = static_cast<int>(n[0]);
    r.owner = {static_cast<int>(n[1]), static_cast<int>(n[2]), static_cast<int>(n[3]), static_cast<int>(n[4])};
    const std::size_t nameLength = static_cast<std::size_t>(n[5]);
    const std::size_t codeLength = static_cast<std::size_t>(n[6]);
    r.name = text.substr(lineEnd + 1, nameLength);
    r.code = text.substr(lineEnd + 1 + nameLength, codeLength);
    r.collection = text.substr(lineEnd + 1 + nameLength + codeLength);
    return true;
}

bool ParseNumbers(const std::string& text, std::vector<long long>& numbers)
{
    numbers.clear();
    if (text.empty()) {
        return true;
    }
    std::size_t at = 0;
    for (;;) {
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::size_t first = at < end && text[at] == '-' ? at + 1 : at;
        if (first == end || end - first > 18) {
            return false;
        }
        long long value = 0;
        for (std::size_t i = first; i < end; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return false;
            }
            value = value * 10 + (text[i] - '0');
        }
        numbers.push_back(first == at ? value : -value);
        if (end == text.size()) {
            return true;
        }
        at = end + 1;
    }
}

void MessageReader::Feed(const char* bytes, std::size_t size)
{
    if (!broken) {
        buffer.append(bytes, size);
    }
}

bool MessageReader::Next(BrowserMessage& message)
{
    if (broken) {
        return false;
    }
    const std::size_t lineEnd = buffer.find('\n', start);
    if (lineEnd == std::string::npos) {
        broken = buffer.size() - start > kLongestName + 12;
        return false;
    }
    const std::size_t space = buffer.find(' ', start);
    if (space == std::string::npos || space > lineEnd || space == start || space - start > kLongestName ||
        lineEnd == space + 1 || lineEnd - space - 1 > 9) {
        broken = true;
        return false;
    }
    std::size_t length = 0;
    for (std::size_t i = space + 1; i < lineEnd; ++i) {
        const char c = buffer[i];
        if (c < '0' || c > '9') {
            broken = true;
            return false;
        }
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    if (length > kLongestText) {
        broken = true;
        return false;
    }
    if (buffer.size() - lineEnd - 1 < length) {
        return false;
    }
    message.name.assign(buffer, start, space - start);
    message.text.assign(buffer, lineEnd + 1, length);
    start = lineEnd + 1 + length;
    // Drop what has been handed out once it is most of the buffer.
    if (start > 4096 && start * 2 > buffer.size()) {
        buffer.erase(0, start);
        start = 0;
    }
    return true;
}
