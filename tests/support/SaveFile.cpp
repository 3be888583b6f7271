#include "support/SaveFile.h"

#include "deckcode/DazoRozi.h"
#include "savedata/SaveData.h"

#include <algorithm>

SaveFileBuilder::SaveFileBuilder() : gameLines(28)
{
    for (int i = 0; i < 28; ++i) {
        gameLines[static_cast<std::size_t>(i)] = "game line " + std::to_string(i) + " \x01\x02\xfe";
    }
    gameLines[11] = "Player";
    for (int i = 0; i < 600; ++i) {
        stock[i] = static_cast<std::uint8_t>(i % 4);
        stockSecond[i] = static_cast<std::uint8_t>(0xA0 + i % 7);
    }
    for (int s = 0; s < 53; ++s) {
        names[s] = "Deck " + std::to_string(s + 1);
    }
}

void SaveFileBuilder::Fill(int slot, int firstCardNumber)
{
    cards[slot].clear();
    for (int i = 0; i < 13; ++i) {
        Add(slot, firstCardNumber + i, 3);
    }
    Add(slot, firstCardNumber + 13, 1);
}

std::string SaveFileBuilder::Bytes() const
{
    std::string out;
    for (const std::string& line : gameLines) {
        out += line + "\r\n";
    }
    for (int i = 0; i < 600; ++i) {
        out += static_cast<char>(stock[i]);
        out += static_cast<char>(stockSecond[i]);
    }
    out += "\r\n";
    out += static_cast<char>(active);
    out += static_cast<char>(activeSecond);
    out += "\r\n";
    for (int s = 0; s < 53; ++s) {
        out += names[s] + "\r\n";
        if (!cardLines[s].empty()) {
            out += cardLines[s] + "\r\n";
            continue;
        }
        std::vector<int> sorted = cards[s];
        std::sort(sorted.begin(), sorted.end());
        for (int n : sorted) {
            out += static_cast<char>(n % 100);
            out += static_cast<char>(n / 100);
        }
        out.append(2 * (40 - std::min<std::size_t>(sorted.size(), 40)), '\0');
        out += "\r\n";
    }
    return out;
}

std::string SimpleCardList()
{
    std::string out = "<?xml version=\"1.0\"?>\r\n<cards>\r\n";
    for (int n = 1; n <= 600; ++n) {
        const std::string k = std::to_string(n);
        out += "<card>\r\n<no>" + k + "</no>\r\n<name>Card" + k + "</name>\r\n<ap>" + std::to_string(n * 10) +
               "</ap>\r\n<dp>" + std::to_string(n * 5) + "</dp>\r\n<cp>" + std::to_string(n % 7) +
               "</cp>\r\n<attribute>Attr" + std::to_string(n % 5) + "</attribute>\r\n<race>Race" +
               std::to_string(n % 3) + "</race>\r\n<special>Sp" + k + "</special>\r\n</card>\r\n";
    }
    return out + "</cards>\r\n";
}

std::string Image(const SaveData& data)
{
    const std::vector<std::uint8_t> image = data.BuildImage();
    return std::string(image.begin(), image.end());
}

std::string FileLines(const std::string& file, int from, int to)
{
    const auto start = [&file](int line) {
        std::size_t at = 0;
        for (int i = 0; i < line && at < file.size(); ++i) {
            const std::size_t end = file.find("\r\n", at);
            at = end == std::string::npos ? file.size() : end + 2;
        }
        return at;
    };
    return file.substr(start(from), start(to) - start(from));
}

std::string CodeOf(std::initializer_list<std::pair<int, int>> cards)
{
    std::string code = "0";
    for (const auto& [number, copies] : cards) {
        const int value = (number - 1) * 3 + copies - 1;
        code += digit_char(value / 62);
        code += digit_char(value % 62);
    }
    return code;
}

std::string FormatWith(const std::map<std::string, std::string>& sections, const std::string& lineBreak)
{
    std::string out;
    for (const char* name : {"globalheader", "header", "creature", "separator", "magic", "footer"}) {
        const auto it = sections.find(name);
        out += std::string("\\") + name + "_start" + lineBreak + (it == sections.end() ? "" : it->second) + "\\" +
               name + "_end" + lineBreak;
    }
    return out;
}
