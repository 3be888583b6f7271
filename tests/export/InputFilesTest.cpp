// The card list, the formats and the export targets are used only when they
// are regular files (of sane size, for what is read): a FIFO, a device or a
// folder at one of those names is passed over at once, never waited on.
#include "export/DeckListExporter.h"
#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

TEST(InputFiles, TheCardListFormatsAndExportTargetsAreUsedOnlyWhenRegularFiles)
{
    GameFolder game;
    game.saveFile.Add(0, 7, 2);
    SaveData& data = game.Load();
    // What the export says without a card list and with the default format.
    game.ws.Put("list.xml", "");
    const std::string expected = DeckListExporter(data, game.ws.Paths()).BuildDeckList(0, 0, false);
    ASSERT_NE(expected.find("DAZO Rozi:\t00j"), std::string::npos);
    const std::string work = game.ws.WorkDir() + "/";
    const std::string target = work + "../deck_1_format1.txt";
    // writable: as an export target.
    const struct { const char* what; std::function<void(const std::string&)> make; bool writable; } kinds[] = {
        {"a FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, false},
        {"a folder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0755), 0); }, false},
        {"a link to /dev/zero", [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); }, false},
        {"a file over the limit",
         [&](const std::string& p) { game.ws.Put(p, ""); ASSERT_EQ(::truncate(p.c_str(), 2148000000), 0); }, true},
    };
    for (const auto& kind : kinds) {
        for (const std::string& path : {work + "list.xml", work + "format1.ini", target}) {
            ::unlink(path.c_str());
            ::rmdir(path.c_str());
            kind.make(path);
        }
        const auto start = std::chrono::steady_clock::now();
        DeckListExporter exporter(data, game.ws.Paths());
        EXPECT_EQ(exporter.BuildDeckList(0, 0, false), expected) << kind.what;
        EXPECT_EQ(exporter.WriteDeckList(0, 0, false), kind.writable) << kind.what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << kind.what;
        EXPECT_EQ(StatOf(work + "format1.ini").st_mode & S_IFMT, StatOf(target).st_mode & S_IFMT) << kind.what;
        if (kind.writable) {
            EXPECT_EQ(game.ws.Get(target), expected);
        }
    }
}
