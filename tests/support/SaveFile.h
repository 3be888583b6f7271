#pragma once
// Builders for inputs: a save file in the game's 136-line layout, a card list
// in list.xml's grammar, deck codes and export format files. Tests, fuzz
// targets, benchmarks and make-demo all build their save files here.
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct SaveFileBuilder {
    SaveFileBuilder();                    // a plausible file: see the constructor
    std::vector<std::string> gameLines;  // lines 0-27; line 11 is the player's name
    std::uint8_t stock[600];           // first bytes of line 28
    std::uint8_t stockSecond[600];     // second bytes of line 28 (carried through)
    std::uint8_t active = 0;           // first byte of line 29
    std::uint8_t activeSecond = 0x37;  // second byte of line 29 (carried through)
    std::string names[53];
    std::vector<int> cards[53];        // card numbers 1-600, one per copy
    std::string cardLines[53];         // when not empty, the slot's card line as is

    void SetPlayer(const std::string& name) { gameLines[11] = name; }
    // Adds copies of a card number to the deck in slot s.
    void Add(int slot, int cardNumber, int copies = 1) { cards[slot].insert(cards[slot].end(), copies, cardNumber); }
    // Sets deck s to 40 cards (cards first, first+1, ... three copies each, then one).
    void Fill(int slot, int firstCardNumber);
    // The file's bytes: card lines in ascending card number, empty slots last.
    std::string Bytes() const;
};

// Lines [from, to) of a file whose lines end with CR LF, with their line breaks.
std::string FileLines(const std::string& file, int from, int to);

class SaveData;
// The bytes that Write would write now.
std::string Image(const SaveData& data);

// A list.xml of 600 cards named "Card<n>" with ap n*10, dp n*5, cp n%7,
// attribute "Attr<n%5>", race "Race<n%3>" and special "Sp<n>".
std::string SimpleCardList();

// A deck code of (card number, copies) groups written in the given order, so
// that codes no encoder makes (repeats, disorder) can be given too.
std::string CodeOf(std::initializer_list<std::pair<int, int>> cards);

// A format file holding all six markers; sections not given are empty. Each
// given text is put between its markers as is, so it should end with "\n".
std::string FormatWith(const std::map<std::string, std::string>& sections, const std::string& lineBreak = "\n");
