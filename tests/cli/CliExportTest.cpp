// deckeditor-cli export: deck lists written from the command line.
#include "cli/Cli.h"
#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct CliFolder {
    Workspace folder;
    SaveFileBuilder saveFile;
    std::string out;
    std::string err;

    CliFolder()
    {
        folder.Put("list.xml", SimpleCardList());
        saveFile.names[0] = Sjis(u8"炎のデッキ");
        saveFile.Add(0, 105, 2);
        saveFile.Add(0, 7, 3);
    }
    int Run(std::vector<std::string> args)
    {
        folder.Put(folder.SavePath(), saveFile.Bytes());
        args.insert(args.begin(), {"-C", folder.WorkDir()});
        std::ostringstream o;
        std::ostringstream e;
        const int status = RunCli(args, o, e);
        out = o.str();
        err = e.str();
        return status;
    }
};

std::string Lines(const std::vector<std::string>& utf8Lines)
{
    std::string text;
    for (const std::string& line : utf8Lines) {
        text += Sjis(line) + "\r\n";
    }
    return text;
}

}  // namespace

TEST(CliExport, OneDeckWithTheDefaultFormat)
{
    CliFolder f;
    EXPECT_EQ(f.Run({"export", "1", "one", "1"}), 0);
    EXPECT_EQ(f.out + f.err, "");
    const std::string dashes(50, '-');
    EXPECT_EQ(f.folder.Get("../deck_1_format1.txt"),
              Lines({u8"Playerのデッキリスト(シンプル)", u8"", dashes, u8"デッキ名：\t炎のデッキ",
                     u8"DAZO Rozi:\t00k53", dashes, u8"クリーチャー(3枚)", u8"No.007 Card7 x 3", u8"",
                     u8"マジック(2枚)", u8"No.105 Card105 x 2", u8""}));
    // The first export of a run puts the three default formats in place.
    EXPECT_TRUE(f.folder.Exists("format1.ini"));
    EXPECT_TRUE(f.folder.Exists("format2.ini"));
    EXPECT_TRUE(f.folder.Exists("format3.ini"));
}

TEST(CliExport, AllDecksSeeTheRunsEarlierCommands)
{
    CliFolder f;
    f.folder.Put("format2.ini", "\\header_start\n\\deck_name:\\deck_code\n\\header_end\n\\creature_start\n"
                                "\\creature_end\n\\separator_start\n\\separator_end\n\\magic_start\n\\magic_end\n"
                                "\\footer_start\n\\footer_end\n\\globalheader_start\n\\globalheader_end");
    EXPECT_EQ(f.Run({"rename", "2", "Second", "swap", "1", "3", "export", "2", "all", "export", "3", "one", "53"}), 0);
    std::string expected = "Deck 3:0\r\nSecond:0\r\n" + Sjis(u8"炎のデッキ") + ":00k53\r\n";
    for (int n = 4; n <= 53; ++n) {
        expected += "Deck " + std::to_string(n) + ":0\r\n";
    }
    EXPECT_EQ(f.folder.Get("../deck_all_format2.txt"), expected);
    EXPECT_EQ(f.folder.Get("../deck_53_format3.txt"), Lines({u8"デッキコードリスト", u8"", u8"Name:Deck 53", u8"Code:0", u8""}));
    // Exporting changes nothing in the save file.
    EXPECT_EQ(f.folder.Get(f.folder.SavePath()), f.saveFile.Bytes());
}

TEST(CliExport, UsageErrorsWriteNothing)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"export"}, {"export", "0", "all"}, {"export", "4", "all"}, {"export", "x", "all"}, {"export", "1"},
             {"export", "1", "some"}, {"export", "1", "one"}, {"export", "1", "one", "0"},
             {"export", "1", "one", "54"}, {"export", "1", "all", "export", "2", "one", "99"}}) {
        CliFolder f;
        EXPECT_EQ(f.Run(args), 2) << args.size();
        EXPECT_NE(f.err.find("usage: deckeditor-cli"), std::string::npos);
        EXPECT_EQ(f.folder.List(f.folder.Root()), (std::vector<std::string>{"DeckEditor", "File"}));
        EXPECT_FALSE(f.folder.Exists("format1.ini"));
    }
}
