#include "qttext/Cp932Text.h"

#include "text/Cp932.h"

const QChar Cp932Text::kUndecodable = QChar(0xFFFD);

namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The character of one unit of bytes, or U+FFFD.
QChar DecodeUnit(const std::string& bytes)
{
    std::string utf8;
    if (!DecodeCp932(bytes, utf8)) {
        return Cp932Text::kUndecodable;
    }
    const QString s = QString::fromStdString(utf8);
    return s.size() == 1 ? s[0] : Cp932Text::kUndecodable;
}

bool EncodeChars(const QString& text, std::vector<Cp932Text::Unit>& out)
{
    for (const QChar c : text) {
        std::string bytes;
        if (c == Cp932Text::kUndecodable || c.isSurrogate() ||
            !Utf8ToCp932(QString(c).toStdString(), bytes) || bytes.empty()) {
            return false;
        }
        // What is shown is what the bytes read back as (〜 typed, ～ stored).
        out.push_back({DecodeUnit(bytes), std::move(bytes)});
    }
    return true;
}

std::vector<Cp932Text::Unit> Split(const std::string& bytes)
{
    std::vector<Cp932Text::Unit> units;
    units.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 1;
        if (IsLeadByte(b) && i + 1 < bytes.size() && IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            length = 2;
        }
        std::string unit = bytes.substr(i, length);
        const QChar shown = (length == 1 && b < 0x80) ? QChar(b) : DecodeUnit(unit);
        units.push_back({shown, std::move(unit)});
        i += length;
    }
    return units;
}

}  // namespace

Cp932Text::Cp932Text(const std::string& bytes) : units(Split(bytes)) {}

QString Cp932Text::Shown() const
{
    QString s;
    s.reserve(static_cast<qsizetype>(units.size()));
    for (const Unit& u : units) {
        s.append(u.shown);
    }
    return s;
}

std::string Cp932Text::Bytes() const
{
    std::string s;
    for (const Unit& u : units) {
        s += u.bytes;
    }
    return s;
}

bool Cp932Text::Edit(const QString& edited, Cp932Text& result) const
{
    const qsizetype oldLength = static_cast<qsizetype>(units.size());
    const qsizetype newLength = edited.size();
    qsizetype prefix = 0;
    while (prefix < oldLength && prefix < newLength && units[static_cast<std::size_t>(prefix)].shown == edited[prefix]) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < oldLength - prefix && suffix < newLength - prefix &&
           units[static_cast<std::size_t>(oldLength - 1 - suffix)].shown == edited[newLength - 1 - suffix]) {
        ++suffix;
    }
    std::vector<Unit> out(units.begin(), units.begin() + prefix);
    if (!EncodeChars(edited.mid(prefix, newLength - prefix - suffix), out)) {
        return false;
    }
    out.insert(out.end(), units.end() - suffix, units.end());

    Cp932Text candidate;
    candidate.units = std::move(out);
    // The bytes must read back as what the user sees, unit for unit.
    const std::vector<Unit> reread = Split(candidate.Bytes());
    if (reread.size() != candidate.units.size()) {
        return false;
    }
    for (std::size_t i = 0; i < reread.size(); ++i) {
        if (reread[i].bytes != candidate.units[i].bytes || reread[i].shown != candidate.units[i].shown) {
            return false;
        }
    }
    result = std::move(candidate);
    return true;
}

QString FromCp932(const std::string& bytes)
{
    std::string utf8;
    // Fast path for the common case: a whole text that decodes cleanly.
    if (DecodeCp932(bytes, utf8)) {
        return QString::fromStdString(utf8);
    }
    return Cp932Text(bytes).Shown();
}

bool ToCp932(const QString& text, std::string& bytes)
{
    std::vector<Cp932Text::Unit> units;
    if (!EncodeChars(text, units)) {
        return false;
    }
    bytes.clear();
    for (const Cp932Text::Unit& u : units) {
        bytes += u.bytes;
    }
    return true;
}
