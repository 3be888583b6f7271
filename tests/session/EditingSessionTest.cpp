// The session's own rules: which commands become steps and under what label,
// a rename typed key by key as one step, the texts undo and redo show, and
// the questions SAVE and 復元 ask before doing anything. What each command
// does to the decks is in tests/rules and tests/backups.
#include "session/EditingSession.h"

#include "rules/DeckRules.h"

#include "support/Cp932.h"
#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

class Session : public ::testing::Test, protected GameFolder {
protected:
    Session()
    {
        saveFile.Fill(0, 1);
        saveFile.Fill(1, 100);
        std::fill(saveFile.stock + 99, saveFile.stock + 113, 3);  // enough to copy deck 2
        saveFile.names[5] = Sjis(u8"デッキ06");  // empty: its default name
    }
    EditingSession& Open()
    {
        WriteSaveFile();
        session = std::make_unique<EditingSession>(ws.Paths());
        EXPECT_TRUE(session->IsLoaded());
        return *session;
    }
    std::unique_ptr<EditingSession> session;
};

}  // namespace

// A command that changed nothing, refused or not, is no step; the others are
// named by their caption and decks.
TEST_F(Session, CommandsThatChangeSomethingAreStepsNamedByCaptionAndDecks)
{
    const struct { const char* what; std::function<Outcome(EditingSession&)> run; std::string step, message; } cases[] = {
        {"delete", [](EditingSession& s) { return s.Delete(0); }, Sjis(u8"消去 (デッキ 1)"), ""},
        {"delete an empty default deck", [](EditingSession& s) { return s.Delete(5); }, "", ""},
        {"create", [](EditingSession& s) { return s.Create(6, CodeOf({{2, 1}})); }, Sjis(u8"作成 (デッキ 7)"), ""},
        {"edit", [](EditingSession& s) { return s.Edit(6, CodeOf({{2, 1}})); }, Sjis(u8"編集 (デッキ 7)"), ""},
        {"edit, a refused code", [](EditingSession& s) { return s.Edit(6, "!!"); }, "", kTextBadCodeCharacter},
        {"duplicate", [](EditingSession& s) { return s.Duplicate(1, 4); }, Sjis(u8"複製 (デッキ 2 と 5)"), ""},
        {"swap", [](EditingSession& s) { return s.Swap(1, 0); }, Sjis(u8"入替 (デッキ 2 と 1)"), ""},
        {"swap across kinds", [](EditingSession& s) { return s.Swap(0, 51); }, "", kTextSwapAcrossKinds},
        {"rename", [](EditingSession& s) { return s.Rename(2, "x"); }, Sjis(u8"名前変更 (デッキ 3)"), ""},
        {"rename to its name", [](EditingSession& s) { return s.Rename(2, "Deck 3"); }, "", ""},
    };
    for (const auto& c : cases) {
        EditingSession& s = Open();
        const std::string before = Image(s.Data());
        const Outcome outcome = c.run(s);
        EXPECT_EQ(outcome.step, c.step) << c.what;
        EXPECT_EQ(outcome.message, c.message) << c.what;
        EXPECT_EQ(Image(s.Data()) != before, !c.step.empty()) << c.what;
        EXPECT_EQ(s.UndoCommandText(), c.step.empty() ? "" : Sjis(u8"元に戻す: ") + c.step) << c.what;
    }
}

// Keystrokes in one deck's row are one step, ended by a keystroke in another
// deck's row or by the next command; while one is typed it is what undo
// names, and nothing can be redone.
TEST_F(Session, ARenameTypedKeyByKeyIsOneStep)
{
    EditingSession& s = Open();
    const std::string start = Image(s.Data());
    s.TypeName(2, "a");
    s.TypeName(2, "ab");
    EXPECT_EQ(s.UndoCommandText(), Sjis(u8"元に戻す: 名前変更 (デッキ 3)"));
    s.TypeName(4, "c");
    const std::string renamed = Image(s.Data());
    ASSERT_EQ(s.Delete(0).step, Sjis(u8"消去 (デッキ 1)"));
    ASSERT_EQ(s.Undo().status, Sjis(u8"元に戻しました: 消去 (デッキ 1)"));
    EXPECT_EQ(Image(s.Data()), renamed);
    s.TypeName(3, "Deck 4");  // typed back to what it was: no step
    EXPECT_EQ(s.RedoCommandText(), Sjis(u8"やり直す: 消去 (デッキ 1)"));
    EXPECT_EQ(s.Undo().status, Sjis(u8"元に戻しました: 名前変更 (デッキ 5)"));
    EXPECT_EQ(s.Data().Deck(2).Name(), "ab");
    EXPECT_EQ(s.Undo().status, Sjis(u8"元に戻しました: 名前変更 (デッキ 3)"));
    EXPECT_EQ(Image(s.Data()), start);
    EXPECT_EQ(s.Undo().status, Sjis(u8"元に戻せる変更はもうないです。"));
    s.TypeName(3, "d");
    EXPECT_EQ(s.RedoCommandText(), "");
    const Outcome redo = s.Redo();  // ends the rename, which drops what could be redone
    EXPECT_EQ(redo.step, "");
    EXPECT_EQ(redo.status, Sjis(u8"やり直せる変更はないです。"));
    // SAVE ends a rename too (of the first deck here): typing on in the same
    // row is a step of its own.
    s.TypeName(0, "de");
    ASSERT_EQ(s.Save(kAskNothing, GameChanges::Ask).message, "");
    s.TypeName(0, "def");
    EXPECT_EQ(s.Undo().status, Sjis(u8"元に戻しました: 名前変更 (デッキ 1)"));
    EXPECT_EQ(s.Data().Deck(0).Name(), "de");
}

// SAVE asks before writing a file that looks damaged or that the game
// rewrote, and has written nothing when it asks; the command line's save
// refuses the game's file instead of asking.
TEST_F(Session, SaveAsksBeforeWritingOverWhatItShouldNot)
{
    const std::string askDamaged = std::string(kTextLooksDamaged) + Sjis(u8"\r\nそれでもセーブしちゃっていいですか？");
    const std::string askOverwrite =
        Sjis(u8"セーブデータがゲームで書き換えられたみたいです。\r\n上書きしちゃっていいですか？");
    const struct { const char* what; bool damaged, gameSaved; unsigned agreed; GameChanges mode; Question ask;
                   std::string question, message; bool written; } cases[] = {
        {"plain", false, false, 0, GameChanges::Ask, kAskNothing, "", "", true},
        {"damaged", true, false, 0, GameChanges::Refuse, kAskSaveDamaged, askDamaged, "", false},
        {"damaged, agreed", true, false, kAskSaveDamaged, GameChanges::Ask, kAskNothing, "", "", true},
        {"game saved", false, true, 0, GameChanges::Ask, kAskOverwrite, askOverwrite, "", false},
        {"game saved, agreed", false, true, kAskOverwrite, GameChanges::Ask, kAskNothing, "", "", true},
        {"game saved, refused", false, true, 0, GameChanges::Refuse, kAskNothing, "", kTextChangedByGame, false},
    };
    for (const auto& c : cases) {
        saveFile.cardLines[7] = c.damaged ? std::string(82, '\0') : "";
        EditingSession& s = Open();
        ASSERT_EQ(s.Rename(0, "new").message, "");
        const std::string onDisk = c.gameSaved ? saveFile.Bytes() + "game" : saveFile.Bytes();
        ws.Put(ws.SavePath(), onDisk);
        const Outcome outcome = s.Save(c.agreed, c.mode);
        EXPECT_EQ(outcome.ask, c.ask) << c.what;
        EXPECT_EQ(outcome.question, c.question) << c.what;
        EXPECT_EQ(outcome.message, c.message) << c.what;
        EXPECT_EQ(ws.Get(ws.SavePath()) == onDisk, !c.written) << c.what;
    }
}

// 復元 of the whole save asks, naming the backup's date and time, and is then
// one step; with no backup listed it says why and changes nothing.
TEST_F(Session, RestoringTheWholeSaveAsksFirstAndIsOneStep)
{
    EditingSession& s = Open();
    s.ChooseBackup(s.ListBackups());
    EXPECT_EQ(s.RestoreChosenAll(kAskRestoreAll).message, s.NoBackupReason());
    saveFile.names[0] = "old";
    ws.Put(ws.BackupDir() + "/Save2612011200.dat", saveFile.Bytes());
    ws.Put(ws.BackupDir() + "/Save2612021200.dat", "not a save file");
    s.ChooseBackup(s.ListBackups());
    const Outcome asked = s.RestoreChosenAll(0);
    EXPECT_EQ(asked.ask, kAskRestoreAll);
    EXPECT_EQ(asked.question, "2026/12/01 12:00" + Sjis(u8" のバックアップに、セーブデータを丸ごと戻しちゃっていいですか？\r\n"
                                                        u8"それより後にゲームで手に入れたカードや作ったデッキは無くなっちゃいますよぉ。"));
    EXPECT_EQ(s.Data().Deck(0).Name(), "Deck 1");
    EXPECT_EQ(s.RestoreChosenAll(kAskRestoreAll).step, Sjis(u8"復元 (セーブデータ全体)"));
    EXPECT_EQ(s.Data().Deck(0).Name(), "old");
    EXPECT_EQ(s.RestoreChosenDeck(0).step, "");
}

// 復元 offers the newest backup that can be read, or the one chosen before
// while it is still listed and readable.
TEST_F(Session, TheBackupOfferedIsTheNewestReadableOneOrTheOneChosenBefore)
{
    EditingSession& s = Open();
    for (const char* name : {"Save2612021200.dat", "Save2612031200.dat", "Save2612041200.dat"}) {
        ws.Put(ws.BackupDir() + "/" + name, saveFile.Bytes());
    }
    ws.Put(ws.BackupDir() + "/Save2612011200.dat", "not a save file");
    const struct { int chosen, offered; } cases[] = {{-1, 0}, {2, 2}, {1, 1}, {3, 0}, {-1, 0}};
    for (const auto& c : cases) {
        s.ChooseBackup(c.chosen);
        EXPECT_EQ(s.ListBackups(), c.offered) << c.chosen;
    }
}
