#pragma once
// The game's save file held in memory: the card stock, the game's active deck
// and 53 decks. Everything else in the file is carried through byte for byte.
#include "catalogue/CardCatalogue.h"
#include "gamepaths/GamePaths.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class SaveData;

// Slots 0-49 hold normal decks, whose cards come out of the stock; slots 50-52
// hold training decks.
constexpr int kNormalDecks = 50;
inline bool IsTrainingSlot(int slot) { return slot >= kNormalDecks; }

// "デッキ" followed by slot + 1 in at least two digits.
std::string DefaultDeckNameOf(int slot);

// The text cut after the last whole code page 932 character that fits in
// limit bytes. Names are cut this way, whether typed or read from the file:
// half of a two-byte character would show broken in the game and take the
// next byte with it.
std::string WholeCharacters(const std::string& text, std::size_t limit);

class DeckRecord {
public:
    static constexpr int kMaxCards = 40;
    static constexpr int kNameBytes = 37;

    // `cardList` is the save data's card list, which every deck refers to.
    DeckRecord(SaveData& owner, int number, const CardCatalogue& cardList);

    std::string Name() const { return name; }
    // Keeps at most the first 37 bytes, cut by WholeCharacters; CR and LF
    // bytes are dropped so that a name can never break the file's lines.
    void SetName(const std::string& text);
    bool IsComplete() const { return cardCount == kMaxCards; }
    int CardCount() const { return cardCount; }
    int Number() const { return number; }
    bool IsTrainingDeck() const { return number > kNormalDecks; }
    const std::uint8_t* Counts() const { return counts; }
    // The card list this deck names its cards by.
    const CardCatalogue& Catalogue() const { return *catalogue; }
    int CreatureCount() const;
    int MagicCount() const;

    // Empties the deck into the stock; true when it ended up empty.
    bool ReleaseCards();
    // Puts one more copy of a card into the deck; where it comes from is the
    // caller's rule (the stock for a normal deck).
    void AddCopy(int index)
    {
        ++counts[index];
        ++cardCount;
    }
    // Appends the name line and the 80-byte card line, each ended by CR LF.
    void AppendLines(std::vector<std::uint8_t>& image) const;

private:
    SaveData* saveData;
    std::uint8_t cardCount = 0;
    char name[kNameBytes + 1] = {};
    std::uint8_t number;
    const CardCatalogue* catalogue;
    std::uint8_t counts[600] = {};
};

class SaveData {
public:
    static constexpr int kDecks = 53;
    static constexpr int kStockLine = 28;

    // Loads the save file of `paths`, its decks named by its card list, read
    // here; see IsLoaded.
    explicit SaveData(const GamePaths& paths);
    // Loads another file of the same layout (a backup, say) to read from, its
    // decks named by the card list of `paths`, or by `cardList` (a handle on
    // a table already read); see IsLoaded. Write still goes to the save file
    // of `paths`.
    SaveData(const GamePaths& paths, const std::string& path);
    SaveData(const GamePaths& paths, const std::string& path, const CardCatalogue& cardList);
    ~SaveData();
    SaveData(const SaveData&) = delete;
    SaveData& operator=(const SaveData&) = delete;

    bool IsLoaded() const { return loaded; }
    // Loaded, and every deck line as the editor writes them: after the
    // active deck's line, pairs of a name line and a card line of exactly 80
    // bytes, each ended by CR LF, up to deck 53 (then anything) or up to the
    // end of the file after a whole pair. Only such a backup is restored
    // from: anything else may be a cut or shifted file.
    bool IsWhole() const { return whole; }
    // A card line of the file, as loaded or last written, is there but is
    // not 80 bytes: the lines were shifted, and the decks shown may not be
    // the game's. The file still loads, by the same tolerance as a file that
    // ends early, but SAVE should not write it over unasked.
    bool LooksDamaged() const { return damaged; }
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

    // Empties a deck into the stock, first moving the game's active deck to
    // another complete deck if it was this one.
    std::string DeleteDeck(std::uint8_t slot);
    // Exchanges two slots' decks; the active deck follows its deck.
    void SwapSlots(std::uint8_t a, std::uint8_t b);

    // Rebuilds the image and replaces the save file with it, through a
    // temporary file so that a failure never leaves a damaged save file.
    // Refused with kTextChangedByGame when the file on disk, looked at again
    // right before it is replaced, is no longer what was loaded or last written.
    std::string Write();
    // Write for a player who agreed to replace whatever the file now holds.
    std::string Overwrite();
    // How long Write and Overwrite wait for another program's turn to write
    // the file before they give up with kTextSomeoneElseSaving; tests shorten it.
    static std::chrono::milliseconds turnWait;
    // Called between looks while Write or Overwrite waits for its turn (about
    // every 50 ms): the window keeps painting.
    std::function<void()> whileWaitingForTurn;
    // Copies the save file to <backup folder>/Save<YYMMDDhhmm>.dat. Where
    // that name holds other bytes, Save<YYMMDDhhmmss>.dat, then
    // Save<YYMMDDhhmmss>_<n>.dat for n = 2, 3, ...; a name that already holds
    // these bytes, or the newest backup holding them, is taken as the copy.
    // Nothing is ever replaced. The copy's mode is the save file's, less the
    // umask.
    std::string MakeBackup();

    // The bytes that Write would write now.
    std::vector<std::uint8_t> BuildImage() const;
    // Takes bytes of the save file's layout (from BuildImage, or a backup's)
    // as the data in memory, as a load would, keeping the card list and what
    // the file on disk is known to hold. False, with nothing changed, when
    // they do not fit the layout.
    bool ReplaceContents(const std::vector<std::uint8_t>& bytes);
    // The data in memory as a value: the undo history keeps these. Restore
    // takes one back without reading its bytes as a file again, so a state
    // that Write would refuse (a stock count that spells CR LF) comes back as
    // surely as any other.
    struct State {
        std::vector<std::uint8_t> image;  // as BuildImage gives it
        int stockLineStart = -1;
        int activeLineStart = -1;
        int deckLineStarts[kDecks] = {};  // each deck's name line in the image
        int tailStart = -1;
        bool operator==(const State& other) const;
        bool operator!=(const State& other) const { return !(*this == other); }
    };
    State Snapshot() const;
    // Takes back a state of this data (from Snapshot), keeping the card list
    // and what the file on disk is known to hold.
    void Restore(const State& state);
    // The file's bytes as loaded, or as last written by Write.
    const std::vector<std::uint8_t>& KnownFileBytes() const { return knownFile; }
    // True when Write would now write other bytes than it would have written
    // right after loading or after the last write. Comparing with the raw file
    // instead would flag every file whose layout is not our own (cards out of
    // order, long names) as changed.
    bool HasUnsavedChanges() const;
    // True when the file on disk is no longer what was loaded or last written
    // (a file that has gone counts as changed).
    bool ChangedOnDisk() const;

    // Local time for backup names; tests replace it.
    static std::tm (*localTime)();

    const GamePaths& Paths() const { return paths; }
    // The card list every deck names its cards by.
    const CardCatalogue& Catalogue() const { return cardList; }

private:
    bool Load(const std::vector<std::uint8_t>& bytes);
    bool KeepsItsLines(const std::vector<std::uint8_t>& out) const;
    std::string WriteFile(bool keepGameChanges);

    GamePaths paths;
    // Declared before the decks, which refer to it.
    const CardCatalogue cardList;
    std::vector<std::uint8_t> image;
    std::uint8_t stock[600] = {};
    bool loaded = false;
    int stockLineStart = -1;
    int activeLineStart = -1;
    std::unique_ptr<DeckRecord> decks[kDecks + 1];
    std::vector<std::uint8_t> knownFile;
    // The lines after the last deck's, as loaded.
    std::vector<std::uint8_t> tail;
    // What Write would have written right after loading or the last write.
    std::vector<std::uint8_t> settledImage;
    bool backupTaken = false;
    bool whole = false;
    bool damaged = false;
    std::vector<int> loadingLines;  // line starts, while the decks are built
};

// Whether bytes that load hold every deck line as IsWhole says.
bool HasWholeDeckLines(const std::vector<std::uint8_t>& bytes);

// The deck's DAZO Rozi.
std::string encode(const DeckRecord& deck);

// Texts of the save data, shown unchanged to the player.
extern const char kTextCannotOpenSaveData[];
extern const char kTextLastDeck[];
extern const char kTextDeleteFailed[];
extern const char kTextCannotOpenSave[];
extern const char kTextNoBackupFolder[];
extern const char kTextWouldBreakFile[];
extern const char kTextChangedByGame[];
extern const char kTextLooksDamaged[];
extern const char kTextTooLargeToSave[];
extern const char kTextSomeoneElseSaving[];
extern const char kTextBackupNotWritten[];
