#pragma once
// Export formats and the deck-list writer. The exporter is built at the first
// export of a run and kept until the program ends: it reads list.xml and the
// three format files once, then writes deck lists from the save data.
#include "catalogue/CardCatalogue.h"
#include "gamepaths/GamePaths.h"

#include <cstddef>
#include <string>

class SaveData;
class DeckRecord;

// One export format: six sections, LF line breaks.
struct FormatTemplate {
    std::string globalheader;
    std::string header;
    std::string creature;
    std::string separator;
    std::string magic;
    std::string footer;
};

// The built-in default text of format number 1-3, LF line breaks.
const std::string& DefaultFormatText(int number);

// "deck_all_format<N>.txt" or "deck_<slot+1>_format<N>.txt", a name in the
// export folder.
std::string ExportFileName(int formatIndex, int deckIndex, bool allDecks);
// What the window says about a deck list it could not write.
std::string CannotWriteDeckListText(const std::string& fileName);

// The text between a start and an end marker; see the .cpp for how missing
// or misplaced markers are treated.
std::string ExtractSection(const std::string& text, const std::string& startMarker, const std::string& endMarker);

// Splits a format text into its six sections.
FormatTemplate SplitFormat(const std::string& text);

class DeckListExporter {
public:
    static constexpr int kFormats = 3;
    // A format text is at most this many bytes (after CR LF became LF).
    static constexpr std::size_t kMaxFormatBytes = 10240;

    // Loads the card list and the three formats of `paths`, creating missing
    // format files from the defaults. A format file that is there but cannot
    // be read is left alone; its default is used.
    DeckListExporter(const SaveData& saveData, const GamePaths& paths);
    DeckListExporter(const DeckListExporter&) = delete;
    DeckListExporter& operator=(const DeckListExporter&) = delete;

    // Writes one deck (slot deckIndex) or all 53 decks with format
    // formatIndex (0-2) to deck_..._format<N>.txt in the export folder; false when the file
    // could not be written whole. Only a regular file (or a new one) is
    // written.
    bool WriteDeckList(int formatIndex, int deckIndex, bool allDecks);

    // The bytes WriteDeckList would write (CR LF line breaks).
    std::string BuildDeckList(int formatIndex, int deckIndex, bool allDecks) const;

    const FormatTemplate& Format(int formatIndex) const { return formats[formatIndex]; }

private:
    void LoadFormats();
    void AppendDeck(const FormatTemplate& format, const std::string& playerName, const DeckRecord& deck,
                    std::string& out) const;
    void AppendDeckSection(const std::string& section, const std::string& playerName, const DeckRecord& deck,
                           std::string& out) const;
    void AppendCard(const std::string& section, bool magic, int index, int copies, std::string& out) const;

    GamePaths paths;
    CardCatalogue catalogue;
    const SaveData& saveData;
    FormatTemplate formats[kFormats];
};
