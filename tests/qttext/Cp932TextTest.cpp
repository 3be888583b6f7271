// The view's code page 932 edge: texts the program writes come back byte for
// byte, user edits are refused when the bytes would not be what is shown.
#include "qttext/Cp932Text.h"
#include "support/Cp932.h"

#include <gtest/gtest.h>

namespace {
QString U(const char* utf8) { return QString::fromUtf8(utf8); }
}  // namespace

TEST(Cp932Text, UnchangedTextsKeepTheirBytes)
{
    // 0xED 0x40 reads as U+7E8A, which encodes as 0xFA 0x5C: only the kept
    // bytes survive. A lone lead byte at the end and an undefined byte too.
    const std::string bytes = std::string("\xED\x40", 2) + Sjis(u8"デッキ") + "\xFF" + "a\x83";
    const Cp932Text text(bytes);
    EXPECT_EQ(text.Bytes(), bytes);
    const QString shown = text.Shown();
    EXPECT_EQ(shown, U(u8"\u7E8Aデッキ\uFFFDa\uFFFD"));

    // Editing in the middle keeps both ends' bytes.
    Cp932Text edited;
    QString changed = shown;
    changed.insert(1, U(u8"新"));
    ASSERT_TRUE(text.Edit(changed, edited));
    EXPECT_EQ(edited.Bytes(), std::string("\xED\x40", 2) + Sjis(u8"新デッキ") + "\xFF" + "a\x83");
}

// (A character without a code page 932 form, typed in the window, is in tests/e2e.)
TEST(Cp932Text, RefusesWhatCodePage932CannotHold)
{
    const Cp932Text text(Sjis(u8"名前"));
    Cp932Text edited;
    EXPECT_FALSE(text.Edit(U(u8"名前") + QChar(0xD83D) + QChar(0xDE00), edited));  // outside the BMP
    EXPECT_FALSE(text.Edit(U(u8"名\uFFFD前"), edited));      // a stand-in typed or pasted
    ASSERT_TRUE(text.Edit(U(u8"名前～①"), edited));
    EXPECT_EQ(edited.Bytes(), Sjis(u8"名前") + "\x81\x60\x87\x40");
    ASSERT_TRUE(text.Edit(QString(), edited));
    EXPECT_EQ(edited.Bytes(), "");
}

TEST(Cp932Text, NothingMayFollowAKeptLoneLeadByte)
{
    // A 37-byte cut left the lead byte of "デ" at the end.
    const std::string cut = std::string(36, 'x') + "\x83";
    const Cp932Text text(cut);
    EXPECT_EQ(text.Shown(), QString(36, QChar('x')) + QChar(0xFFFD));
    Cp932Text edited;
    // Typed after it, "A" would join the lead byte into another character.
    EXPECT_FALSE(text.Edit(text.Shown() + "A", edited));
    // With the stand-in deleted, all is well. (Typing in front of it is in
    // the Qt main window's test.)
    ASSERT_TRUE(text.Edit(QString(36, QChar('x')), edited));
    EXPECT_EQ(edited.Bytes(), std::string(36, 'x'));
}
