#pragma once
// The game's save file held in memory: the card stock, the game's active deck
// and 53 decks. Everything else in the file is carried through byte for byte.
#include "catalogue/CardCatalogue.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

class SaveData;

// "デッキ" followed by slot + 1 in at least two digits.
std::string DefaultDeckNameOf(int slot);

class DeckRecord {
public:
    static constexpr int kMaxCards = 40;
    static constexpr int kNameBytes = 37;

    DeckRecord(SaveData& owner, int number);

    std::string Name() const { return name; }
    // Keeps at most the first 37 bytes; CR and LF bytes are dropped so that a
    // name can never break the file's lines.
    void SetName(const std::string& text);
    bool IsComplete() const { return cardCount == kMaxCards; }
    int CardCount() const { return cardCount; }
    int Number() const { return number; }
    bool IsTrainingDeck() const { return number > 50; }
    const std::uint8_t* Counts() const { return counts; }
    const CardCatalogue& Catalogue() const { return catalogue; }
    int CreatureCount() const;
    int MagicCount() const;

    // Empties the deck into the stock; true when it ended up empty.
    bool ReleaseCards();
    // Appends the name line and the 80-byte card line, each ended by CR LF.
    void AppendLines(std::vector<std::uint8_t>& image) const;

    // Deck rules: adds the cards a code names under the 40-card limit, the
    // stock and the training-deck exclusions; returns one complaint line per
    // refused entry, or the empty text.
    std::string AddFromCode(std::string code);
    // The same rules for per-card wanted counts taken directly from another deck.
    std::string AddFromCounts(const std::uint8_t wanted[600]);

private:
    void AddEntry(int index, int wanted, std::string& complaints);

    SaveData* saveData;
    std::uint8_t cardCount = 0;
    char name[kNameBytes + 1] = {};
    std::uint8_t number;
    CardCatalogue catalogue;
    std::uint8_t counts[600] = {};
};

class SaveData {
public:
    static constexpr int kDecks = 53;
    static constexpr int kStockLine = 28;

    // Loads ../File/Save.dat; see IsLoaded.
    SaveData();
    ~SaveData();
    SaveData(const SaveData&) = delete;
    SaveData& operator=(const SaveData&) = delete;

    bool IsLoaded() const { return loaded; }
    DeckRecord& Deck(int slot) { return *decks[slot]; }
    const DeckRecord& Deck(int slot) const { return *decks[slot]; }
    std::uint8_t ActiveDeck() const { return image[static_cast<std::size_t>(activeLineStart)]; }
    void SetActiveDeck(int slot) { image[static_cast<std::size_t>(activeLineStart)] = static_cast<std::uint8_t>(slot); }
    std::string PlayerName() const;
    int Stock(int index) const { return stock[index]; }
    bool ReturnToStock(int index);
    bool TakeFromStock(int index);

    int NextLineStart(int position) const;
    int ByteAt(int position) const;
    int LineStart(int line) const;

    std::string DeleteDeck(std::uint8_t slot);
    std::string StoreDeck(std::uint8_t slot, std::string code);
    std::string DuplicateDeck(std::uint8_t source, std::uint8_t target);
    bool SwapDecks(std::uint8_t a, std::uint8_t b);

    // Rebuilds the image and replaces ../File/Save.dat with it, through a
    // temporary file so that a failure never leaves a damaged save file.
    // Refused with kTextChangedByGame when the file on disk, looked at again
    // right before it is replaced, is no longer what was loaded or last written.
    std::string Write();
    // Write for a player who agreed to replace whatever the file now holds.
    std::string Overwrite();
    // Copies ../File/Save.dat to ../File/BackUp/Save<YYMMDDhhmm>.dat.
    std::string MakeBackup();

    // The bytes that Write would write now.
    std::vector<std::uint8_t> BuildImage() const;
    // The file's bytes as loaded, or as last written by Write.
    const std::vector<std::uint8_t>& KnownFileBytes() const { return knownFile; }
    // True when Write would write bytes other than those last loaded or written.
    bool HasUnsavedChanges() const;
    // True when the file on disk is no longer what was loaded or last written
    // (a file that has gone counts as changed).
    bool ChangedOnDisk() const;

    // Local time for backup names; tests replace it.
    static std::tm (*localTime)();

private:
    bool KeepsItsLines(const std::vector<std::uint8_t>& out) const;
    std::string WriteFile(bool keepGameChanges);

    std::vector<std::uint8_t> image;
    std::uint8_t stock[600] = {};
    bool loaded = false;
    int stockLineStart = -1;
    int activeLineStart = -1;
    std::unique_ptr<DeckRecord> decks[kDecks + 1];
    std::vector<std::uint8_t> knownFile;
    bool backupTaken = false;
    std::vector<int> loadingLines;  // line starts, while the decks are built
};

// Texts of the save data, shown unchanged to the player.
extern const char kTextCannotOpenSaveData[];
extern const char kTextSwapAcrossKinds[];  // the callers keep normal and training decks apart
extern const char kTextLastDeck[];
extern const char kTextDeleteFailed[];
extern const char kTextCannotOpenSave[];
extern const char kTextNoBackupFolder[];
extern const char kTextBadCodeCharacter[];
extern const char kTextWouldBreakFile[];
extern const char kTextChangedByGame[];
