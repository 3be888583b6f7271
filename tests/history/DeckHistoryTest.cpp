// The undo history over real save data: its bound, the cursor, and the bytes
// each step takes the data back and forth to. Which changes are steps, and
// that undoing them all leaves nothing unsaved, is in tests/app.
#include "history/DeckHistory.h"

#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class History : public ::testing::Test, protected GameFolder {};

}  // namespace

// 101 renames: the first goes, the other 100 can be undone one by one, and a
// new step after undoing drops what could have been redone.
TEST_F(History, KeepsTheLastHundredStepsAndANewStepEndsRedo)
{
    // The bytes each undo gives back: SaveProperties.
    SaveData& data = Load();
    DeckHistory history;
    std::vector<std::string> images{Image(data)};
    for (int n = 1; n <= 101; ++n) {
        const DeckHistory::State before = data.Snapshot();
        data.Deck(n % SaveData::kDecks).SetName("step " + std::to_string(n));
        ASSERT_TRUE(history.Record(before, data, std::to_string(n)));
        images.push_back(Image(data));
    }
    for (int n = 101; n >= 2; --n) {
        ASSERT_EQ(history.Undo(data), std::to_string(n));
    }
    EXPECT_EQ(history.Undo(data), "");
    EXPECT_EQ(Image(data), images[1]);

    EXPECT_EQ(history.Redo(data), "2");
    const DeckHistory::State before = data.Snapshot();
    data.Deck(0).SetName("new");
    ASSERT_TRUE(history.Record(before, data, "new"));
    EXPECT_EQ(history.NextRedo(), "");
    EXPECT_EQ(history.Redo(data), "");
    EXPECT_EQ(history.Undo(data), "new");
    EXPECT_EQ(Image(data), images[2]);
    EXPECT_EQ(history.Undo(data), "2");
    EXPECT_EQ(Image(data), images[1]);
}

// A state that SAVE refuses (card 39's stock of 13 right before a 0x0A byte
// spells CR LF inside the stock line) is a step like any other: the steps
// into it, out of it and around it all undo and redo, and so does a whole
// file taken in (restore-all) with game lines after the decks.
TEST_F(History, StepsThroughAStateThatCannotBeWrittenUndoAndRedo)
{
    saveFile.stock[38] = 12;
    saveFile.stockSecond[38] = 0x0A;
    saveFile.cards[1] = {39, 40};
    SaveData& data = Load();
    DeckHistory history;
    const std::string backup = SaveFileBuilder().Bytes() + "the game's own line\r\n";
    const std::vector<std::string> labels{"rename 5", "delete 2", "rename 7", "restore all"};
    std::vector<std::string> images{Image(data)};
    for (const std::string& label : labels) {
        const DeckHistory::State before = data.Snapshot();
        if (label == "delete 2") {
            ASSERT_EQ(data.DeleteDeck(1), "");
            ASSERT_EQ(data.Write(), kTextWouldBreakFile);
        } else if (label == "restore all") {
            ASSERT_TRUE(data.ReplaceContents(std::vector<std::uint8_t>(backup.begin(), backup.end())));
        } else {
            data.Deck(label.back() - '1').SetName(label);
        }
        ASSERT_TRUE(history.Record(before, data, label));
        images.push_back(Image(data));
    }
    for (int n = 3; n >= 0; --n) {
        ASSERT_EQ(history.Undo(data), labels[n]);
        ASSERT_EQ(Image(data), images[n]);
    }
    for (int n = 0; n <= 3; ++n) {
        ASSERT_EQ(history.Redo(data), labels[n]);
        ASSERT_EQ(Image(data), images[n + 1]);
    }
    EXPECT_EQ(images[4], backup);
}
