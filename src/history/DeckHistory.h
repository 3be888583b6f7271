#pragma once
// The changes made to the save data in memory during one run, for undo and
// redo. A step keeps the whole save image before and after its change, so
// that undoing it brings back everything the change touched: names, cards,
// the card stock and the game's active deck. The history belongs to the run:
// writing the file leaves it as it is.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class SaveData;

class DeckHistory {
public:
    using Image = std::vector<std::uint8_t>;
    // Steps kept; beyond them the oldest step goes.
    static constexpr std::size_t kKeptSteps = 100;

    // Records the change from `before` (a BuildImage of the same data) to
    // what `data` holds now, under `label` (not empty), and drops the steps
    // that could have been redone. Nothing is recorded, and false returned,
    // when the bytes are the same: a refused command is no step.
    bool Record(const Image& before, const SaveData& data, const std::string& label);

    // Takes the data back to before the last step done, or forward to after
    // the next step undone, and returns that step's label; empty, with nothing
    // changed, when there is no such step.
    std::string Undo(SaveData& data);
    std::string Redo(SaveData& data);

    // The label Undo or Redo would return; empty when there is no such step.
    std::string NextUndo() const { return done > 0 ? steps[done - 1].label : std::string(); }
    std::string NextRedo() const { return done < steps.size() ? steps[done].label : std::string(); }

private:
    struct Step {
        Image before;
        Image after;
        std::string label;
    };
    // Empty until the first change: nothing is allocated at start-up.
    std::vector<Step> steps;
    std::size_t done = 0;  // steps[0, done) are applied
};
