#include "support/TestView.h"

int TestView::MessageBox(const std::string& text, const std::string& caption, unsigned type)
{
    messages.push_back({text, caption, type});
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;  // the careful answer
}

const TestView::Item& TestView::Find(int id) const
{
    static const Item kEmpty;
    const auto it = items.find(id);
    return it == items.end() ? kEmpty : it->second;
}
