#include "savedata/SaveData.h"

#include "deckcode/DazoRozi.h"
#include "fileio/InputFile.h"
#include "savedata/SafeFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <climits>
#include <utility>

const char kTextCannotOpenSaveData[] = "セーブデータが開けないようです…。";
const char kTextLastDeck[] = "最後のデッキみたいです。全部のデッキは消せないですよぉ";
const char kTextDeleteFailed[] = "デッキの消去に失敗しちゃいましたぁ";
const char kTextCannotOpenSave[] = "セーブファイルを開けないです";
const char kTextNoBackupFolder[] = "バックアップフォルダが無いみたいです。\r\n作っておいた方が良いですよ。";
const char kTextWouldBreakFile[] = "このままセーブするとセーブファイルが壊れちゃうみたいです。書き込みはやめておきますね。";
const char kTextChangedByGame[] = "セーブデータがゲームで書き換えられたみたいです。上書きはやめておきますね。";

namespace {

// Positions in the image are ints; no file read is longer than this.
static_assert(kMaxInputFileBytes < INT_MAX / 2, "positions in a save file must fit an int");

// Whether a byte begins a two-byte code page 932 character.
bool IsLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::tm SystemLocalTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

std::tm (*SaveData::localTime)() = &SystemLocalTime;

std::string DefaultDeckNameOf(int slot)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d", slot + 1);
    return std::string("デッキ") + number;
}

// ---------------------------------------------------------------- DeckRecord

std::string encode(const DeckRecord& deck) { return encode(deck.Counts()); }

DeckRecord::DeckRecord(SaveData& owner, int deckNumber, const CardCatalogue& cardList)
    : saveData(&owner), number(static_cast<std::uint8_t>(deckNumber)), catalogue(cardList)
{
    int p = owner.LineStart(SaveData::kStockLine + 2 * deckNumber);
    const int length = owner.NextLineStart(p) - p - 2;
    if (p < 0 || length < 0) {
        SetName(DefaultDeckNameOf(deckNumber - 1));
        return;
    }
    // The name is taken as the file holds it; only SetName cleans texts.
    for (int i = 0; i < length && i < kNameBytes && owner.ByteAt(p + i) != 0; ++i) {
        name[i] = static_cast<char>(owner.ByteAt(p + i));
    }
    p = owner.NextLineStart(p);
    for (int slot = 0; slot < kMaxCards; ++slot) {
        const int low = owner.ByteAt(p);
        const int high = owner.ByteAt(p + 1);
        if (low < 0 || high < 0) {
            break;
        }
        const int card = high * 100 + low;
        if (card >= 1 && card <= 600) {
            ++counts[card - 1];
            ++cardCount;
        }
        p += 2;
    }
}

void DeckRecord::SetName(const std::string& text)
{
    std::string kept;
    for (char c : text) {
        if (c == '\0') {
            break;
        }
        if (c != '\r' && c != '\n') {
            kept += c;
        }
    }
    // Cut after the last whole character: half of a two-byte character would
    // show broken in the game and take the next byte with it.
    std::size_t length = 0;
    for (std::size_t width = 1; length < kept.size(); length += width) {
        width = IsLeadByte(kept[length]) ? 2 : 1;
        if (length + width > kNameBytes || length + width > kept.size()) {
            break;
        }
    }
    kept.copy(name, length);
    name[length] = '\0';
}

int DeckRecord::CreatureCount() const
{
    int total = 0;
    for (int i = 0; i < 600; ++i) {
        total += CardCatalogue::IsMagic(i) ? 0 : counts[i];
    }
    return total;
}

int DeckRecord::MagicCount() const { return cardCount - CreatureCount(); }

bool DeckRecord::ReleaseCards()
{
    for (int i = 0; i < 600 && cardCount > 0; ++i) {
        while (counts[i] > 0) {
            if (!IsTrainingDeck() && !saveData->ReturnToStock(i)) {
                break;
            }
            --counts[i];
            --cardCount;
        }
    }
    return cardCount == 0;
}

void DeckRecord::AppendLines(std::vector<std::uint8_t>& out) const
{
    out.insert(out.end(), name, name + std::strlen(name));
    out.push_back('\r');
    out.push_back('\n');
    // Stops at the deck's last card: most decks hold few cards or none.
    for (int n = 1, placed = 0; n <= 600 && placed < cardCount; ++n) {
        for (int copy = 0; copy < counts[n - 1]; ++copy, ++placed) {
            out.push_back(static_cast<std::uint8_t>(n % 100));
            out.push_back(static_cast<std::uint8_t>(n / 100));
        }
    }
    out.insert(out.end(), static_cast<std::size_t>(2 * (kMaxCards - cardCount)), 0);
    out.push_back('\r');
    out.push_back('\n');
}

// ------------------------------------------------------------------ SaveData

SaveData::SaveData(const GamePaths& gamePaths) : SaveData(gamePaths, gamePaths.SaveFile()) {}

SaveData::SaveData(const GamePaths& gamePaths, const std::string& path) : paths(gamePaths)
{
    if (!ReadWholeFile(path, knownFile) || !Load(knownFile, CardCatalogue::Shared(paths.CardList()))) {
        knownFile.clear();
        return;
    }
    loaded = true;
    settledImage = BuildImage();
}

bool SaveData::ReplaceContents(const std::vector<std::uint8_t>& bytes)
{
    return loaded && Load(bytes, decks[0]->Catalogue());
}

bool SaveData::Load(const std::vector<std::uint8_t>& bytes, const CardCatalogue& cardList)
{
    if (bytes.size() > kMaxInputFileBytes) {
        return false;
    }
    std::vector<std::uint8_t> previous = std::move(image);
    image = bytes;
    const int stockStart = LineStart(kStockLine);
    const int activeStart = NextLineStart(stockStart);
    // The stock and the active deck must lie inside their own lines; anything
    // else is not a save file this program can write back safely.
    if (stockStart < 0 || activeStart - stockStart - 2 < 1200 || NextLineStart(activeStart) != activeStart + 4) {
        image = std::move(previous);
        return false;
    }
    stockLineStart = stockStart;
    activeLineStart = activeStart;
    for (int i = 0; i < 600; ++i) {
        stock[i] = image[static_cast<std::size_t>(stockLineStart + 2 * i)];
    }
    // Every deck looks for its lines from the start of the file; one pass
    // finds them all.
    for (int p = 0; p >= 0 && loadingLines.size() <= kStockLine + 2 * kDecks + 2; p = NextLineStart(p)) {
        loadingLines.push_back(p);
    }
    // The card list may be a deck's own, so the old decks go only after the
    // new ones are built.
    std::unique_ptr<DeckRecord> built[kDecks];
    for (int s = 0; s < kDecks; ++s) {
        built[s] = std::make_unique<DeckRecord>(*this, s + 1, cardList);
    }
    for (int s = 0; s < kDecks; ++s) {
        decks[s] = std::move(built[s]);
    }
    // Lines after the last deck's are the game's: they go back unchanged.
    const int tailStart = LineStart(kStockLine + 2 * kDecks + 2);
    tail.assign(image.begin() + (tailStart < 0 ? static_cast<std::ptrdiff_t>(image.size()) : tailStart), image.end());
    loadingLines.clear();
    return true;
}

SaveData::~SaveData() = default;

int SaveData::NextLineStart(int p) const
{
    if (p < 0 || static_cast<std::size_t>(p) + 1 >= image.size()) {
        return -1;
    }
    // Every line start is found from the start of the file, so LF bytes are
    // sought with memchr rather than byte by byte.
    const std::uint8_t* const data = image.data();
    const std::size_t size = image.size();
    for (std::size_t q = static_cast<std::size_t>(p) + 1; q < size; ++q) {
        const void* lf = std::memchr(data + q, '\n', size - q);
        if (lf == nullptr) {
            return -1;
        }
        q = static_cast<std::size_t>(static_cast<const std::uint8_t*>(lf) - data);
        if (data[q - 1] == '\r') {
            return static_cast<int>(q + 1);
        }
    }
    return -1;
}

int SaveData::ByteAt(int p) const
{
    if (p < 0 || static_cast<std::size_t>(p) >= image.size()) {
        return -1;
    }
    return image[static_cast<std::size_t>(p)];
}

int SaveData::LineStart(int line) const
{
    int i = 0;
    int p = 0;
    if (!loadingLines.empty() && line > 0) {
        i = std::min(line, static_cast<int>(loadingLines.size()) - 1);
        p = loadingLines[static_cast<std::size_t>(i)];
    }
    for (; i < line && p >= 0; ++i) {
        p = NextLineStart(p);
    }
    return p;
}

std::string SaveData::PlayerName() const
{
    const int p = LineStart(11);
    int length = NextLineStart(p) - p - 2;
    if (p < 0 || length <= 0) {
        return std::string();
    }
    length = std::min(length, DeckRecord::kNameBytes);
    std::string result;
    for (int i = 0; i < length && image[static_cast<std::size_t>(p + i)] != 0; ++i) {
        result += static_cast<char>(image[static_cast<std::size_t>(p + i)]);
    }
    return result;
}

bool SaveData::ReturnToStock(int index)
{
    if (stock[index] >= 99) {
        return false;
    }
    ++stock[index];
    return true;
}

bool SaveData::TakeFromStock(int index)
{
    if (stock[index] == 0) {
        return false;
    }
    --stock[index];
    return true;
}

std::string SaveData::DeleteDeck(std::uint8_t k)
{
    const int active = ActiveDeck();
    int replacement = active;
    if (active == k) {
        for (int i = 0; i < kDecks; ++i) {
            if (i != k && decks[i]->IsComplete()) {
                replacement = i;
            }
        }
    }
    if (replacement == k) {
        return kTextLastDeck;
    }
    SetActiveDeck(replacement);
    return decks[k]->ReleaseCards() ? std::string() : std::string(kTextDeleteFailed);
}

void SaveData::SwapSlots(std::uint8_t a, std::uint8_t b)
{
    decks[kDecks] = std::move(decks[a]);
    decks[a] = std::move(decks[b]);
    decks[b] = std::move(decks[kDecks]);
    if (ActiveDeck() == a) {
        SetActiveDeck(b);
    } else if (ActiveDeck() == b) {
        SetActiveDeck(a);
    }
}

std::vector<std::uint8_t> SaveData::BuildImage() const
{
    const std::size_t kept = static_cast<std::size_t>(activeLineStart) + 4;
    std::vector<std::uint8_t> out;
    // Room for the longest deck lines, so that the image is never moved.
    out.reserve(kept + kDecks * (DeckRecord::kNameBytes + 2 * DeckRecord::kMaxCards + 4) + tail.size());
    out.assign(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(kept));
    for (int i = 0; i < 600; ++i) {
        out[static_cast<std::size_t>(stockLineStart + 2 * i)] = stock[i];
    }
    for (int s = 0; s < kDecks; ++s) {
        decks[s]->AppendLines(out);
    }
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

bool SaveData::KeepsItsLines(const std::vector<std::uint8_t>& out) const
{
    // A stock count or the active slot written next to a byte the game keeps
    // can spell CR LF, which would end the line early and shift every later
    // line: the file would no longer load.
    for (int p = stockLineStart; p < activeLineStart + 2; ++p) {
        if (p != activeLineStart - 2 && out[static_cast<std::size_t>(p)] == '\r' &&
            out[static_cast<std::size_t>(p + 1)] == '\n') {
            return false;
        }
    }
    return true;
}

std::string SaveData::Write() { return WriteFile(true); }

std::string SaveData::Overwrite() { return WriteFile(false); }

std::string SaveData::WriteFile(bool keepGameChanges)
{
    image = BuildImage();
    if (!KeepsItsLines(image)) {
        return kTextWouldBreakFile;
    }
    ReplaceOptions options;
    options.expected = keepGameChanges ? &knownFile : nullptr;
    options.takeTurns = true;
    // A save file that can only be rewritten in place is damaged if that
    // breaks off; it is done only once a copy of it exists.
    std::string backupProblem;
    options.mayWriteInPlace = [this, &backupProblem] {
        backupProblem = backupTaken ? std::string() : MakeBackup();
        return backupProblem.empty();
    };
    switch (ReplaceFile(paths.SaveFile(), image, options)) {
    case ReplaceResult::Done:
        knownFile = image;
        settledImage = image;
        return std::string();
    case ReplaceResult::Changed:
        return kTextChangedByGame;
    case ReplaceResult::Damaged:
        // What is there now is our own doing, not the game's: a retry may
        // write over it. The backup holds the file as it was.
        ReadWholeFile(paths.SaveFile(), knownFile);
        break;
    case ReplaceResult::Failed:
        break;
    }
    return backupProblem.empty() ? std::string(kTextCannotOpenSave) : backupProblem;
}

std::string SaveData::MakeBackup()
{
    const std::tm now = localTime();
    char minute[32];
    std::snprintf(minute, sizeof minute, "%02d%02d%02d%02d%02d", (now.tm_year + 1900) % 100, now.tm_mon + 1,
                  now.tm_mday, now.tm_hour, now.tm_min);
    char second[8];
    std::snprintf(second, sizeof second, "%02d", now.tm_sec);
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(paths.SaveFile(), bytes)) {
        return kTextCannotOpenSave;
    }
    // A copy from earlier in the same minute (another start, another command
    // line) may be the only one of the file before it was changed: it is
    // never replaced. The next free name still sorts by time.
    for (int n = 0; n < 1000; ++n) {
        std::string name = paths.BackupFolder() + "/Save" + minute;
        if (n > 0) {
            name += second;
        }
        if (n > 1) {
            name += "_" + std::to_string(n);
        }
        switch (CreateNewFile(name + ".dat", bytes)) {
        case NewFileResult::Created:
        case NewFileResult::Identical:
            backupTaken = true;
            return std::string();
        case NewFileResult::Taken:
            break;
        case NewFileResult::Failed:
            return kTextNoBackupFolder;
        }
    }
    return kTextNoBackupFolder;
}

bool SaveData::HasUnsavedChanges() const { return loaded && BuildImage() != settledImage; }

bool SaveData::ChangedOnDisk() const
{
    std::vector<std::uint8_t> onDisk;
    return !ReadWholeFile(paths.SaveFile(), onDisk) || onDisk != knownFile;
}
