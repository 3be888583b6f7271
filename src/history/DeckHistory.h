#pragma once
// The changes made to the save data in memory during one run, for undo and
// redo. A step keeps the whole state of the data before and after its
// change, so that undoing it brings back everything the change touched:
// names, cards, the card stock and the game's active deck. A state that SAVE
// would refuse is a step like any other: undo is the way out of it. The
// history belongs to the run: writing the file leaves it as it is.
#include "savedata/SaveData.h"

#include <cstddef>
#include <string>
#include <vector>

class DeckHistory {
public:
    using State = SaveData::State;
    // Steps kept; beyond them the oldest step goes.
    static constexpr std::size_t kKeptSteps = 100;

    // Records the change from `before` (a Snapshot of the same data) to
    // what `data` holds now, under `label` (not empty), and drops the steps
    // that could have been redone. Nothing is recorded, and false returned,
    // when nothing changed: a refused command is no step.
    bool Record(const State& before, const SaveData& data, const std::string& label);

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
        State before;
        State after;
        std::string label;
    };
    // Empty until the first change: nothing is allocated at start-up.
    std::vector<Step> steps;
    std::size_t done = 0;  // steps[0, done) are applied
};
