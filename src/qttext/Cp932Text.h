#pragma once
// Code page 932 bytes <-> Qt's Unicode, for the Qt view only.
//
// A text is held as a list of units, one per character shown: the bytes of one
// code page 932 character and the QChar that stands for it. Bytes that do not
// form a character (a lone lead byte left by a 37-byte cut, an undefined code)
// are shown as U+FFFD and keep their bytes, so a text the user has not touched
// is handed back exactly as it was given, whatever Unicode makes of it.
#include <QString>

#include <string>
#include <vector>

class Cp932Text {
public:
    struct Unit {
        QChar shown;
        std::string bytes;
    };

    Cp932Text() = default;
    explicit Cp932Text(const std::string& bytes);

    QString Shown() const;
    std::string Bytes() const;
    const std::vector<Unit>& Units() const { return units; }

    // The text after the user changed what is shown into `edited`: unchanged
    // characters at both ends keep their bytes, the changed middle is encoded.
    // False when the middle holds a character code page 932 cannot store (or a
    // stand-in for undecodable bytes), or when the bytes would read back as
    // something other than `edited` (a kept lone lead byte followed by new text).
    bool Edit(const QString& edited, Cp932Text& result) const;

    static const QChar kUndecodable;

private:
    std::vector<Unit> units;
};

// Plain conversions for texts no user edits (captions, messages, panes).
QString FromCp932(const std::string& bytes);
// Encodes `text`; false when some character has no code page 932 form.
bool ToCp932(const QString& text, std::string& bytes);
