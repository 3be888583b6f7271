// Export formats on arbitrary text, written as format1.ini: its sections
// against a plain reading of the rules, and deck lists written with it.
#include "FuzzSupport.h"

#include "export/DeckListExporter.h"
#include "savedata/SaveData.h"
#include "support/SaveFile.h"

#include <cstdint>
#include <memory>
#include <string>

namespace {

const char* const kSections[] = {"globalheader", "header", "creature", "separator", "magic", "footer"};

// A handful of creatures and magic cards, so that the deck lists have texts,
// placeholders and odd numbers among them. Plain ASCII, so that the file
// means the same in every build.
const char kCardList[] =
    "<no>1</no> <name>Ember_Knight</name> <attribute>Fire</attribute> <race>Human</race>\n"
    "<cp>1</cp> <ap>300</ap> <dp>300</dp> <special>none</special>\n"
    "<no>2</no> <name>Dust_Hound</name> <attribute>Earth</attribute> <race>Beast</race>\n"
    "<cp>8</cp> <ap>2500</ap> <dp>2050</dp> <special>\\ap\\dp\\name</special>\n"
    "<no>101</no> <name>Spark</name> <attribute>Fire</attribute> <race>-</race>\n"
    "<cp>2</cp> <ap>0</ap> <dp>0</dp> <special>Deals_damage.</special>\n"
    "<no>98</no> <name>Forbidden_One</name> <cp>-5</cp>\n"
    "<no>600</no> <name>Last_Rite</name> <attribute>Dark</attribute> <cp>4294967295</cp>\n";

// A format file's bytes as the text they are read as: cut at a zero byte,
// CR LF as LF, at most kMaxFormatBytes.
FUZZ_NO_COVERAGE std::string AsRead(const std::string& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
        if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') {
            text += bytes[i];
        }
    }
    return text.substr(0, DeckListExporter::kMaxFormatBytes);
}

// A section starts one byte after its start marker (or, with no start
// marker, at the marker's length) and runs to the end marker when that comes
// at or after the start, else to the end of the text.
FUZZ_NO_COVERAGE std::string Section(const std::string& text, const std::string& name)
{
    const std::string start = "\\" + name + "_start";
    const std::size_t at = text.find(start);
    const std::size_t begin = at == std::string::npos ? start.size() : at + start.size() + 1;
    const std::size_t stop = text.find("\\" + name + "_end");
    if (begin > text.size()) {
        return std::string();
    }
    return text.substr(begin, stop == std::string::npos || stop < begin ? std::string::npos : stop - begin);
}

// Loaded once: the exporter only reads it.
const SaveData& Data()
{
    static const SaveData* data = [] {
        FuzzWorkspace::Put("list.xml", kCardList);
        // Magic cards, more than three copies, a training deck of 40, and
        // placeholders in the names.
        SaveFileBuilder saveFile;
        const int cards[][3] = {{0, 1, 3},   {0, 2, 2},   {0, 50, 1}, {0, 98, 4}, {0, 101, 3}, {0, 150, 1},
                                {0, 151, 2}, {0, 600, 24}, {1, 2, 1},  {1, 101, 1}, {52, 3, 40}};
        for (auto [slot, number, copies] : cards) {
            saveFile.Add(slot, number, copies);
        }
        saveFile.SetPlayer("P\\deck_name\\ver");
        saveFile.names[0] = "Deck_\\card_name_\\player_name";
        saveFile.names[1] = "";
        FuzzWorkspace::Put(FuzzWorkspace::Paths().SaveFile(), saveFile.Bytes());
        auto* loaded = new SaveData(FuzzWorkspace::Paths());
        FUZZ_CHECK(loaded->IsLoaded());
        return loaded;
    }();
    return *data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FuzzWorkspace::Put("format1.ini", bytes);
    const auto exporter = std::make_unique<DeckListExporter>(Data(), FuzzWorkspace::Paths());
    const std::string text = AsRead(bytes);
    const FormatTemplate& format = exporter->Format(0);
    const std::string* const sections[] = {&format.globalheader, &format.header, &format.creature,
                                           &format.separator,    &format.magic,  &format.footer};
    for (int s = 0; s < 6; ++s) {
        FUZZ_CHECK(*sections[s] == Section(text, kSections[s]));
    }

    exporter->WriteDeckList(0, 0, false);
    const std::string one = ReadFileBytes(FuzzWorkspace::Paths().ExportFile("deck_1_format1.txt"));
    FUZZ_CHECK(one == exporter->BuildDeckList(0, 0, false));
    // The global header once, then deck 1 as above, then the other 52 decks.
    exporter->WriteDeckList(0, 0, true);
    const std::string all = ReadFileBytes(FuzzWorkspace::Paths().ExportFile("deck_all_format1.txt"));
    FUZZ_CHECK(all.compare(0, one.size(), one) == 0);
    // Every LF written is part of a CR LF.
    for (std::size_t lf = all.find('\n'); lf != std::string::npos; lf = all.find('\n', lf + 1)) {
        FUZZ_CHECK(lf > 0 && all[lf - 1] == '\r');
    }
    return 0;
}
