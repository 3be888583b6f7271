// The deck rules: what may go into a deck, and the complaint lines for what may not.
#include "maidcode/DazoRozi.h"
#include "savedata/SaveData.h"

#include <utility>

namespace {
const char kTextNotForTraining[] = " は訓練デッキにいれられないようです\n";
const char kTextNoSpareCopy[] = " が足りないみたいです\n";
}  // namespace

void DeckRecord::AddEntry(int index, int wanted, std::string& complaints)
{
    while (counts[index] < wanted && cardCount < kMaxCards) {
        if (IsTrainingDeck()) {
            if (!catalogue.IsAllowedInTrainingDeck(index)) {
                complaints += catalogue.GetName(index) + kTextNotForTraining;
                return;
            }
        } else if (!saveData->TakeFromStock(index)) {
            complaints += catalogue.GetName(index) + kTextNoSpareCopy;
            return;
        }
        ++counts[index];
        ++cardCount;
    }
}

std::string DeckRecord::AddFromCode(std::string code)
{
    std::string complaints;
    DecodedCode decoded = decode(std::move(code));
    for (; decoded.current_count() != 0; decoded.advance()) {
        AddEntry(decoded.current_card(), decoded.current_count(), complaints);
    }
    return complaints;
}

std::string DeckRecord::AddFromCounts(const std::uint8_t wanted[600])
{
    std::string complaints;
    for (int i = 0; i < 600; ++i) {
        if (wanted[i] != 0) {
            AddEntry(i, wanted[i], complaints);
        }
    }
    return complaints;
}
