// Exporting every deck of a full save file (53 decks of 40 distinct cards)
// in each of the three default formats.
#include "export/DeckListExporter.h"
#include "savedata/SaveData.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string CardList()
{
    std::string out = "<cards>\r\n";
    for (int n = 1; n <= 600; ++n) {
        const std::string k = std::to_string(n);
        out += "<no>" + k + "</no>\r\n<name>カード名その" + k + "</name>\r\n<ap>" + std::to_string(n * 10) +
               "</ap>\r\n<dp>" + std::to_string(n * 5) + "</dp>\r\n<cp>" + std::to_string(n % 7) +
               "</cp>\r\n<attribute>炎</attribute>\r\n<race>ドラゴン</race>\r\n<special>特殊能力" + k +
               "</special>\r\n";
    }
    return out + "</cards>\r\n";
}

std::string FullSave()
{
    std::string out;
    for (int line = 0; line < 28; ++line) {
        out += line == 11 ? "ベンチマーク\r\n" : "game line\r\n";
    }
    out += std::string(1200, '\x03') + "\r\n";
    out += std::string("\x00\x00", 2) + "\r\n";
    for (int slot = 0; slot < 53; ++slot) {
        out += "デッキ" + std::to_string(slot + 1) + "\r\n";
        std::vector<int> cards;
        for (int k = 0; k < 40; ++k) {
            cards.push_back((slot * 7 + k * 13) % 600 + 1);
        }
        std::sort(cards.begin(), cards.end());
        for (int n : cards) {
            out += static_cast<char>(n % 100);
            out += static_cast<char>(n / 100);
        }
        out += "\r\n";
    }
    return out;
}

// A game folder in a temporary directory, with the save data loaded and the
// exporter built, as after the first export of a run.
struct Fixture {
    std::string root;
    std::string previous;
    std::unique_ptr<SaveData> saveData;
    std::unique_ptr<DeckListExporter> exporter;

    Fixture()
    {
        previous = std::filesystem::current_path().string();
        std::string pattern = (std::filesystem::temp_directory_path() / "export-bench-XXXXXX").string();
        root = ::mkdtemp(&pattern[0]) ? pattern : "";
        std::filesystem::create_directories(root + "/File");
        std::filesystem::create_directories(root + "/DeckEditor");
        std::filesystem::current_path(root + "/DeckEditor");
        WriteFile("list.xml", CardList());
        WriteFile("../File/Save.dat", FullSave());
        saveData = std::make_unique<SaveData>();
        exporter = std::make_unique<DeckListExporter>(*saveData);
    }
    ~Fixture()
    {
        exporter.reset();
        saveData.reset();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }
};

void BM_ExportAllDecksThreeFormats(benchmark::State& state)
{
    Fixture fixture;
    if (!fixture.saveData->IsLoaded()) {
        state.SkipWithError("save file not loaded");
        return;
    }
    for (auto _ : state) {
        for (int format = 0; format < 3; ++format) {
            fixture.exporter->WriteDeckList(format, 0, true);
        }
    }
    std::uintmax_t bytes = 0;
    for (int n = 1; n <= 3; ++n) {
        bytes += std::filesystem::file_size(fixture.root + "/deck_all_format" + std::to_string(n) + ".txt");
    }
    state.counters["bytes_written"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportAllDecksThreeFormats)->Unit(benchmark::kMillisecond);

void BM_ExportAllDecksOneFormat(benchmark::State& state)
{
    Fixture fixture;
    const int format = static_cast<int>(state.range(0));
    for (auto _ : state) {
        fixture.exporter->WriteDeckList(format, 0, true);
    }
}
BENCHMARK(BM_ExportAllDecksOneFormat)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// The first export of a run also builds the exporter: list.xml and the formats.
void BM_BuildExporter(benchmark::State& state)
{
    Fixture fixture;
    for (auto _ : state) {
        DeckListExporter exporter(*fixture.saveData);
        benchmark::DoNotOptimize(exporter.Format(0));
    }
}
BENCHMARK(BM_BuildExporter)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
