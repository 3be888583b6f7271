#pragma once
// DAZO Rozi: the deck code. "0", then two base-62 digits per distinct card
// (card index * 3 + copies - 1), in ascending card index.
#include <cstdint>
#include <string>
#include <vector>


extern const std::string kDazoAlphabet;
// A code names at most three copies of a card: its entries count 1-3.
constexpr int kMaxCodeCopies = 3;

// The alphabet character for 0-61; 0xFF for anything larger.
char digit_char(int value);
// The position of ch in the alphabet; -1 when it is not in it.
int digit_value(char ch);

// The code of 600 per-card counts. A count above kMaxCodeCopies is written as that many.
std::string encode(const std::uint8_t counts[600]);

// True when every byte after the first is an alphabet character.
bool IsValidCodeText(const std::string& text);
// The code without the blanks (ASCII and full-width), tabs and line breaks
// around it that copying and pasting bring along.
std::string TrimmedCode(const std::string& text);

class DecodedCode {
public:
    explicit DecodedCode(std::vector<std::int32_t> values);
    int current_card() const;
    int current_count() const;  // 0 at the end
    void advance();
    const std::vector<std::int32_t>& values() const { return entries; }

private:
    std::vector<std::int32_t> entries;
    std::size_t position = 0;
};

// Groups holding a character outside the alphabet, and entries for card
// indices outside 0-599, are skipped.
DecodedCode decode(std::string text);
