#pragma once
// The 600-card table read from list.xml. A catalogue is a handle on one parsed
// table, which nobody changes once it is read: the save data reads it once,
// and its decks and backups share that read.
#include <cstdint>
#include <istream>
#include <memory>
#include <string>

// The seven columns of the 600 cards, by card index.
struct CardColumns {
    static constexpr int kCards = 600;
    std::string special[kCards];
    std::string name[kCards];
    std::uint32_t ap[kCards] = {};
    std::uint32_t dp[kCards] = {};
    std::uint32_t cp[kCards] = {};
    std::string attribute[kCards];
    std::string race[kCards];
};

class CardCatalogue {
public:
    static constexpr int kCards = CardColumns::kCards;

    // The working folder's list.xml at `listPath`; without one every card is
    // "unknown". The installed demo list never stands in: it would show
    // invented cards for a player's own. Copies share the table read here.
    explicit CardCatalogue(const std::string& listPath);
    // Reads the catalogue from a stream (fuzzing, tests).
    explicit CardCatalogue(std::istream& in);
    CardCatalogue(const CardCatalogue& other) : CardCatalogue(other.table) {}
    CardCatalogue& operator=(const CardCatalogue&) = delete;

    std::string GetName(int index) const { return name[index]; }
    std::string GetSpecial(int index) const { return special[index]; }
    std::string GetApText(int index) const;
    std::string GetDpText(int index) const;
    std::string GetCpText(int index) const;
    static bool IsMagic(int index) { return index % 150 >= 100; }
    static bool IsAllowedInTrainingDeck(int index);

private:
    explicit CardCatalogue(std::shared_ptr<const CardColumns> columns);
    // Declared first: the columns below refer into it.
    std::shared_ptr<const CardColumns> table;

public:
    // The columns, in declaration order. attribute and race have no accessor:
    // the exporter reads them directly.
    const std::string (&special)[kCards];
    const std::string (&name)[kCards];
    const std::uint32_t (&ap)[kCards];
    const std::uint32_t (&dp)[kCards];
    const std::uint32_t (&cp)[kCards];
    const std::string (&attribute)[kCards];
    const std::string (&race)[kCards];
};

// "" when the card list at `listPath` can be read, else the sentence that
// tells the player it is missing.
std::string CardListProblem(const std::string& listPath);
