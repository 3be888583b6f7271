#include "FuzzSupport.h"

#include "support/Workspace.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A handful of cards, creatures and magic cards, so that exports and
// deck-rule complaints have texts. Plain ASCII, so that the file means the
// same in every build.
const char kTinyCardList[] =
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

}  // namespace

void FuzzFail(const char* what)
{
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

FuzzWorkspace::FuzzWorkspace(bool withCardList) : previous(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    static const Workspace workspace;
    static const bool listWritten = withCardList && (workspace.Put("list.xml", kTinyCardList), true);
    (void)listWritten;
    if (previous < 0 || chdir(workspace.WorkDir().c_str()) != 0) {
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

void PutFile(const std::string& path, const void* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool ok = file != nullptr && (size == 0 || std::fwrite(data, 1, size, file) == size);
    if (file == nullptr || std::fclose(file) != 0 || !ok) {
        FuzzFail(("cannot write " + path).c_str());
    }
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    const std::string bytes = ReadFileBytes(path);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}
