#include "collection/Collection.h"

#include "deckcode/DazoRozi.h"

#include <algorithm>

namespace {

void AppendArray(std::string& json, const char* key, const int (&values)[CardCatalogue::kCards])
{
    json += ",\"";
    json += key;
    json += "\":[";
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        if (i != 0) {
            json += ',';
        }
        json += std::to_string(values[i]);
    }
    json += ']';
}

}  // namespace

std::string CollectionJson(const SaveData& saveData, int slot)
{
    const DeckRecord& deck = saveData.Deck(slot);
    std::string json = deck.IsTrainingDeck() ? "{\"kind\":\"training\"" : "{\"kind\":\"normal\"";
    json += ",\"number\":" + std::to_string(slot + 1);
    if (deck.IsTrainingDeck()) {
        json += ",\"refused\":[";
        bool first = true;
        for (int i = 0; i < CardCatalogue::kCards; ++i) {
            if (!CardCatalogue::IsAllowedInTrainingDeck(i)) {
                json += (first ? "" : ",") + std::to_string(i + 1);
                first = false;
            }
        }
        return json + "]}";
    }
    int usable[CardCatalogue::kCards];
    int elsewhere[CardCatalogue::kCards] = {};
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        // Storing the page's code first empties this deck into the stock.
        usable[i] = std::min(saveData.Stock(i) + deck.Counts()[i], kMaxCodeCopies);
    }
    // Training decks hold no stock copies: only normal decks count as the player's.
    for (int other = 0; other < kNormalDecks; ++other) {
        if (other == slot) {
            continue;
        }
        for (int i = 0; i < CardCatalogue::kCards; ++i) {
            elsewhere[i] += saveData.Deck(other).Counts()[i];
        }
    }
    AppendArray(json, "usable", usable);
    AppendArray(json, "elsewhere", elsewhere);
    return json + "}";
}
