#include "rules/DeckRules.h"

#include "deckcode/DazoRozi.h"

#include <cstring>
#include <utility>

const char kTextSwapAcrossKinds[] = "訓練デッキと普通のデッキは入れ替えできないんです。";
const char kTextBadCodeCharacter[] = "DAZO Roziに使えない文字が入ってるみたいです…。";

namespace {

const char kTextNotForTraining[] = " は訓練デッキにいれられないようです\n";
const char kTextNoSpareCopy[] = " が足りないみたいです\n";

void AddEntry(SaveData& saveData, DeckRecord& deck, int index, int wanted, std::string& complaints)
{
    while (deck.Counts()[index] < wanted && deck.CardCount() < DeckRecord::kMaxCards) {
        if (deck.IsTrainingDeck()) {
            if (!CardCatalogue::IsAllowedInTrainingDeck(index)) {
                complaints += deck.Catalogue().GetName(index) + kTextNotForTraining;
                return;
            }
        } else if (!saveData.TakeFromStock(index)) {
            complaints += deck.Catalogue().GetName(index) + kTextNoSpareCopy;
            return;
        }
        deck.AddCopy(index);
    }
}

}  // namespace

std::string AddFromCode(SaveData& saveData, int slot, std::string code)
{
    std::string complaints;
    DeckRecord& deck = saveData.Deck(slot);
    for (DecodedCode decoded = decode(std::move(code)); decoded.current_count() != 0; decoded.advance()) {
        AddEntry(saveData, deck, decoded.current_card(), decoded.current_count(), complaints);
    }
    return complaints;
}

std::string AddFromCounts(SaveData& saveData, int slot, const std::uint8_t wanted[600])
{
    std::string complaints;
    DeckRecord& deck = saveData.Deck(slot);
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        if (wanted[i] != 0) {
            AddEntry(saveData, deck, i, wanted[i], complaints);
        }
    }
    return complaints;
}

std::string ClearDeck(SaveData& saveData, int slot)
{
    std::string message = saveData.DeleteDeck(static_cast<std::uint8_t>(slot));
    if (message.empty()) {
        ResetDeckName(saveData, slot);
    }
    return message;
}

void ResetDeckName(SaveData& saveData, int slot) { saveData.Deck(slot).SetName(DefaultDeckNameOf(slot)); }

namespace {

std::string Store(SaveData& saveData, int slot, std::string code, bool defaultName)
{
    code = TrimmedCode(code);
    // Refuse a mistyped code before anything is emptied or renamed.
    if (!IsValidCodeText(code)) {
        return kTextBadCodeCharacter;
    }
    std::string message = saveData.DeleteDeck(static_cast<std::uint8_t>(slot));
    if (!message.empty()) {
        return message;
    }
    if (defaultName) {
        ResetDeckName(saveData, slot);
    }
    message = AddFromCode(saveData, slot, std::move(code));
    if (message.empty()) {
        saveData.SetActiveDeck(slot);
    }
    return message;
}

}  // namespace

std::string StoreDeck(SaveData& saveData, int slot, std::string code)
{
    return Store(saveData, slot, std::move(code), false);
}

std::string CreateDeck(SaveData& saveData, int slot, std::string code)
{
    return Store(saveData, slot, std::move(code), true);
}

std::string DuplicateDeck(SaveData& saveData, int source, int target)
{
    // Copy the counts themselves: a deck from the file may hold more copies of
    // a card than a code can carry. Taken before the target is emptied, as the
    // two may be the same deck.
    std::uint8_t wanted[CardCatalogue::kCards];
    std::memcpy(wanted, saveData.Deck(source).Counts(), sizeof wanted);
    const std::string sourceName = saveData.Deck(source).Name();
    std::string message = saveData.DeleteDeck(static_cast<std::uint8_t>(target));
    if (!message.empty()) {
        return message;
    }
    message = AddFromCounts(saveData, target, wanted);
    if (message.empty()) {
        saveData.SetActiveDeck(target);
        saveData.Deck(target).SetName(sourceName);
    }
    return message;
}

std::string SwapDecks(SaveData& saveData, int a, int b)
{
    // A training deck holds no stock copies; moving it into a normal slot
    // would put cards into play that the player does not own.
    if (IsTrainingSlot(a) != IsTrainingSlot(b)) {
        return kTextSwapAcrossKinds;
    }
    saveData.SwapSlots(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b));
    return std::string();
}
