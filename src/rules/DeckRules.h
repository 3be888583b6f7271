#pragma once
// What may go into a deck, and the deck commands the window and the command
// line share. Every outcome is the empty text or a text shown unchanged.
#include "savedata/SaveData.h"

#include <cstdint>
#include <string>

// Adds the cards a code names to a deck under the 40-card limit, the stock
// (normal decks) and the training-deck exclusions; one complaint line per
// refused entry, or the empty text.
std::string AddFromCode(SaveData& saveData, int slot, std::string code);
// The same rules for per-card wanted counts taken directly from another deck.
std::string AddFromCounts(SaveData& saveData, int slot, const std::uint8_t wanted[600]);

// 消去: empties the deck into the stock and gives it its default name.
std::string ClearDeck(SaveData& saveData, int slot);
// The default name "デッキ" + slot + 1.
void ResetDeckName(SaveData& saveData, int slot);
// 編集: refills the deck from a code (blanks and line breaks around it are
// dropped); a complete result becomes the game's active deck. A code holding
// a character outside the alphabet changes nothing.
std::string StoreDeck(SaveData& saveData, int slot, std::string code);
// 作成: StoreDeck under the default name. A refused code, or a deck that
// cannot be emptied, changes nothing, the name included.
std::string CreateDeck(SaveData& saveData, int slot, std::string code);
// 複製: copies a deck's cards and name onto another slot.
std::string DuplicateDeck(SaveData& saveData, int source, int target);
// 入替: exchanges two decks of the same kind (normal or training).
std::string SwapDecks(SaveData& saveData, int a, int b);

extern const char kTextSwapAcrossKinds[];
extern const char kTextBadCodeCharacter[];
