// Export formats on arbitrary text: the section splitter against a plain
// reading of its rules, and deck lists written from the text as format1.ini.
#include "FuzzSupport.h"

#include "export/DeckListExporter.h"
#include "savedata/SaveData.h"
#include "support/SaveFile.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kSavePath[] = "../File/Save.dat";

const char* const kStart[] = {"\\globalheader_start", "\\header_start", "\\creature_start",
                              "\\separator_start",    "\\magic_start",  "\\footer_start"};
const char* const kEnd[] = {"\\globalheader_end", "\\header_end", "\\creature_end",
                            "\\separator_end",    "\\magic_end",  "\\footer_end"};

// A section starts one byte after its start marker (or, with no start
// marker, at the marker's length) and runs to the end marker when that comes
// at or after the start, else to the end of the text.
FUZZ_NO_COVERAGE std::string Section(const std::string& text, const std::string& start, const std::string& end)
{
    const std::size_t at = text.find(start);
    const std::size_t begin = at == std::string::npos ? start.size() : at + start.size() + 1;
    if (begin > text.size()) {
        return std::string();
    }
    const std::size_t stop = text.find(end);
    if (stop == std::string::npos || stop < begin) {
        return text.substr(begin);
    }
    return text.substr(begin, stop - begin);
}

// The text as a format file of these bytes is read: CR LF as LF, cut at a
// zero byte and after the size limit.
FUZZ_NO_COVERAGE std::string AsRead(const std::string& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && text.size() < DeckListExporter::kMaxFormatBytes; ++i) {
        char ch = bytes[i];
        if (ch == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ch = '\n';
            ++i;
        }
        if (ch == '\0') {
            break;
        }
        text += ch;
    }
    return text;
}

// Every LF written is part of a CR LF.
FUZZ_NO_COVERAGE bool OnlyCrLf(const std::vector<std::uint8_t>& bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
            return false;
        }
    }
    return true;
}

// Loaded once: the exporter only reads it. Called inside the workspace.
const SaveData& Data()
{
    static const SaveData* data = [] {
        SaveFileBuilder saveFile;
        saveFile.SetPlayer("P\\deck_name\\ver");
        std::fill(std::begin(saveFile.stock), std::end(saveFile.stock), 3);
        const std::pair<int, int> deck[] = {{1, 3}, {2, 2}, {50, 1}, {98, 4}, {101, 3}, {150, 1}, {151, 2}, {600, 24}};
        for (auto [number, copies] : deck) {
            saveFile.Add(0, number, copies);
        }
        saveFile.Add(1, 2);
        saveFile.Add(1, 101);
        saveFile.Add(52, 3, 40);
        saveFile.names[0] = "Deck_\\card_name_\\player_name";
        saveFile.names[1] = "";
        const std::string bytes = saveFile.Bytes();
        PutFile(kSavePath, bytes.data(), bytes.size());
        auto* loaded = new SaveData();
        FUZZ_CHECK(loaded->IsLoaded());
        return loaded;
    }();
    return *data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzWorkspace workspace;
    const SaveData& saveData = Data();
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    for (int s = 0; s < 6; ++s) {
        FUZZ_CHECK(ExtractSection(bytes, kStart[s], kEnd[s]) == Section(bytes, kStart[s], kEnd[s]));
    }
    const FormatTemplate split = SplitFormat(bytes);
    FUZZ_CHECK(split.creature == Section(bytes, kStart[2], kEnd[2]));
    FUZZ_CHECK(split.footer == Section(bytes, kStart[5], kEnd[5]));

    PutFile("format1.ini", data, size);
    const auto exporter = std::make_unique<DeckListExporter>(saveData);
    const std::string text = AsRead(bytes);
    const FormatTemplate& format = exporter->Format(0);
    const std::string* const sections[] = {&format.globalheader, &format.header, &format.creature,
                                           &format.separator,    &format.magic,  &format.footer};
    for (int s = 0; s < 6; ++s) {
        FUZZ_CHECK(*sections[s] == Section(text, kStart[s], kEnd[s]));
    }

    exporter->WriteDeckList(0, 0, false);
    const std::vector<std::uint8_t> one = ReadBytes("../deck_1_format1.txt");
    const std::string oneExpected = exporter->BuildDeckList(0, 0, false);
    FUZZ_CHECK(std::string(one.begin(), one.end()) == oneExpected);

    exporter->WriteDeckList(0, 0, true);
    const std::vector<std::uint8_t> all = ReadBytes("../deck_all_format1.txt");
    // The global header once, then deck 1 as above, then the other 52 decks.
    const std::size_t head = oneExpected.size();
    FUZZ_CHECK(all.size() >= head && std::string(all.begin(), all.begin() + head) == oneExpected);
    FUZZ_CHECK(OnlyCrLf(all));
    return 0;
}
