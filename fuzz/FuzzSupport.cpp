#include "FuzzSupport.h"

#include "savedata/SafeFile.h"
#include "savedata/SaveData.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

void FuzzFail(const char* what)
{
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

namespace {

std::string g_root;

void RemoveWorkspace()
{
    if (!g_root.empty()) {
        std::error_code ignored;
        fs::remove_all(g_root, ignored);
    }
}

}  // namespace

const std::string& TinyCardList()
{
    // Plain ASCII, so that the file means the same in every build.
    static const std::string text =
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<cardlist>\n"
        "<card>\n<no>1</no>\n<name>Ember_Knight</name>\n<attribute>Fire</attribute>\n<race>Human</race>\n"
        "<cp>1</cp>\n<ap>300</ap>\n<dp>300</dp>\n<special>none</special>\n</card>\n"
        "<card>\n<no>2</no>\n<name>Dust_Hound</name>\n<attribute>Earth</attribute>\n<race>Beast</race>\n"
        "<cp>8</cp>\n<ap>2500</ap>\n<dp>2050</dp>\n<special>\\ap\\dp\\name</special>\n</card>\n"
        "<card>\n<no>101</no>\n<name>Spark</name>\n<attribute>Fire</attribute>\n<race>-</race>\n"
        "<cp>2</cp>\n<ap>0</ap>\n<dp>0</dp>\n<special>Deals_damage.</special>\n</card>\n"
        "<card>\n<no>98</no>\n<name>Forbidden_One</name>\n<cp>-5</cp>\n</card>\n"
        "<card>\n<no>600</no>\n<name>Last_Rite</name>\n<attribute>Dark</attribute>\n"
        "<cp>4294967295</cp>\n</card>\n"
        "</cardlist>\n";
    return text;
}

namespace {

// Every input writes files, and syncs some: in memory that costs next to
// nothing. TMPDIR, where set, still decides.
fs::path WorkspaceParent(std::error_code& error)
{
    const char* tmpdir = std::getenv("TMPDIR");
    if ((tmpdir == nullptr || *tmpdir == '\0') && access("/dev/shm", W_OK | X_OK) == 0) {
        return "/dev/shm";
    }
    return fs::temp_directory_path(error);
}

void CreateWorkspace(bool withCardList)
{
    std::error_code error;
    std::string pattern = (WorkspaceParent(error) / "deckfuzz-XXXXXX").string();
    if (error || mkdtemp(pattern.data()) == nullptr) {
        FuzzFail("cannot create the temporary workspace");
    }
    g_root = pattern;
    fs::create_directories(g_root + "/File/BackUp", error);
    fs::create_directories(g_root + "/DeckEditor", error);
    if (error) {
        FuzzFail("cannot create the workspace folders");
    }
    const std::string& list = TinyCardList();
    if (withCardList && !WriteBytes(g_root + "/DeckEditor/list.xml", reinterpret_cast<const std::uint8_t*>(list.data()), list.size())) {
        FuzzFail("cannot write list.xml");
    }
    std::atexit(&RemoveWorkspace);
}

}  // namespace

FuzzWorkspace::FuzzWorkspace(bool withCardList) : previous(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (g_root.empty()) {
        CreateWorkspace(withCardList);
    }
    if (previous < 0 || chdir((g_root + "/DeckEditor").c_str()) != 0) {
        FuzzFail("cannot enter the workspace");
    }
}

FuzzWorkspace::~FuzzWorkspace()
{
    if (fchdir(previous) != 0) {
        FuzzFail("cannot leave the workspace");
    }
    close(previous);
}

std::vector<std::uint8_t> BuildSaveFile(const SaveSpec& spec)
{
    std::vector<std::uint8_t> out;
    auto text = [&out](const std::string& s) { out.insert(out.end(), s.begin(), s.end()); };
    auto endLine = [&out] {
        out.push_back('\r');
        out.push_back('\n');
    };
    for (int line = 0; line < 28; ++line) {
        text(line == 11 ? spec.playerName : "GAME LINE " + std::to_string(line));
        endLine();
    }
    for (int i = 0; i < 600; ++i) {
        out.push_back(spec.stock[i]);
        out.push_back(spec.stockSecondByte);
    }
    endLine();
    out.push_back(spec.activeDeck);
    out.push_back(spec.activeSecondByte);
    endLine();
    for (int slot = 0; slot < 53; ++slot) {
        std::string name = DefaultDeckNameOf(slot);
        for (const auto& entry : spec.names) {
            if (entry.first == slot) {
                name = entry.second;
            }
        }
        text(name);
        endLine();
        std::uint8_t counts[600] = {};
        for (const auto& deck : spec.decks) {
            if (deck.first == slot) {
                for (const auto& card : deck.second) {
                    counts[card.first] = static_cast<std::uint8_t>(card.second);
                }
            }
        }
        int slots = 0;
        for (int n = 1; n <= 600; ++n) {
            for (int c = 0; c < counts[n - 1] && slots < 40; ++c, ++slots) {
                out.push_back(static_cast<std::uint8_t>(n % 100));
                out.push_back(static_cast<std::uint8_t>(n / 100));
            }
        }
        out.insert(out.end(), static_cast<std::size_t>(2 * (40 - slots)), 0);
        endLine();
    }
    return out;
}

bool WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(path, bytes);  // empty when it cannot be read
    return bytes;
}
