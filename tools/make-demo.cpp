// make-demo: lays out a game folder with invented data, so that the deck editor
// can be tried without the game:
//
//   <demo>/File/Save.dat       a 136-line save file: stock, active deck, 53 decks
//   <demo>/File/BackUp/        empty; the editor puts its start-up copies here
//   <demo>/DeckEditor/         the editor's working folder: list.xml, deckmaker.htm
//
// The save file is the one thing a player may have changed since, so it is
// written only when missing or with --force; the card list and the deck page
// are copied every time, so that a rerun picks up their newest versions.
//
// Messages are plain ASCII: the program's own texts are code page 932 bytes,
// which a terminal would not show.
#include "catalogue/CardCatalogue.h"
#include "savedata/SafeFile.h"
#include "savedata/SaveData.h"

#include "SaveFileBuilder.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <system_error>
#include <vector>

#ifndef DECKEDITOR_DATA_DIR
#define DECKEDITOR_DATA_DIR "data"
#endif

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: make-demo [--force] [--data DIR] <demo-dir>\n"
    "  Creates <demo-dir>/File/Save.dat, <demo-dir>/File/BackUp/ and the working\n"
    "  folder <demo-dir>/DeckEditor/ with list.xml (and deckmaker.htm when DIR has it).\n"
    "  --force     replace an existing Save.dat (backups are never touched)\n"
    "  --data DIR  take list.xml and deckmaker.htm from DIR (default: " DECKEDITOR_DATA_DIR ")\n";

// A fixed generator, so that every run (and every platform) makes the same demo.
class Random {
public:
    explicit Random(std::uint32_t seed) : state(seed) {}
    std::uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint32_t state;
};

using Bytes = std::vector<std::uint8_t>;

// The game's own lines 0-27; the editor only carries them through. Line 11 is
// the player's name. No line may hold CR LF, or every later line would shift.
std::vector<std::string> GameLines(Random& random)
{
    auto binary = [&random](std::size_t length) {
        std::string bytes;
        while (bytes.size() < length) {
            const int b = random.Below(256);
            if (b != '\r' && b != '\n') {
                bytes += static_cast<char>(b);
            }
        }
        return bytes;
    };
    auto raw = [](std::initializer_list<int> values) {
        std::string bytes;
        for (int v : values) {
            bytes += static_cast<char>(v);
        }
        return bytes;
    };
    std::vector<std::string> lines = {
        "CARDGAME SAVE 1.07",
        "2024/06/01 21:47:12",
        "PLAYTIME 0127:33:05",
        "CHAPTER 14 7 3",
        raw({1, 0, 1, 1, 0, 0, 1, 0, 1, 1, 1, 0, 0, 0, 1, 0}),
        "GOLD 0012840",
        "WIN 0128 LOSE 0057 DRAW 0004",
        "称号 見習い決闘者",
        "BGM 3 SE 5 SPEED 2 AUTO 0",
        "LAST 森番のタカミ",
        binary(24),
        "ミナヅキ・アオイ",
        "QUEST01 CLEAR",
        "QUEST02 CLEAR",
        "QUEST03 CLEAR",
        "QUEST04 OPEN",
        "QUEST05 LOCK",
        "FRIEND 霧島ハルカ 03",
        "FRIEND 久遠寺トオル 01",
        binary(32),
        binary(32),
        raw({0x10, 0x27, 0, 0, 0xE8, 0x03, 0, 0, 0x64, 0, 0, 0}),
        "MEMO 次は闇のデッキを組む",
        "",
        "SHOP 0 0 1 0 2 0",
        binary(16),
        "DIARY 0012",
        "END",
    };
    return lines;
}

// A deck as the demo has it: cards whose attribute is one of `attributes`
// (any when empty) and whose cp is at most maxCp (any when 0), about
// `magicShare` percent magic cards, `cards` cards in all.
struct DeckPlan {
    int slot;
    const char* name;  // nullptr: the game's default name
    std::vector<std::string> attributes;
    int maxCp;
    int magicShare;
    int cards;
};

std::vector<DeckPlan> DeckPlans()
{
    return {
        {0, "紅蓮速攻", {"火"}, 0, 25, 40},
        {1, "蒼氷の城塞", {"水"}, 0, 30, 40},
        {2, "疾風ビートダウン", {"風"}, 0, 20, 40},
        {3, "大地の守り", {"地"}, 0, 30, 40},
        {4, "白銀聖騎士団", {"光"}, 0, 25, 40},
        {5, "漆黒の月夜", {"闇"}, 0, 30, 40},
        {6, "火と風の嵐", {"火", "風"}, 0, 25, 40},
        {7, "魔法だらけ", {}, 0, 100, 40},
        {8, "作りかけ水デッキ", {"水"}, 0, 30, 23},
        {9, "試作・光と闇", {"光", "闇"}, 0, 25, 31},
        {10, "大会用(予備)", {}, 0, 30, 40},
        {12, "お試し炎", {"火"}, 0, 20, 12},
        {13, "調整中", {"地", "水"}, 0, 30, 35},
        {14, "次に作るデッキ", {}, 0, 0, 0},
        {20, "低コスト速攻", {}, 3, 20, 40},
        {21, "とっても長い名前をつけてみたデッキ", {"風", "光"}, 0, 30, 40},
        {25, "空き", {}, 0, 0, 0},
        {31, "メモ:魔法を増やす", {}, 0, 50, 8},
        {50, "訓練・火と水", {"火", "水"}, 0, 25, 40},
        {51, "訓練・光", {"光"}, 0, 25, 20},
    };
}

const int kActiveSlot = 2;  // a complete deck, as the game would have it

bool Matches(const CardCatalogue& catalogue, int index, const DeckPlan& plan)
{
    if (CardCatalogue::IsMagic(index)) {
        // Magic cards without an element suit every deck.
        if (catalogue.attribute[index] == "無") {
            return true;
        }
    } else if (plan.maxCp > 0 && catalogue.cp[index] > static_cast<std::uint32_t>(plan.maxCp)) {
        return false;
    }
    if (plan.attributes.empty()) {
        return true;
    }
    for (const std::string& a : plan.attributes) {
        if (catalogue.attribute[index] == a) {
            return true;
        }
    }
    return false;
}

// Per-card copy counts of a deck: one to three copies of each chosen card,
// as a DAZO Rozi can hold them.
void FillDeck(const CardCatalogue& catalogue, const DeckPlan& plan, Random& random, std::uint8_t counts[600])
{
    const bool training = plan.slot >= 50;
    const int magicWanted = plan.cards * plan.magicShare / 100;
    std::vector<int> pools[2];  // creatures, magic cards
    for (int i = 0; i < 600; ++i) {
        if (training && !CardCatalogue::IsAllowedInTrainingDeck(i)) {
            continue;
        }
        if (Matches(catalogue, i, plan)) {
            pools[CardCatalogue::IsMagic(i) ? 1 : 0].push_back(i);
        }
    }
    // A card list that lacks the elements above still gives full decks.
    for (int kind = 0; kind < 2; ++kind) {
        for (int i = 0; i < 600 && pools[kind].size() < 14; ++i) {
            if (CardCatalogue::IsMagic(i) == (kind == 1) && (!training || CardCatalogue::IsAllowedInTrainingDeck(i))) {
                pools[kind].push_back(i);
            }
        }
    }
    int total = 0;
    for (int kind = 1; kind >= 0; --kind) {
        const int wanted = kind == 1 ? magicWanted : plan.cards;
        std::vector<int>& pool = pools[kind];
        while (total < wanted && !pool.empty()) {
            const std::size_t pick = static_cast<std::size_t>(random.Below(static_cast<int>(pool.size())));
            const int index = pool[pick];
            pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(pick));
            int copies = 1 + random.Below(3);
            if (copies > wanted - total) {
                copies = wanted - total;
            }
            counts[index] = static_cast<std::uint8_t>(copies);
            total += copies;
        }
    }
    // Too few matching cards: more copies of those chosen, up to three each.
    for (int i = 0; i < 600 && total < plan.cards; ++i) {
        while (counts[i] > 0 && counts[i] < 3 && total < plan.cards) {
            ++counts[i];
            ++total;
        }
    }
}

// Spare copies: most cards a few, some none, a handful many, one card full.
void FillStock(Random& random, std::uint8_t stock[600])
{
    for (int i = 0; i < 600; ++i) {
        const int r = random.Below(100);
        if (r < 12) {
            stock[i] = 0;
        } else if (r < 85) {
            stock[i] = static_cast<std::uint8_t>(1 + random.Below(5));
        } else if (r < 97) {
            stock[i] = static_cast<std::uint8_t>(6 + random.Below(10));
        } else {
            stock[i] = static_cast<std::uint8_t>(20 + random.Below(80));
        }
    }
    stock[0] = 99;  // the editor refuses to put more back into a full stock
}

std::string BuildSaveFile(const CardCatalogue& catalogue)
{
    Random random(0x5A4D4944u);
    SaveFileBuilder saveFile;
    saveFile.gameLines = GameLines(random);

    // The second byte of each stock entry is the game's; 0 or 1 here, so that
    // no entry can form CR LF with its neighbour.
    FillStock(random, saveFile.stock);
    for (std::uint8_t& second : saveFile.stockSecond) {
        second = static_cast<std::uint8_t>(random.Below(2));
    }
    saveFile.active = kActiveSlot;
    saveFile.activeSecond = 1;

    const std::vector<DeckPlan> plans = DeckPlans();
    for (int slot = 0; slot < SaveData::kDecks; ++slot) {
        std::string name = DefaultDeckNameOf(slot);
        std::uint8_t counts[600] = {};
        for (const DeckPlan& plan : plans) {
            if (plan.slot == slot) {
                if (plan.name) {
                    name = plan.name;
                }
                FillDeck(catalogue, plan, random, counts);
            }
        }
        saveFile.names[slot] = name.substr(0, DeckRecord::kNameBytes);
        for (int n = 1; n <= 600; ++n) {
            saveFile.Add(slot, n, counts[n - 1]);
        }
    }
    // Written the way the editor writes card lines, so a load and save changes nothing.
    return saveFile.Bytes();
}

bool MakeFolder(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder)) {
        std::fprintf(stderr, "make-demo: cannot create folder %s: %s\n", folder.string().c_str(),
                     error ? error.message().c_str() : "a file of that name is in the way");
        return false;
    }
    return true;
}

bool CopyInto(const fs::path& source, const fs::path& target)
{
    Bytes bytes;
    if (!ReadWholeFile(source.string(), bytes)) {
        std::fprintf(stderr, "make-demo: cannot read %s\n", source.string().c_str());
        return false;
    }
    if (ReplaceFile(target.string(), bytes) != ReplaceResult::Done) {
        std::fprintf(stderr, "make-demo: cannot write %s\n", target.string().c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    bool force = false;
    std::string dataDir = DECKEDITOR_DATA_DIR;
    std::string demoDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--force") {
            force = true;
        } else if (arg == "--data" && i + 1 < argc) {
            dataDir = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "make-demo: unknown or incomplete option %s\n%s", arg.c_str(), kUsage);
            return 2;
        } else if (demoDir.empty()) {
            demoDir = arg;
        } else {
            std::fprintf(stderr, "make-demo: only one demo folder, please\n%s", kUsage);
            return 2;
        }
    }
    if (demoDir.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    const fs::path data(dataDir);
    const fs::path listSource = data / "list.xml";
    const fs::path pageSource = data / "deckmaker.htm";
    if (!fs::is_regular_file(listSource)) {
        std::fprintf(stderr, "make-demo: no card list at %s (use --data DIR)\n", listSource.string().c_str());
        return 1;
    }
    const CardCatalogue catalogue(listSource.string());
    int described = 0;
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        described += catalogue.name[i] != "unknown" ? 1 : 0;
    }
    if (described == 0) {
        std::fprintf(stderr, "make-demo: %s describes no cards\n", listSource.string().c_str());
        return 1;
    }

    const fs::path demo(demoDir);
    const fs::path work = demo / "DeckEditor";
    const fs::path save = demo / "File" / "Save.dat";
    if (!MakeFolder(demo / "File" / "BackUp") || !MakeFolder(work)) {
        return 1;
    }
    if (!CopyInto(listSource, work / "list.xml")) {
        return 1;
    }
    if (fs::is_regular_file(pageSource) && !CopyInto(pageSource, work / "deckmaker.htm")) {
        return 1;
    }

    std::error_code error;
    if (fs::exists(save, error) && !force) {
        std::printf("make-demo: kept the existing %s (use --force to replace it); card list and page refreshed\n",
                    save.string().c_str());
        return 0;
    }
    const std::string bytes = BuildSaveFile(catalogue);
    if (ReplaceFile(save.string(), Bytes(bytes.begin(), bytes.end())) != ReplaceResult::Done) {
        std::fprintf(stderr, "make-demo: cannot write %s\n", save.string().c_str());
        return 1;
    }
    std::printf("make-demo: demo ready; run the editor in %s\n", work.string().c_str());
    return 0;
}
