#pragma once
// The 600-card table read from list.xml. Every holder owns and loads its own copy.
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

class CardCatalogue {
public:
    static constexpr int kCards = 600;

    // Reads "list.xml" from the working directory (the installed one when it has none).
    CardCatalogue();
    // Reads the catalogue from another file (tools, benchmarks).
    explicit CardCatalogue(const std::string& path);
    // Reads the catalogue from a stream (fuzzing, tests).
    explicit CardCatalogue(std::istream& in);

    std::string GetName(int index) const { return name[index]; }
    std::string GetSpecial(int index) const { return special[index]; }
    std::string GetApText(int index) const;
    std::string GetDpText(int index) const;
    std::string GetCpText(int index) const;
    static bool IsMagic(int index) { return index % 150 >= 100; }
    static bool IsAllowedInTrainingDeck(int index);

    // The columns, in declaration order. attribute and race have no accessor:
    // the exporter reads them directly.
    std::string special[kCards];
    std::string name[kCards];
    std::uint32_t ap[kCards];
    std::uint32_t dp[kCards];
    std::uint32_t cp[kCards];
    std::string attribute[kCards];
    std::string race[kCards];

private:
    void Reset();
    void Load(std::istream& in);
    void Parse(const std::vector<char>& text);
    void HandleWord(const char* word, std::size_t length);

    // Card index that fields apply to; -1 after a <no> outside 1-600, so that
    // its fields are dropped until the next valid <no>.
    int current = 0;
};
