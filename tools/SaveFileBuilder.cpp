#include "SaveFileBuilder.h"

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
