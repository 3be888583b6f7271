#include "app/Cp932Text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

const QChar Cp932Text::kUndecodable = QChar(0xFFFD);

namespace {

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Fresh converters for each use: ICU keeps partial characters and errors as
// state, and Qt 6.4 does not clear a recorded error on resetState().
QStringDecoder NewDecoder() { return QStringDecoder("cp932", QStringDecoder::Flag::Stateless); }
QStringEncoder NewEncoder() { return QStringEncoder("cp932", QStringEncoder::Flag::Stateless); }

// The character of one unit of bytes, or U+FFFD. ICU reports bytes it cannot
// map as U+001A (SUB) without always raising an error, so that is checked too.
QChar DecodeUnit(const std::string& bytes)
{
    QStringDecoder decoder = NewDecoder();
    if (!decoder.isValid()) {
        return bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80 ? QChar(bytes[0]) : Cp932Text::kUndecodable;
    }
    const QString s = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError() || s.size() != 1 || (s[0] == QChar(0x1A) && bytes != "\x1a")) {
        return Cp932Text::kUndecodable;
    }
    return s[0];
}

bool EncodeChars(const QString& text, std::vector<Cp932Text::Unit>& out)
{
    for (const QChar c : text) {
        if (c == Cp932Text::kUndecodable || c.isSurrogate()) {
            return false;
        }
        // ICU's table swaps some control codes (0x1A, 0x1C, 0x7F); below 0x80
        // code page 932 is ASCII.
        if (c.unicode() < 0x80) {
            out.push_back({c, std::string(1, static_cast<char>(c.unicode()))});
            continue;
        }
        QStringEncoder encoder = NewEncoder();
        if (!encoder.isValid()) {
            return false;
        }
        const QByteArray b = encoder.encode(QStringView(&c, 1));
        // Decide by the error state: ICU writes 0xFC 0xFC for what it cannot map.
        if (encoder.hasError() || b.isEmpty()) {
            return false;
        }
        out.push_back({c, std::string(b.constData(), static_cast<std::size_t>(b.size()))});
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
    // Fast path for the common case: a whole text that decodes cleanly.
    const bool plainControls = std::all_of(bytes.begin(), bytes.end(), [](char b) {
        return static_cast<unsigned char>(b) >= 0x20 ? b != 0x7F : (b == '\r' || b == '\n' || b == '\t');
    });
    QStringDecoder decoder = NewDecoder();
    if (plainControls && decoder.isValid()) {
        const QString s = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        // Stateless: a lone lead byte at the very end raises the error
        // instead of being held back silently.
        if (!decoder.hasError() && !s.contains(QChar(0x1A)) && !s.contains(QChar(0xFFFD))) {
            return s;
        }
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
