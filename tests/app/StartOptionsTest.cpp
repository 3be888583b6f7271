// How the editor is started: its options, and the game folder that
// --choose-folder settles on.
#include "app/CDeckEditorApp.h"
#include "app/GameFolder.h"

#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

bool Parse(std::vector<std::string> args, CDeckEditorApp::Options& options, std::string& error)
{
    args.insert(args.begin(), "deckeditor");
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    return CDeckEditorApp::ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

}  // namespace

// (-C with --screenshot, and --choose-folder on a folder chosen before, are
// run by packaging/check-install.sh.)
TEST(StartOptions, UsageErrors)
{
    CDeckEditorApp::Options options;
    std::string error;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--frobnicate"}, "unrecognized option '--frobnicate'"},
        {{"--screenshot"}, "option '--screenshot' requires an argument"},
        {{"-C", "x", "--choose-folder"}, "-C and --choose-folder cannot be used together"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Parse(c.first, options, error));
        EXPECT_EQ(error, "deckeditor: " + c.second + "\nTry 'deckeditor --help' for more information.\n");
    }
}

TEST(ChooseGameFolder, AsksUntilAFolderHoldsTheSaveFile)
{
    Workspace ws;
    ws.Put(ws.SavePath(), "x");
    const std::string game = ws.WorkDir();
    const std::string empty = ws.BackupDir();  // its ../File/Save.dat is not there
    const std::string gone = ws.Root() + "/gone";
    struct Case {
        std::string remembered;
        std::vector<std::string> answers;  // what the player picks, in turn; "" cancels
        std::string result;
        std::vector<std::string> starts;  // where each folder dialog opened
    };
    const Case cases[] = {
        {"", {game}, game, {""}},
        {gone, {game}, game, {gone}},
        {gone, {empty, game}, game, {gone, empty}},
        {"", {empty, ""}, "", {"", empty}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> starts;
        std::size_t refusals = 0;
        const std::string result = ChooseGameFolder(
            c.remembered,
            [&](const std::string& start) {
                starts.push_back(start);
                return starts.size() <= c.answers.size() ? c.answers[starts.size() - 1] : std::string();
            },
            [&] { ++refusals; });
        EXPECT_EQ(result, c.result) << c.remembered;
        EXPECT_EQ(starts, c.starts) << c.remembered;
        // One refusal for each folder without a save file.
        EXPECT_EQ(refusals, static_cast<std::size_t>(std::count(c.answers.begin(), c.answers.end(), empty)));
    }
}
