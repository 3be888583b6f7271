// SAVE never silently overwrites a file it did not write; ending never
// silently drops unsaved edits. The player's side of both questions (yes, no,
// leaving without edits) is in tests/e2e.
#include "AppFixture.h"

#include "savedata/SafeFile.h"

#include <unistd.h>

namespace {

const std::string kOverwrite = Sjis(u8"セーブデータがゲームで書き換えられたみたいです。\r\n上書きしちゃっていいですか？");
const std::string kDiscard = Sjis(u8"まだセーブしていない変更がありますよぉ。\r\n保存しないで終わっちゃっていいですか？");

class Trust : public MainWindowTest {
protected:
    // How often the question was asked, always with "no" as the default button.
    std::size_t Asked(const std::string& question) const
    {
        std::size_t n = 0;
        for (const TestView::Message& m : view.messages) {
            if (m.text == question) {
                EXPECT_EQ(m.type, static_cast<unsigned>(MB_YESNO | MB_DEFBUTTON2));
                ++n;
            }
        }
        return n;
    }
};

}  // namespace

TEST_F(Trust, OnlyAFileTheEditorDidNotWriteIsAskedAbout)
{
    ASSERT_TRUE(Start());
    // A deleted save file counts as changed.
    ::unlink(ws.SavePath().c_str());
    view.answers.push_back(IDNO);
    dlg->OnSaveClicked();
    EXPECT_EQ(Asked(kOverwrite), 1u);
    EXPECT_FALSE(ws.Exists(ws.SavePath()));
    view.answers.push_back(IDYES);
    dlg->OnSaveClicked();
    EXPECT_EQ(ws.Get(ws.SavePath()), saveFile.Bytes());

    // What we wrote ourselves is no reason to ask again.
    TypeName(1, "Second");
    dlg->OnSaveClicked();
    EXPECT_EQ(Asked(kOverwrite), 2u);
    EXPECT_EQ(ws.Get(ws.SavePath()), Image(dlg->saveData));
}

TEST_F(Trust, OnlyEditsNotYetWrittenAreAskedAbout)
{
    ASSERT_TRUE(Start());
    // Renamed and renamed back: the file would come out the same.
    TypeName(0, "Renamed");
    TypeName(0, saveFile.names[0]);
    dlg->EndDialogRequested(IDOK);
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(Asked(kDiscard), 0u);
    view.ended = false;

    // A failed save settles nothing.
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
}
