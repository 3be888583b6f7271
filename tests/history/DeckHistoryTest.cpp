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
    SaveData& data = Load();
    DeckHistory history;
    std::vector<std::string> images{Image(data)};
    for (int n = 1; n <= 101; ++n) {
        const DeckHistory::Image before = data.BuildImage();
        data.Deck(n % SaveData::kDecks).SetName("step " + std::to_string(n));
        ASSERT_TRUE(history.Record(before, data, std::to_string(n)));
        images.push_back(Image(data));
    }
    for (int n = 101; n >= 2; --n) {
        ASSERT_EQ(history.Undo(data), std::to_string(n));
        ASSERT_EQ(Image(data), images[n - 1]);
    }
    EXPECT_EQ(history.Undo(data), "");
    EXPECT_EQ(Image(data), images[1]);

    EXPECT_EQ(history.Redo(data), "2");
    const DeckHistory::Image before = data.BuildImage();
    data.Deck(0).SetName("new");
    ASSERT_TRUE(history.Record(before, data, "new"));
    EXPECT_EQ(history.NextRedo(), "");
    EXPECT_EQ(history.Redo(data), "");
    EXPECT_EQ(history.Undo(data), "new");
    EXPECT_EQ(Image(data), images[2]);
    EXPECT_EQ(history.Undo(data), "2");
    EXPECT_EQ(Image(data), images[1]);
}
