#include "support/TestView.h"

#include <algorithm>

int TestView::MessageBox(const std::string& text, const std::string& caption, unsigned type)
{
    messages.push_back({text, caption, type});
    if (onMessage) {
        onMessage(messages.back());
    }
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;  // the careful answer
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
