#pragma once
// A save file in the game's 136-line layout, built field by field. make-demo
// builds the demo's save file with it; the tests, fuzz targets and benchmarks
// build theirs.
#include <cstdint>
#include <string>
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
