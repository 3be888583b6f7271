#include "history/DeckHistory.h"

#include "savedata/SaveData.h"

#include <utility>

bool DeckHistory::Record(const State& before, const SaveData& data, const std::string& label)
{
    State after = data.Snapshot();
    if (after == before) {
        return false;
    }
    steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(done), steps.end());
    if (steps.size() >= kKeptSteps) {
        steps.erase(steps.begin());
    }
    steps.push_back({before, std::move(after), label});
    done = steps.size();
    return true;
}

std::string DeckHistory::Undo(SaveData& data)
{
    if (done == 0) {
        return std::string();
    }
    --done;
    data.Restore(steps[done].before);
    return steps[done].label;
}

std::string DeckHistory::Redo(SaveData& data)
{
    if (done == steps.size()) {
        return std::string();
    }
    data.Restore(steps[done].after);
    return steps[done++].label;
}
