#include "history/DeckHistory.h"

#include "savedata/SaveData.h"

#include <utility>

bool DeckHistory::Record(const Image& before, const SaveData& data, const std::string& label)
{
    Image after = data.BuildImage();
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
    // The images came from BuildImage, so they fit the layout; a refusal
    // still leaves both the data and the history as they were.
    if (done == 0 || !data.ReplaceContents(steps[done - 1].before)) {
        return std::string();
    }
    --done;
    return steps[done].label;
}

std::string DeckHistory::Redo(SaveData& data)
{
    if (done == steps.size() || !data.ReplaceContents(steps[done].after)) {
        return std::string();
    }
    return steps[done++].label;
}
