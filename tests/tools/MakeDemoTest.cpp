// The committed demo card list and the demo folder that make-demo lays out.
#include "catalogue/CardCatalogue.h"
#include "savedata/SaveData.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kDataDir = DECKEDITOR_DATA_DIR;

struct RunResult {
    int exitCode;
    std::string output;  // stdout and stderr together
};

RunResult RunMakeDemo(const std::string& arguments)
{
    const std::string command = std::string("'") + MAKE_DEMO + "' " + arguments + " 2>&1";
    RunResult result {-1, ""};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[512];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool HasHighByte(const std::string& text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

// Loads <demo>/File/Save.dat the way the editor does, from <demo>/DeckEditor.
// The Workspace's destructor changes back to where the test started.
void EnterWorkingFolder(const std::string& demo) { ASSERT_EQ(::chdir((demo + "/DeckEditor").c_str()), 0); }

}  // namespace

TEST(DemoCardList, IsCleanShiftJisWithDeclaration)
{
    const std::string bytes = ReadFileBytes(kDataDir + "/list.xml");
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n", 0), 0u);
    // Every byte sequence is valid code page 932 and comes back unchanged.
    std::string utf8;
    ASSERT_NO_THROW(utf8 = Utf8(bytes));
    EXPECT_EQ(Sjis(utf8), bytes);
}

TEST(DemoCardList, DescribesSixHundredDistinctCards)
{
    const CardCatalogue catalogue(kDataDir + "/list.xml");
    std::set<std::string> names;
    for (int i = 0; i < CardCatalogue::kCards; ++i) {
        SCOPED_TRACE("card number " + std::to_string(i + 1));
        const std::string name = catalogue.GetName(i);
        EXPECT_NE(name, "unknown");
        EXPECT_TRUE(HasHighByte(name));
        names.insert(name);
        for (const std::string* text : {&catalogue.attribute[i], &catalogue.race[i], &catalogue.special[i]}) {
            EXPECT_NE(*text, "unknown");
            EXPECT_FALSE(text->empty());
        }
        EXPECT_GE(catalogue.cp[i], 1u);
        EXPECT_LE(catalogue.cp[i], 10u);
        if (CardCatalogue::IsMagic(i)) {
            EXPECT_EQ(catalogue.GetApText(i), "0");
            EXPECT_EQ(catalogue.GetDpText(i), "0");
        } else {
            EXPECT_GE(catalogue.ap[i], 100u);
            EXPECT_LE(catalogue.ap[i], 5000u);
            EXPECT_GE(catalogue.dp[i], 100u);
            EXPECT_LE(catalogue.dp[i], 5000u);
        }
    }
    EXPECT_EQ(names.size(), 600u);
}

TEST(MakeDemo, LaysOutTheGameFolder)
{
    Workspace ws;
    const std::string demo = ws.Root() + "/demo";
    const RunResult run = RunMakeDemo(Quoted(demo));
    ASSERT_EQ(run.exitCode, 0) << run.output;

    EXPECT_TRUE(IsFolder(demo + "/File/BackUp"));
    EXPECT_TRUE(ws.List(demo + "/File/BackUp").empty());
    EXPECT_EQ(ws.List(demo + "/File"), (std::vector<std::string>{"BackUp", "Save.dat"}));
    EXPECT_EQ(ReadFileBytes(demo + "/DeckEditor/list.xml"), ReadFileBytes(kDataDir + "/list.xml"));
    // The deck page goes along whenever the data folder has one.
    const std::string page = ReadFileBytes(kDataDir + "/deckmaker.htm");
    EXPECT_EQ(ws.Exists(demo + "/DeckEditor/deckmaker.htm"), !page.empty());
    EXPECT_EQ(ReadFileBytes(demo + "/DeckEditor/deckmaker.htm"), page);

    // 136 lines, each ended by CR LF, nothing after the last.
    const std::string bytes = ReadFileBytes(demo + "/File/Save.dat");
    int lines = 0;
    for (std::size_t p = bytes.find("\r\n"); p != std::string::npos; p = bytes.find("\r\n", p + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 136);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

TEST(MakeDemo, SaveFileLoadsWithTheDescribedDecks)
{
    Workspace ws;
    const std::string demo = ws.Root() + "/demo";
    ASSERT_EQ(RunMakeDemo(Quoted(demo)).exitCode, 0);
    EnterWorkingFolder(demo);
    SaveData save;
    ASSERT_TRUE(save.IsLoaded());

    const std::string player = save.PlayerName();
    EXPECT_TRUE(HasHighByte(player));
    EXPECT_NO_THROW(Utf8(player));

    int zero = 0, few = 0;
    for (int i = 0; i < 600; ++i) {
        EXPECT_LE(save.Stock(i), 99);
        zero += save.Stock(i) == 0 ? 1 : 0;
        few += save.Stock(i) >= 1 && save.Stock(i) <= 5 ? 1 : 0;
    }
    EXPECT_GE(zero, 20);
    EXPECT_GE(few, 300);

    int complete = 0, partial = 0, empty = 0, named = 0;
    for (int slot = 0; slot < SaveData::kDecks; ++slot) {
        const DeckRecord& deck = save.Deck(slot);
        SCOPED_TRACE("slot " + std::to_string(slot));
        EXPECT_EQ(deck.Number(), slot + 1);
        EXPECT_NO_THROW(Utf8(deck.Name()));
        if (deck.Name() != DefaultDeckNameOf(slot)) {
            EXPECT_TRUE(HasHighByte(deck.Name()));
            ++named;
        }
        // A deck code holds at most three copies of a card, so no deck may have more.
        for (int i = 0; i < 600; ++i) {
            EXPECT_LE(deck.Counts()[i], 3) << "card number " << i + 1;
            if (slot >= 50 && deck.Counts()[i] > 0) {
                EXPECT_TRUE(CardCatalogue::IsAllowedInTrainingDeck(i)) << "card number " << i + 1;
            }
        }
        if (slot < 50) {
            complete += deck.IsComplete() ? 1 : 0;
            partial += deck.CardCount() > 0 && !deck.IsComplete() ? 1 : 0;
            empty += deck.CardCount() == 0 ? 1 : 0;
        }
    }
    EXPECT_GE(complete, 5);
    EXPECT_GE(partial, 3);
    EXPECT_GE(empty, 10);
    EXPECT_GE(named, 10);
    EXPECT_TRUE(save.Deck(50).IsComplete());
    EXPECT_GT(save.Deck(51).CardCount(), 0);

    ASSERT_LT(save.ActiveDeck(), SaveData::kDecks);
    EXPECT_TRUE(save.Deck(save.ActiveDeck()).IsComplete());
}

TEST(MakeDemo, SaveFileWritesBackByteForByte)
{
    Workspace ws;
    const std::string demo = ws.Root() + "/demo";
    ASSERT_EQ(RunMakeDemo(Quoted(demo)).exitCode, 0);
    const std::string before = ReadFileBytes(demo + "/File/Save.dat");
    EnterWorkingFolder(demo);
    SaveData save;
    ASSERT_TRUE(save.IsLoaded());
    EXPECT_FALSE(save.HasUnsavedChanges());
    EXPECT_EQ(save.Write(), "");
    EXPECT_EQ(ReadFileBytes(demo + "/File/Save.dat"), before);
    EXPECT_EQ(ws.List(demo + "/File"), (std::vector<std::string>{"BackUp", "Save.dat"}));
}

TEST(MakeDemo, KeepsAnExistingSaveFileUnlessForced)
{
    Workspace ws;
    const std::string demo = ws.Root() + "/demo";
    ASSERT_EQ(RunMakeDemo(Quoted(demo)).exitCode, 0);
    const std::string fresh = ReadFileBytes(demo + "/File/Save.dat");

    ws.Put(demo + "/File/Save.dat", std::string("played\r\n"));
    ws.Put(demo + "/File/BackUp/Save2406012147.dat", std::string("older\r\n"));
    ws.Put(demo + "/DeckEditor/list.xml", std::string("<no>1</no>\r\n"));

    const RunResult kept = RunMakeDemo(Quoted(demo));
    EXPECT_EQ(kept.exitCode, 0);
    EXPECT_NE(kept.output.find("kept the existing"), std::string::npos) << kept.output;
    EXPECT_NE(kept.output.find("--force"), std::string::npos) << kept.output;
    EXPECT_EQ(ws.Get(demo + "/File/Save.dat"), "played\r\n");
    // The card list is the tool's, not the player's: it is refreshed.
    EXPECT_EQ(ReadFileBytes(demo + "/DeckEditor/list.xml"), ReadFileBytes(kDataDir + "/list.xml"));

    const RunResult forced = RunMakeDemo("--force " + Quoted(demo));
    EXPECT_EQ(forced.exitCode, 0) << forced.output;
    // The same demo every time, and backups are never touched.
    EXPECT_EQ(ws.Get(demo + "/File/Save.dat"), fresh);
    EXPECT_EQ(ws.Get(demo + "/File/BackUp/Save2406012147.dat"), "older\r\n");
}

TEST(MakeDemo, TakesCardListAndPageFromTheDataOption)
{
    Workspace ws;
    const std::string data = ws.Root() + "/mydata";
    ASSERT_EQ(::mkdir(data.c_str(), 0755), 0);
    ws.Put(data + "/list.xml", ReadFileBytes(kDataDir + "/list.xml"));
    ws.Put(data + "/deckmaker.htm", std::string("<html>page</html>\r\n"));
    const std::string demo = ws.Root() + "/demo";
    const RunResult run = RunMakeDemo("--data " + Quoted(data) + " " + Quoted(demo));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ws.Get(demo + "/DeckEditor/deckmaker.htm"), "<html>page</html>\r\n");
    EXPECT_EQ(ReadFileBytes(demo + "/DeckEditor/list.xml"), ReadFileBytes(kDataDir + "/list.xml"));
}

TEST(MakeDemo, FailsClearlyAndLeavesNothingHalfMade)
{
    Workspace ws;
    const RunResult noFolder = RunMakeDemo("");
    EXPECT_EQ(noFolder.exitCode, 2);
    EXPECT_NE(noFolder.output.find("usage: make-demo"), std::string::npos) << noFolder.output;
    EXPECT_EQ(RunMakeDemo("--bogus " + Quoted(ws.Root() + "/demo")).exitCode, 2);
    EXPECT_EQ(RunMakeDemo("--data").exitCode, 2);

    // A data folder without a card list: nothing is created.
    const std::string noList = RunMakeDemo("--data " + Quoted(ws.Root()) + " " + Quoted(ws.Root() + "/demo")).output;
    EXPECT_NE(noList.find("no card list at " + ws.Root() + "/list.xml"), std::string::npos) << noList;
    EXPECT_FALSE(ws.Exists(ws.Root() + "/demo"));

    // A file where a folder must go.
    ws.Put(ws.Root() + "/blocked", std::string("x"));
    const RunResult blocked = RunMakeDemo(Quoted(ws.Root() + "/blocked/demo"));
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.output.find("cannot create folder"), std::string::npos) << blocked.output;

    // Save.dat itself cannot be written (a folder is in its place).
    const std::string demo = ws.Root() + "/demo2";
    ASSERT_EQ(::mkdir(demo.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((demo + "/File").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((demo + "/File/Save.dat").c_str(), 0755), 0);
    const RunResult unwritable = RunMakeDemo("--force " + Quoted(demo));
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.output.find("cannot write " + demo + "/File/Save.dat"), std::string::npos)
        << unwritable.output;
}
