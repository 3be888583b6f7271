#include "export/DeckListExporter.h"

#include "appinfo/Version.h"
#include "deckcode/DazoRozi.h"
#include "fileio/InputFile.h"
#include "savedata/SaveData.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <unistd.h>

namespace {

const char* const kStartMarkers[] = {"\\globalheader_start", "\\header_start", "\\creature_start",
                                     "\\separator_start",    "\\magic_start",  "\\footer_start"};
const char* const kEndMarkers[] = {"\\globalheader_end", "\\header_end", "\\creature_end",
                                   "\\separator_end",    "\\magic_end",  "\\footer_end"};

enum class FormatFile { Read, Missing, Unreadable };

// Reads a format file as text, as players' editors write it:
// CR LF becomes LF (a lone CR stays), only the first kMaxFormatBytes bytes
// after that count, and a NUL byte ends the text.
FormatFile ReadFormatFile(const std::string& path, std::string& text)
{
    std::string raw;
    const ReadResult read = ReadInputFile(path, raw);
    if (read != ReadResult::Read) {
        return read == ReadResult::Missing ? FormatFile::Missing : FormatFile::Unreadable;
    }
    // Each kept byte takes at most two bytes of the file, plus one to see
    // whether a CR at the limit is followed by LF.
    const std::size_t length = std::min(raw.size(), 2 * DeckListExporter::kMaxFormatBytes + 1);
    text.clear();
    for (std::size_t i = 0; i < length && text.size() < DeckListExporter::kMaxFormatBytes; ++i) {
        char ch = raw[i];
        if (ch == '\r' && i + 1 < length && raw[i + 1] == '\n') {
            ch = '\n';
            ++i;
        }
        if (ch == '\0') {
            break;
        }
        text += ch;
    }
    return FormatFile::Read;
}

// Appends text with every LF written as CR LF, as a text-mode write does.
void AppendAsCrLf(const std::string& text, std::string& out)
{
    std::size_t from = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', from)) {
        out.append(text, from, lf - from);
        out += "\r\n";
        from = lf + 1;
    }
    out.append(text, from, std::string::npos);
}

// Creates or truncates path and writes bytes whole; with onlyNew, a file
// already there is left alone. A file that was created but not fully written
// is removed: a cut-off deck list or format must not pass for a complete one.
bool WriteWholeFile(const std::string& path, const std::string& bytes, bool onlyNew = false)
{
    const int fd = OpenOutputFile(path, onlyNew);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        ok = written > 0 || (written < 0 && errno == EINTR);
        done += written > 0 ? static_cast<std::size_t>(written) : 0;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(path.c_str());
    }
    return ok;
}

// Replaces the first occurrence of placeholder; the value is only made when
// the placeholder is there, since most sections use few of them.
template <class MakeValue>
void ReplaceFirst(std::string& text, std::string_view placeholder, const MakeValue& value)
{
    const std::size_t at = text.find(placeholder.data(), 0, placeholder.size());
    if (at != std::string::npos) {
        text.replace(at, placeholder.size(), value());
    }
}

}  // namespace

std::string CannotWriteDeckListText(const std::string& fileName)
{
    return "「" + fileName + "」に書き込めなかったみたいです…。";
}

std::string ExportFileName(int formatIndex, int deckIndex, bool allDecks)
{
    return "deck_" + (allDecks ? std::string("all") : std::to_string(deckIndex + 1)) + "_format" +
           std::to_string(formatIndex + 1) + ".txt";
}

// The section begins one byte after the start marker (the line break ending
// the marker's line) and runs up to the first end marker, both searched from
// the beginning of the text. Positions are unsigned and a failed search gives
// the largest position, so a missing start marker makes the section begin at
// the marker's length, and a missing end marker, or one before the
// beginning, makes it run to the end of the text. A beginning past the end of
// the text gives an empty section.
std::string ExtractSection(const std::string& text, const std::string& startMarker, const std::string& endMarker)
{
    const std::size_t begin = text.find(startMarker) + startMarker.size() + 1;
    const std::size_t length = text.find(endMarker) - begin;
    if (begin > text.size()) {
        return std::string();
    }
    return text.substr(begin, length);
}

FormatTemplate SplitFormat(const std::string& text)
{
    FormatTemplate format;
    std::string* const sections[] = {&format.globalheader, &format.header, &format.creature,
                                     &format.separator,    &format.magic,  &format.footer};
    for (int s = 0; s < 6; ++s) {
        *sections[s] = ExtractSection(text, kStartMarkers[s], kEndMarkers[s]);
    }
    return format;
}

DeckListExporter::DeckListExporter(const SaveData& data, const GamePaths& gamePaths)
    : paths(gamePaths), catalogue(paths.CardList()), saveData(data)
{
    LoadFormats();
}

void DeckListExporter::LoadFormats()
{
    for (int number = 1; number <= kFormats; ++number) {
        const std::string path = paths.Format(number);
        std::string text;
        const FormatFile read = ReadFormatFile(path, text);
        if (read != FormatFile::Read) {
            text = DefaultFormatText(number);
        }
        if (read == FormatFile::Missing) {
            std::string bytes;
            AppendAsCrLf(text, bytes);
            // Not being able to write it is no reason to stop the export. A
            // file that appeared meanwhile is the user's and stays.
            WriteWholeFile(path, bytes, true);
        }
        formats[number - 1] = SplitFormat(text);
    }
}

bool DeckListExporter::WriteDeckList(int formatIndex, int deckIndex, bool allDecks)
{
    if (formatIndex < 0 || formatIndex >= kFormats || (!allDecks && (deckIndex < 0 || deckIndex >= SaveData::kDecks))) {
        return false;
    }
    return WriteWholeFile(paths.ExportFile(ExportFileName(formatIndex, deckIndex, allDecks)),
                          BuildDeckList(formatIndex, deckIndex, allDecks));
}

std::string DeckListExporter::BuildDeckList(int formatIndex, int deckIndex, bool allDecks) const
{
    std::string out;
    if (formatIndex < 0 || formatIndex >= kFormats || (!allDecks && (deckIndex < 0 || deckIndex >= SaveData::kDecks))) {
        return out;
    }
    const FormatTemplate& format = formats[formatIndex];
    const std::string playerName = saveData.PlayerName();

    std::string text = format.globalheader;
    ReplaceFirst(text, "\\player_name", [&] { return playerName; });
    ReplaceFirst(text, "\\ver", [] { return std::string(kVersionText); });
    AppendAsCrLf(text, out);

    const int first = allDecks ? 0 : deckIndex;
    const int last = allDecks ? SaveData::kDecks - 1 : deckIndex;
    for (int slot = first; slot <= last; ++slot) {
        AppendDeck(format, playerName, saveData.Deck(slot), out);
    }
    return out;
}

void DeckListExporter::AppendDeckSection(const std::string& section, const std::string& playerName,
                                         const DeckRecord& deck, std::string& out) const
{
    if (section.empty()) {
        return;
    }
    std::string text = section;
    ReplaceFirst(text, "\\player_name", [&] { return playerName; });
    ReplaceFirst(text, "\\deck_name", [&] { return deck.Name(); });
    ReplaceFirst(text, "\\deck_code", [&] { return encode(deck); });
    ReplaceFirst(text, "\\magics", [&] { return std::to_string(deck.MagicCount()); });
    ReplaceFirst(text, "\\creatures", [&] { return std::to_string(deck.CreatureCount()); });
    AppendAsCrLf(text, out);
}

void DeckListExporter::AppendDeck(const FormatTemplate& format, const std::string& playerName, const DeckRecord& deck,
                                  std::string& out) const
{
    const std::uint8_t* counts = deck.Counts();
    // Most of the 53 decks of an all-decks list are usually empty.
    const int cards = deck.CardCount() == 0 ? 0 : CardCatalogue::kCards;
    AppendDeckSection(format.header, playerName, deck, out);
    for (int i = 0; i < cards; ++i) {
        if (counts[i] != 0 && !CardCatalogue::IsMagic(i)) {
            AppendCard(format.creature, false, i, counts[i], out);
        }
    }
    AppendDeckSection(format.separator, playerName, deck, out);
    for (int i = 0; i < cards; ++i) {
        if (counts[i] != 0 && CardCatalogue::IsMagic(i)) {
            AppendCard(format.magic, true, i, counts[i], out);
        }
    }
    AppendDeckSection(format.footer, playerName, deck, out);
}

// The magic line fills neither "\ap", "\dp" nor "\race": magic cards have none.
void DeckListExporter::AppendCard(const std::string& section, bool magic, int index, int copies, std::string& out) const
{
    if (section.empty()) {
        return;
    }
    std::string text = section;
    ReplaceFirst(text, "\\card_no", [&] { return std::to_string(index + 1); });
    ReplaceFirst(text, "\\CARD_NO", [&] {
        char padded[16];
        std::snprintf(padded, sizeof padded, "%03d", index + 1);
        return std::string(padded);
    });
    ReplaceFirst(text, "\\card_name", [&] { return catalogue.GetName(index); });
    ReplaceFirst(text, "\\cp", [&] { return catalogue.GetCpText(index); });
    if (!magic) {
        ReplaceFirst(text, "\\ap", [&] { return catalogue.GetApText(index); });
        ReplaceFirst(text, "\\dp", [&] { return catalogue.GetDpText(index); });
    }
    ReplaceFirst(text, "\\attribute", [&] { return catalogue.attribute[index]; });
    if (!magic) {
        ReplaceFirst(text, "\\race", [&] { return catalogue.race[index]; });
    }
    ReplaceFirst(text, "\\sp", [&] { return catalogue.GetSpecial(index); });
    ReplaceFirst(text, "\\cards", [&] { return std::to_string(copies); });
    AppendAsCrLf(text, out);
}
