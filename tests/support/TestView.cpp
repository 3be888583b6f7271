#include "support/TestView.h"

#include <algorithm>

void TestView::EndDialog(int result)
{
    ended = true;
    endResult = result;
    windowVisible = false;
}

int TestView::MessageBox(const std::string& text, const std::string& caption, unsigned type)
{
    messages.push_back({text, caption, type});
    if (onMessage) {
        onMessage(messages.back());
    }
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;  // the careful answer
}

void TestView::InsertTab(int id, int index, const std::string& caption)
{
    Item& item = items[id];
    const std::size_t at = std::min(static_cast<std::size_t>(std::max(index, 0)), item.tabs.size());
    item.tabs.insert(item.tabs.begin() + static_cast<std::ptrdiff_t>(at), caption);
    if (item.curSel < 0) {
        item.curSel = 0;
    } else if (static_cast<int>(at) <= item.curSel) {
        ++item.curSel;
    }
}

void TestView::SetCurSel(int id, int index)
{
    Item& item = items[id];
    if (index < static_cast<int>(std::max(item.tabs.size(), item.list.size()))) {
        item.curSel = index < 0 ? -1 : index;
    }
}

void TestView::SetScrollRange(int id, int minimum, int maximum)
{
    Item& item = items[id];
    item.minimum = minimum;
    item.maximum = maximum;
    item.position = std::clamp(item.position, minimum, std::max(minimum, maximum));
}

void TestView::GetScrollRange(int id, int& minimum, int& maximum) const
{
    const Item& item = Find(id);
    minimum = item.minimum;
    maximum = item.maximum;
}

ViewRect TestView::GetClientRect() const
{
    // A 4-pixel border and a 24-pixel caption around the client area.
    return {0, 0, windowRect.Width() - 2 * 4, windowRect.Height() - 24 - 2 * 4};
}

void TestView::ClickRadio(int id)
{
    for (const std::vector<int>& group : radioGroups) {
        if (std::find(group.begin(), group.end(), id) != group.end()) {
            for (int other : group) {
                items[other].checked = false;
            }
        }
    }
    items[id].checked = true;
}

const TestView::Item& TestView::Find(int id) const
{
    static const Item kEmpty;
    const auto it = items.find(id);
    return it == items.end() ? kEmpty : it->second;
}
