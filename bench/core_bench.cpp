// Start-up core, deck code and save speed on the demo workspace.
#include "catalogue/CardCatalogue.h"
#include "deckcode/DazoRozi.h"
#include "savedata/SaveData.h"
#include "support/Workspace.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

// The demo game folder, made once by make-demo; the benchmarks work in it.
GamePaths Demo()
{
    static const Workspace demo;
    static const std::string command = std::string(DECKEDITOR_MAKE_DEMO) + " " + demo.Root() + " > /dev/null";
    static const int made = std::system(command.c_str());
    if (made != 0) {
        std::abort();
    }
    return demo.Paths();
}

void StartupCore(benchmark::State& state)
{
    const GamePaths paths = Demo();
    for (auto _ : state) {
        SaveData data(paths);
        const CardCatalogue& catalogue = data.Catalogue();
        benchmark::DoNotOptimize(data.IsLoaded());
        benchmark::DoNotOptimize(catalogue.name[599].size());
    }
}
BENCHMARK(StartupCore)->Unit(benchmark::kMillisecond);

void EncodeDecodeFullDeck(benchmark::State& state)
{
    std::uint8_t counts[600] = {};
    for (int i = 0; i < 40; ++i) {
        counts[i * 15] = 1;  // 40 distinct cards: the longest code a deck has
    }
    for (auto _ : state) {
        const std::string code = encode(counts);
        int total = 0;
        for (DecodedCode d = decode(code); d.current_count() != 0; d.advance()) {
            total += d.current_count();
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(EncodeDecodeFullDeck)->Unit(benchmark::kMicrosecond);

void WriteSaveFile(benchmark::State& state)
{
    SaveData data(Demo());
    for (auto _ : state) {
        if (!data.Write().empty()) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(WriteSaveFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
