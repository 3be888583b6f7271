#pragma once
// The 600-card table read from list.xml. Every holder loads its own copy.
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

class CardCatalogue {
public:
    static constexpr int kCards = 600;

    // Reads "list.xml" from the working directory.
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

    // The columns, in declaration order, read-only. attribute and race have
    // no accessor: the exporter reads them directly. Catalogues read from the
    // same bytes share one table, so that the copy every deck holds is cheap.
    const std::string* special;
    const std::string* name;
    const std::uint32_t* ap;
    const std::uint32_t* dp;
    const std::uint32_t* cp;
    const std::string* attribute;
    const std::string* race;

    // Copies share the table. Declared so that there are no moves, which
    // would leave the moved-from columns pointing into a table it no longer holds.
    CardCatalogue(const CardCatalogue&) = default;
    CardCatalogue& operator=(const CardCatalogue&) = default;

private:
    struct Table;
    void Use(std::shared_ptr<const Table> shared);
    void Load(std::istream& in);

    std::shared_ptr<const Table> table;
};
