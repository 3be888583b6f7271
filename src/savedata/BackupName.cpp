#include "savedata/BackupName.h"

#include <algorithm>
#include <tuple>

bool BackupName::operator<(const BackupName& other) const
{
    return std::tie(minute, second, count) < std::tie(other.minute, other.second, other.count);
}

namespace {

bool AllDigits(const std::string& text, std::size_t from, std::size_t length)
{
    if (from + length > text.size()) {
        return false;
    }
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                       text.begin() + static_cast<std::ptrdiff_t>(from + length),
                       [](char c) { return c >= '0' && c <= '9'; });
}

int TwoDigits(const std::string& text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

}  // namespace

bool ParseBackupName(const std::string& name, BackupName& key)
{
    if (name.size() < 18) {
        return false;
    }
    const std::size_t stem = name.size() - 4;  // where ".dat" starts
    if (name.compare(0, 4, "Save") != 0 || name.compare(stem, 4, ".dat") != 0 ||
        !AllDigits(name, 4, 10)) {
        return false;
    }
    key = BackupName{name.substr(4, 10)};
    if (stem > 14) {
        if (!AllDigits(name, 14, 2)) {
            return false;
        }
        key.second = TwoDigits(name, 14);
    }
    if (stem > 16) {
        const std::size_t digits = stem - 17;
        if (name[16] != '_' || digits == 0 || digits > 4 || name[17] == '0' || !AllDigits(name, 17, digits)) {
            return false;
        }
        key.count = std::stoi(name.substr(17, digits));
        if (key.count < 2) {
            return false;
        }
    }
    const int month = TwoDigits(name, 6), day = TwoDigits(name, 8);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && TwoDigits(name, 10) < 24 &&
           TwoDigits(name, 12) < 60 && key.second < 60;
}

