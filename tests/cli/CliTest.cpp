// deckeditor-cli end to end: exact output bytes, exit codes and files written.
#include "cli/Cli.h"
#include "deckcode/DazoRozi.h"
#include "savedata/SafeFile.h"
#include "savedata/SaveData.h"

#include "support/Cp932.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
    bool operator==(const Result& o) const { return status == o.status && out == o.out && err == o.err; }
};
void PrintTo(const Result& r, std::ostream* os)
{
    *os << r.status << " out " << ::testing::PrintToString(r.out) << " err " << ::testing::PrintToString(r.err);
}

// A player who is not root, also the player's group, and a second user.
constexpr uid_t kPlayer = 40123, kOtherUser = 40124;
const std::string kAsPlayer = "setpriv --reuid=40123 --regid=40123 --clear-groups -- ";
const std::string kGiveToPlayer = "chown -R 40123:40123 ";

// Runs the real program, under `prefix` (setpriv) if given, with its output
// going to `output` if given. Both outputs go through files, so that neither
// can fill up a pipe.
Result Cli(const std::vector<std::string>& args, const std::string& prefix = "", const std::string& output = "")
{
    const std::string base = TempFolder() + "/deckeditor-cli-";
    std::string out = base + "out-XXXXXX", err = base + "err-XXXXXX";
    ::close(::mkstemp(&out[0]));
    ::close(::mkstemp(&err[0]));
    std::string command = prefix + ShellQuoted(DECKEDITOR_CLI);
    for (const std::string& arg : args) {
        command += " " + ShellQuoted(arg);
    }
    command += " >" + ShellQuoted(output.empty() ? out : output) + " 2>" + ShellQuoted(err);
    const int status = std::system(command.c_str());
    const Result result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(out), ReadFileBytes(err)};
    ::unlink(out.c_str());
    ::unlink(err.c_str());
    return result;
}

class CommandLine : public ::testing::Test, protected GameFolder {
protected:
    ~CommandLine() override { g_failWriteStep = nullptr; }
    // Writes the save file and runs the program in the working folder, with
    // no standard input, as cron may start it: the first file it opens then
    // gets descriptor 0, which must count as opened.
    Result Run(std::vector<std::string> args)
    {
        WriteSaveFile();
        args.insert(args.begin(), {"-C", ws.WorkDir()});
        return Cli(args, "exec 0<&-; ");
    }
};
}  // namespace

TEST_F(CommandLine, ListsDecksCardsStockAndPlayer)
{
    saveFile.SetPlayer(Sjis(u8"ご主人様"));
    saveFile.names[0] = Sjis(u8"炎のデッキ");
    saveFile.Add(0, 1, 1);
    saveFile.Add(0, 600, 3);
    saveFile.active = 4;
    std::string expected = u8"1\t炎のデッキ\t4\t000t1\n";
    for (int s = 1; s < 53; ++s) {
        expected += std::to_string(s + 1) + "\tDeck " + std::to_string(s + 1) + "\t0\t0\n";
    }
    expected += "Card1 x 1\nCard600 x 3\n000t1\n5\n" + std::string(u8"ご主人様\n");
    for (int i = 0; i < 600; ++i) {
        expected += std::to_string(i + 1) + "\t" + std::to_string(i % 4) + "\n";
    }
    EXPECT_EQ(Run({"list", "cards", "1", "code", "1", "active", "player", "stock"}), (Result{0, expected, ""}));
    EXPECT_TRUE(ws.List(ws.BackupDir()).empty());  // nothing is written without save
}

TEST_F(CommandLine, UsageErrorsRunNothing)
{
    WriteSaveFile();
    const std::string before = ws.Get(ws.SavePath());
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"-C"}, {"rename", "1", "x", "save", "frobnicate"}, {"rename", "1"}, {"save", "delete", "0"},
             {"save", "delete", "54"}, {"delete", "0005"}, {"save", "code", "1x"}, {"save", "duplicate", "1"},
             {"save", "rename", "2", u8"絵文字😀"},
             {"-C", "", "save"}, {"-C", "../no such folder", "save"}, {"-C", ws.SavePath(), "save"},  // a file is no folder to run in
             {"export"}, {"export", "0", "all"}, {"export", "4", "all"},
             {"export", "x", "all"}, {"export", "1"}, {"export", "1", "some"}, {"export", "1", "one"},
             {"export", "1", "one", "54"}, {"export", "1", "all", "export", "2", "one", "99"},
             {"restore", "1"}, {"restore", "0", "x"}, {"restore", "1", "x", "54"}, {"restore-all"},
         }) {
        std::vector<std::string> full{"-C", ws.WorkDir()};
        full.insert(full.end(), args.begin(), args.end());
        const Result r = Cli(full);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.compare(0, 16, "deckeditor-cli: "), 0) << r.err;
        EXPECT_NE(r.err.find("\nusage: deckeditor-cli"), std::string::npos) << r.err;
    }
    EXPECT_EQ(ws.Get(ws.SavePath()), before);
    EXPECT_TRUE(ws.List(ws.BackupDir()).empty());
    EXPECT_EQ(ws.List(ws.Root()), (std::vector<std::string>{"DeckEditor", "File"}));
    EXPECT_EQ(ws.List("."), (std::vector<std::string>{"list.xml"}));
}

TEST_F(CommandLine, EditsAreSavedAndComplaintsShown)
{
    saveFile.Add(0, 1, 3);
    saveFile.active = 4;
    saveFile.stock[500] = 0;  // card 501
    saveFile.stock[501] = 4;  // card 502, enough for two decks of two
    // The JIS forms 〜 and − that input methods give are stored as the game's 0x8160 and 0x817C.
    EXPECT_EQ(Run({"rename", "2", u8"新しい名前〜−", "create", "3", CodeOf({{501, 3}, {502, 2}}), "delete", "1",
                   "duplicate", "3", "50", "swap", "50", "51", "swap", "5", "6", "save"}),
              (Result{1, "", u8"Card501 が足りないみたいです\n訓練デッキと普通のデッキは入れ替えできないんです。\n"}));
    SaveData saved(ws.Paths());
    ASSERT_TRUE(saved.IsLoaded());
    EXPECT_EQ(saved.Deck(1).Name(), Sjis(u8"新しい名前") + "\x81\x60\x81\x7c");
    EXPECT_EQ(saved.Deck(2).Counts()[501], 2);
    EXPECT_EQ(saved.Deck(0).CardCount(), 0);
    EXPECT_EQ(encode(saved.Deck(49)), encode(saved.Deck(2)));
    EXPECT_EQ(saved.Deck(4).Name(), saveFile.names[5]);
}

TEST_F(CommandLine, BackupsAreListedAndRestoredFrom)
{
    SaveFileBuilder old = saveFile;
    old.SetPlayer("Old player");
    old.names[1] = Sjis(u8"先週のデッキ");
    old.Add(1, 10, 3);  // the stock holds 1 copy of card 10
    old.Add(4, 20, 2);
    old.names[8] = "Nine";
    ws.Put(ws.BackupDir() + "/Save2612011200.dat", old.Bytes());
    ws.Put(ws.BackupDir() + "/Save2612021200.dat", "broken");
    ws.Put("../elsewhere.dat", old.Bytes());
    WriteSaveFile();
    std::tm (*clock)() = SaveData::localTime;
    SaveData::localTime = [] { return std::tm{0, 5, 9, 30, 10, 126, 0, 0, 0, 0, nullptr}; };  // 2026/11/30 09:05
    std::ostringstream out, err;
    EXPECT_EQ(RunCli({"-C", ws.WorkDir(), "backups", "restore", "2", "Save2612011200.dat", "restore", "7", "../elsewhere.dat", "5",
                      "restore", "3", "Save2612021200.dat", "backups", "save"}, out, err), 1);
    SaveData::localTime = clock;
    const std::string listed = "Save2612021200.dat\t2026/12/02 12:00\tunreadable\nSave2612011200.dat\t2026/12/01 12:00\t";
    EXPECT_EQ(out.str(), listed + "3\nSave2611300905.dat\t2026/11/30 09:05\t0\n" + listed +
                             "4\nSave2611300905.dat\t2026/11/30 09:05\t2\n");
    EXPECT_EQ(err.str(), std::string(u8"Card10 が足りないみたいです\nこのバックアップは読めないみたいです…。\n"));
    SaveFileBuilder restored = saveFile;
    restored.names[1] = old.names[1];
    restored.Add(1, 10);
    restored.stock[9] = 0;
    restored.names[6] = old.names[4];
    restored.Add(6, 20, 2);
    restored.stock[19] -= 2;
    restored.active = 6;
    EXPECT_EQ(ws.Get(ws.SavePath()), restored.Bytes());

    EXPECT_EQ(Run({"restore-all", ws.BackupDir() + "/Save2612011200.dat", "save"}), (Result{0, "", ""}));
    EXPECT_EQ(ws.Get(ws.SavePath()), old.Bytes());
    std::filesystem::remove_all(ws.BackupDir());
    EXPECT_EQ(Run({"backups"}).err, std::string(u8"バックアップフォルダが無いみたいです。\n作っておいた方が良いですよ。\n"));
}

TEST_F(CommandLine, RawModePassesBytesThrough)
{
    const std::string cut = Sjis(u8"あい") + "\x85\x40";  // a character code page 932 leaves unused
    saveFile.names[0] = cut;
    Result r = Run({"--raw", "code", "1", "rename", "2", Sjis(u8"名前"), "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 11), "0\n1\t" + cut + "\t");
    EXPECT_EQ(r.out.substr(r.out.find("\n2\t") + 3, 4), Sjis(u8"名前"));
    // Converted output shows the broken character rather than losing bytes.
    r = Cli({"-C", ws.WorkDir(), "list"});
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), std::string(u8"1\tあい\uFFFD@\t0\t0"));
}

TEST_F(CommandLine, SaveRefusesToOverwriteTheGamesNewerFile)
{
    SaveFileBuilder game = saveFile, mine = saveFile;
    game.stock[0] = 77;
    // What the game writes during the run, and where.
    static std::string gamesFile, savePath;
    gamesFile = game.Bytes();
    savePath = ws.SavePath();
    mine.names[0] = "mine";
    // The game saves after the file was read, before it is written.
    g_failWriteStep = [](WriteStep step) {
        if (step == WriteStep::Rename) {
            std::ofstream(savePath, std::ios::binary) << gamesFile;
        }
        return false;
    };
    const struct { const char* command; int status; std::string err, file; } cases[] = {
        {"save", 1, u8"セーブデータがゲームで書き換えられたみたいです。上書きはやめておきますね。\n", gamesFile},
        {"overwrite", 0, "", mine.Bytes()},
    };
    for (const auto& c : cases) {
        WriteSaveFile();
        for (const std::string& name : ws.List(ws.BackupDir())) {
            ::unlink((ws.BackupDir() + "/" + name).c_str());
        }
        std::ostringstream out, err;
        EXPECT_EQ(RunCli({"-C", ws.WorkDir(), "rename", "1", "mine", c.command}, out, err), c.status) << c.command;
        EXPECT_EQ(err.str(), c.err);
        EXPECT_EQ(ws.Get(ws.SavePath()), c.file);
        // One backup, taken before anything was written.
        const std::vector<std::string> backups = ws.List(ws.BackupDir());
        ASSERT_EQ(backups.size(), 1u) << c.command;
        EXPECT_EQ(ws.Get(ws.BackupDir() + "/" + backups[0]), saveFile.Bytes()) << c.command;
    }
}

TEST_F(CommandLine, ComplaintsOfMoreThanOneKilobyteAreShownWhole)
{
    // Forty cards with no spare copy: about 1.5 KB of complaints.
    std::string code = "0", expected;
    for (int number = 101; number <= 140; ++number) {
        saveFile.stock[number - 1] = 0;
        code += CodeOf({{number, 1}}).substr(1);
        expected += "Card" + std::to_string(number) + u8" が足りないみたいです\n";
    }
    WriteSaveFile();
    std::ostringstream out, err;
    EXPECT_EQ(RunCli({"-C", ws.WorkDir(), "edit", "2", code}, out, err), 1);
    EXPECT_EQ(err.str(), expected);
}

TEST_F(CommandLine, ExportsSeeTheRunsEarlierCommands)
{
    saveFile.names[0] = Sjis(u8"炎のデッキ");
    saveFile.Add(0, 105, 2);
    saveFile.Add(0, 7, 3);
    ws.Put("format2.ini", FormatWith({{"header", "\\deck_name:\\deck_code\n"}}));
    EXPECT_EQ(Run({"rename", "2", "Second", "swap", "1", "3", "export", "2", "all", "export", "3", "one", "53"}),
              (Result{0, "", ""}));
    std::string expected = "Deck 3:0\r\nSecond:0\r\n" + Sjis(u8"炎のデッキ") + ":00k53\r\n";
    for (int n = 4; n <= 53; ++n) {
        expected += "Deck " + std::to_string(n) + ":0\r\n";
    }
    EXPECT_EQ(ws.Get("../deck_all_format2.txt"), expected);
    EXPECT_EQ(ws.Get("../deck_53_format3.txt"), SjisLines({u8"デッキコードリスト", u8"", u8"Name:Deck 53", u8"Code:0", u8""}));
    EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());
}

TEST_F(CommandLine, FailuresAreReported)
{
    EXPECT_EQ(Cli({"-C", ws.WorkDir(), "list"}), (Result{2, "", u8"セーブデータが開けないようです…。\n"}));

    WriteSaveFile();
    // A folder stands where the export file would go.
    ASSERT_EQ(::mkdir((ws.Root() + "/deck_1_format2.txt").c_str(), 0755), 0);
    EXPECT_EQ(Cli({"-C", ws.WorkDir(), "export", "2", "one", "1", "export", "3", "all"}),
              (Result{1, "", "deckeditor-cli: cannot write ../deck_1_format2.txt\n"}));
    EXPECT_NE(ws.Get("../deck_all_format3.txt"), "");  // the next command still ran

    EXPECT_EQ(Cli({"-C", ws.WorkDir(), "list", "rename", "1", "x", "save"}, "", "/dev/full"),
              (Result{1, "", "deckeditor-cli: cannot write the output\n"}));
    EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());  // nothing after it ran
}

TEST_F(CommandLine, AsAPlayerWhoIsNotRoot)
{
    WriteSaveFile();
    ws.Put("format1.ini", "mine");
    // As root, the whole game folder becomes the player's, and the program
    // runs as the player with no further groups. A user who is not root is
    // the player.
    std::string player;
    if (::geteuid() == 0) {
        if (std::system("setpriv --version > /dev/null 2>&1") != 0) {
            GTEST_SKIP() << "setpriv (util-linux) is needed to run as a user who is not root";
        }
        ASSERT_EQ(std::system((kGiveToPlayer + ShellQuoted(ws.Root())).c_str()), 0);
        player = kAsPlayer;
    }

    // A read-only save file, and a backup folder that cannot be written, are
    // each named, before anything is written.
    ASSERT_EQ(::chmod(ws.SavePath().c_str(), 0444), 0);
    ASSERT_EQ(::chmod(ws.BackupDir().c_str(), 0555), 0);
    EXPECT_EQ(Cli({"-C", ws.WorkDir(), "rename", "1", "x", "save"}, player),
              (Result{1, "",
                      u8"バックアップを書き込めなかったみたいです…。ディスクの空きと書き込みの権限を見てみてくださいね。\n"
                      u8"セーブファイルを開けないです\n"}));
    EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());
    EXPECT_EQ(StatOf(ws.SavePath()).st_mode & 07777, 0444u);
    EXPECT_EQ(ws.List(ws.Root() + "/File"), (std::vector<std::string>{"BackUp", "Save.dat"}));
    EXPECT_TRUE(ws.List(ws.BackupDir()).empty());
    ASSERT_EQ(::chmod(ws.BackupDir().c_str(), 0755), 0);

    // A format file that is there but cannot be read stays as it is; its
    // default is used.
    const std::string format = ws.WorkDir() + "/format1.ini";
    ASSERT_EQ(::chmod(format.c_str(), 0200), 0);
    EXPECT_EQ(Cli({"-C", ws.WorkDir(), "export", "1", "one", "2"}, player), (Result{0, "", ""}));
    const std::string title = Sjis(u8"Playerのデッキリスト(シンプル)\r\n");
    EXPECT_EQ(ws.Get("../deck_2_format1.txt").substr(0, title.size()), title);
    EXPECT_EQ(StatOf(format).st_mode & 07777, 0200u);
    ASSERT_EQ(::chmod(format.c_str(), 0644), 0);
    EXPECT_EQ(ws.Get("format1.ini"), "mine");

    // A shared game folder: the file belongs to someone else and the player
    // may write it through the group. The player cannot give a new file away,
    // so it is rewritten in place, after the backup.
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a file of a second user needs root to set up";
    }
    ASSERT_EQ(::chown(ws.SavePath().c_str(), kOtherUser, kPlayer), 0);
    ASSERT_EQ(::chmod(ws.SavePath().c_str(), 0664), 0);
    const ino_t inode = StatOf(ws.SavePath()).st_ino;
    EXPECT_EQ(Cli({"-C", ws.WorkDir(), "rename", "1", "x", "save"}, player), (Result{0, "", ""}));
    saveFile.names[0] = "x";
    EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());
    const struct stat st = StatOf(ws.SavePath());
    EXPECT_EQ(std::make_tuple(st.st_uid, st.st_gid, st.st_mode & 07777, st.st_ino),
              std::make_tuple(kOtherUser, kPlayer, 0664u, inode));
    EXPECT_EQ(ws.List(ws.Root() + "/File"), (std::vector<std::string>{"BackUp", "Save.dat", "Save.dat.lock"}));
    EXPECT_EQ(ws.List(ws.BackupDir()).size(), 1u);
}

TEST_F(CommandLine, APlayerWhoMayNotWriteTheFolderSavesInPlaceUnderALockOnTheFile)
{
    // The File folder is someone else's; the player owns only Save.dat and
    // the backup folder. No lock file can be made beside Save.dat, so the
    // lock is taken on the file itself; a lock file another user made is
    // used read-only.
    if (::geteuid() != 0 || std::system("setpriv --version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "needs root and setpriv to set up a second user";
    }
    WriteSaveFile();
    ASSERT_EQ(std::system((kGiveToPlayer + ShellQuoted(ws.Root())).c_str()), 0);
    ASSERT_EQ(::chown((ws.Root() + "/File").c_str(), kOtherUser, kOtherUser), 0);
    const ino_t inode = StatOf(ws.SavePath()).st_ino;
    for (const char* name : {"x", "y"}) {
        EXPECT_EQ(Cli({"-C", ws.WorkDir(), "rename", "1", name, "save"}, kAsPlayer), (Result{0, "", ""})) << name;
        saveFile.names[0] = name;
        EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());
        EXPECT_EQ(StatOf(ws.SavePath()).st_ino, inode);
        // Before the second run, the other user's lock file appears.
        ws.Put(ws.SavePath() + ".lock", "");
        ASSERT_EQ(::chown((ws.SavePath() + ".lock").c_str(), kOtherUser, kOtherUser), 0);
    }
    EXPECT_EQ(ws.List(ws.Root() + "/File"), (std::vector<std::string>{"BackUp", "Save.dat", "Save.dat.lock"}));
}

TEST_F(CommandLine, ASaveFileWithShiftedLinesIsSaidOnListAndWrittenOnlyByOverwrite)
{
    const std::string lines35 = FileLines(saveFile.Bytes(), 0, 36);
    const std::string damaged = lines35.substr(0, lines35.size() - 2) + FileLines(saveFile.Bytes(), 36, 200);
    ws.Put(ws.SavePath(), damaged);
    const std::string said = u8"セーブデータが壊れているみたいです…。デッキの行がずれているかもしれません。\n";
    const Result listed = Cli({"-C", ws.WorkDir(), "list"});
    EXPECT_EQ(std::make_pair(listed.status, listed.err), std::make_pair(1, said));
    EXPECT_EQ(Cli({"-C", ws.WorkDir(), "rename", "1", "x", "save"}),
              (Result{1, "", said + "deckeditor-cli: not saved; overwrite writes it anyway\n"}));
    EXPECT_EQ(ws.Get(ws.SavePath()), damaged);
    // Once written, the file holds the editor's own lines.
    const Result written = Cli({"-C", ws.WorkDir(), "rename", "1", "x", "overwrite", "list"});
    EXPECT_EQ(std::make_pair(written.status, written.err), std::make_pair(0, std::string()));
    EXPECT_TRUE(SaveData(ws.Paths()).IsWhole());
}
