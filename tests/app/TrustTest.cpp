// SAVE never silently overwrites the game's newer file; ending never silently
// drops unsaved edits; nothing is written at exit.
#include "AppFixture.h"

#include "savedata/SafeFile.h"

#include <unistd.h>

namespace {

const std::string kOverwrite = Sjis(u8"セーブデータがゲームで書き換えられたみたいです。\r\n上書きしちゃっていいですか？");
const std::string kDiscard = Sjis(u8"まだセーブしていない変更がありますよぉ。\r\n保存しないで終わっちゃっていいですか？");

class Trust : public MainWindowTest {
protected:
    // The file as the game would leave it after saving progress.
    std::string GameSaves()
    {
        SaveFileBuilder game = saveFile;
        game.stock[0] = 50;
        game.gameLines[5] = "the game's newer progress";
        ws.Put(ws.SavePath(), game.Bytes());
        return game.Bytes();
    }
    std::size_t Asked(const std::string& question) const
    {
        std::size_t n = 0;
        for (const TestView::Message& m : view.messages) {
            if (m.text == question) {
                EXPECT_EQ(m.caption, Sjis(u8"ご、ご主人様ぁ～"));
                EXPECT_EQ(m.type, static_cast<unsigned>(MB_YESNO | MB_DEFBUTTON2));
                ++n;
            }
        }
        return n;
    }
};

}  // namespace

TEST_F(Trust, SaveAsksBeforeOverwritingAFileTheGameRewrote)
{
    ASSERT_TRUE(Start());
    TypeName(0, "Mine");
    const std::string newer = GameSaves();

    view.answers.push_back(IDNO);
    dlg->OnSaveClicked();
    EXPECT_EQ(Asked(kOverwrite), 1u);
    EXPECT_EQ(ws.Get(ws.SavePath()), newer);
    EXPECT_EQ(Name(0), "Mine");
    EXPECT_EQ(Status(), "0");
    EXPECT_TRUE(dlg->saveData.HasUnsavedChanges());

    view.answers.push_back(IDYES);
    dlg->OnSaveClicked();
    EXPECT_EQ(Asked(kOverwrite), 2u);
    EXPECT_EQ(ws.Get(ws.SavePath()), Image(dlg->saveData));

    // What we wrote ourselves is no reason to ask again.
    TypeName(1, "Second");
    dlg->OnSaveClicked();
    EXPECT_EQ(Asked(kOverwrite), 2u);
    EXPECT_EQ(ws.Get(ws.SavePath()), Image(dlg->saveData));
}

TEST_F(Trust, ADeletedSaveFileCountsAsChanged)
{
    ASSERT_TRUE(Start());
    ::unlink(ws.SavePath().c_str());
    view.answers.push_back(IDNO);
    dlg->OnSaveClicked();
    EXPECT_EQ(Asked(kOverwrite), 1u);
    EXPECT_FALSE(ws.Exists(ws.SavePath()));
    view.answers.push_back(IDYES);
    dlg->OnSaveClicked();
    EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());
}

TEST_F(Trust, EndingWithNothingUnsavedIsImmediate)
{
    ASSERT_TRUE(Start());
    // Renamed and renamed back: the file would come out the same.
    TypeName(0, "Renamed");
    TypeName(0, saveFile.names[0]);
    dlg->EndDialogRequested(IDOK);
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(view.endResult, IDOK);
    EXPECT_EQ(Asked(kDiscard), 0u);
}

TEST_F(Trust, SavingSettlesTheQuestionButAFailedSaveDoesNot)
{
    ASSERT_TRUE(Start());
    TypeName(0, "Renamed");
    g_failWriteStep = [](WriteStep step) { return step == WriteStep::Rename; };
    dlg->OnSaveClicked();
    g_failWriteStep = nullptr;
    EXPECT_EQ(view.messages.back().text, Sjis(u8"セーブファイルを開けないです"));
    EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());
    view.answers.push_back(IDNO);
    dlg->EndDialogRequested(IDCANCEL);
    EXPECT_FALSE(view.ended);
    EXPECT_EQ(Asked(kDiscard), 1u);

    dlg->OnSaveClicked();
    dlg->EndDialogRequested(IDCANCEL);
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(Asked(kDiscard), 1u);
    EXPECT_EQ(ws.Get(ws.SavePath()), Image(dlg->saveData));
}
