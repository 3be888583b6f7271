// Exporting every deck of a full save file (53 decks of 40 distinct cards)
// in each of the three default formats.
#include "export/DeckListExporter.h"
#include "savedata/SaveData.h"
#include "support/Workspace.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

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

// A game folder with every deck full of 40 distinct cards, the save data
// loaded and the exporter built, as after the first export of a run.
struct Fixture {
    GameFolder game;
    std::unique_ptr<DeckListExporter> exporter;

    Fixture()
    {
        game.ws.Put("list.xml", CardList());
        game.saveFile.SetPlayer("ベンチマーク");
        for (int slot = 0; slot < 53; ++slot) {
            game.saveFile.names[slot] = "デッキ" + std::to_string(slot + 1);
            for (int k = 0; k < 40; ++k) {
                game.saveFile.Add(slot, (slot * 7 + k * 13) % 600 + 1);
            }
        }
        exporter = std::make_unique<DeckListExporter>(game.Load(), game.ws.Paths());
    }
};

void BM_ExportAllDecksThreeFormats(benchmark::State& state)
{
    Fixture fixture;
    if (!fixture.game.data->IsLoaded()) {
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
        bytes += std::filesystem::file_size(fixture.game.ws.Root() + "/deck_all_format" + std::to_string(n) + ".txt");
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
        DeckListExporter exporter(*fixture.game.data, fixture.game.ws.Paths());
        benchmark::DoNotOptimize(exporter.Format(0));
    }
}
BENCHMARK(BM_BuildExporter)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
