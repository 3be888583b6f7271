#pragma once
// What the deck page is told about the player's cards when it opens a deck,
// so that the player builds with what they own instead of learning it after ok.
#include "savedata/SaveData.h"

#include <string>

// The JSON object the page's deckstock(data) takes, for the deck in `slot`
// (0-52); card i+1 of the page is index i here.
//   normal deck:   {"kind":"normal","number":N,"usable":[600],"elsewhere":[600]}
//     usable[i]    copies StoreDeck would put into this deck from a code now:
//                  the stock plus the deck's own copies, at most what a code
//                  carries (a deck from the file may hold more than that);
//     elsewhere[i] copies held by the player's other normal decks.
//   training deck: {"kind":"training","number":N,"refused":[card numbers]}
//     the cards the game keeps out of training, ascending.
// N is the deck's number as the player sees it, slot + 1.
std::string CollectionJson(const SaveData& saveData, int slot);
