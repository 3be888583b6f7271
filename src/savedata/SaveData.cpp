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
const char kTextLooksDamaged[] = "セーブデータが壊れているみたいです…。デッキの行がずれているかもしれません。";
const char kTextTooLargeToSave[] =
    "このままセーブするとセーブファイルが大きくなりすぎて、開けなくなっちゃうみたいです。書き込みはやめておきますね。";
const char kTextSomeoneElseSaving[] = "ほかのプログラムがセーブ中みたいです。書き込みはやめておきますね。";
const char kTextBackupNotWritten[] =
    "バックアップを書き込めなかったみたいです…。ディスクの空きと書き込みの権限を見てみてくださいね。";

namespace {

// Positions in the image are ints; no file read is longer than this.
static_assert(kMaxInputFileBytes < INT_MAX / 2, "positions in a save file must fit an int");

// Whether a byte begins a two-byte code page 932 character.
bool IsLeadByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The start of the line after the one starting at p, or -1: lines end with
// CR LF; a lone CR or LF is part of the line.
int NextLineIn(const std::vector<std::uint8_t>& bytes, int p)
{
    if (p < 0 || static_cast<std::size_t>(p) + 1 >= bytes.size()) {
        return -1;
    }
    // Every line start is found from the start of the file, so LF bytes are
    // sought with memchr rather than byte by byte.
    const std::uint8_t* const data = bytes.data();
    const std::size_t size = bytes.size();
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

// How the deck lines of a file that loads are laid out; see IsWhole and
// LooksDamaged.
struct DeckLines {
    bool whole = false;
    bool shifted = false;
};

DeckLines DeckLinesOf(const std::vector<std::uint8_t>& bytes)
{
    int p = 0;
    for (int line = 0; line < SaveData::kStockLine + 2 && p >= 0; ++line) {
        p = NextLineIn(bytes, p);
    }
    const int end = static_cast<int>(bytes.size());
    for (int deck = 0; deck < SaveData::kDecks && p >= 0; ++deck) {
        if (p == end) {
            return {true, false};  // ends after a whole pair, as the game's own files may
        }
        const int cards = NextLineIn(bytes, p);
        const int next = NextLineIn(bytes, cards);
        if (cards < 0 || next - cards != 2 * DeckRecord::kMaxCards + 2) {
            return {false, cards >= 0 && cards < end};
        }
        p = next;
    }
    return {p >= 0, false};
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

bool HasWholeDeckLines(const std::vector<std::uint8_t>& bytes) { return DeckLinesOf(bytes).whole; }
std::chrono::milliseconds SaveData::turnWait{5000};

std::string DefaultDeckNameOf(int slot)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d", slot + 1);
    return std::string("デッキ") + number;
}

std::string WholeCharacters(const std::string& text, std::size_t limit)
{
    std::size_t length = 0;
    for (std::size_t width = 1; length < text.size(); length += width) {
        width = IsLeadByte(text[length]) ? 2 : 1;
        if (length + width > limit || length + width > text.size()) {
            break;
        }
    }
    return text.substr(0, length);
}

// ---------------------------------------------------------------- DeckRecord

std::string encode(const DeckRecord& deck) { return encode(deck.Counts()); }

DeckRecord::DeckRecord(SaveData& owner, int deckNumber, const CardCatalogue& cardList)
    : saveData(&owner), number(static_cast<std::uint8_t>(deckNumber)), catalogue(&cardList)
{
    int p = owner.LineStart(SaveData::kStockLine + 2 * deckNumber);
    const int length = owner.NextLineStart(p) - p - 2;
    if (p < 0 || length < 0) {
        SetName(DefaultDeckNameOf(deckNumber - 1));
        return;
    }
    // The name is taken as the file holds it, but cut as a typed one is;
    // only SetName cleans texts.
    std::string held;
    for (int i = 0; i < length && i <= kNameBytes && owner.ByteAt(p + i) != 0; ++i) {
        held += static_cast<char>(owner.ByteAt(p + i));
    }
    const std::string kept = WholeCharacters(held, kNameBytes);
    kept.copy(name, kept.size());
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
    kept = WholeCharacters(kept, kNameBytes);
    kept.copy(name, kept.size());
    name[kept.size()] = '\0';
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

SaveData::SaveData(const GamePaths& gamePaths)
    : SaveData(gamePaths, gamePaths.SaveFile(), CardCatalogue(gamePaths.CardList()))
{
}

SaveData::SaveData(const GamePaths& gamePaths, const std::string& path)
    : SaveData(gamePaths, path, CardCatalogue(gamePaths.CardList()))
{
}

SaveData::SaveData(const GamePaths& gamePaths, const std::string& path, const CardCatalogue& cards)
    : paths(gamePaths), cardList(cards)
{
    if (!ReadWholeFile(path, knownFile) || !Load(knownFile)) {
        knownFile.clear();
        return;
    }
    loaded = true;
    settledImage = BuildImage();
    const DeckLines lines = DeckLinesOf(knownFile);
    whole = lines.whole;
    damaged = lines.shifted;
}

bool SaveData::ReplaceContents(const std::vector<std::uint8_t>& bytes)
{
    return loaded && Load(bytes);
}

bool SaveData::Load(const std::vector<std::uint8_t>& bytes)
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

int SaveData::NextLineStart(int p) const { return NextLineIn(image, p); }

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

bool SaveData::State::operator==(const State& other) const
{
    return image == other.image && stockLineStart == other.stockLineStart &&
           activeLineStart == other.activeLineStart && tailStart == other.tailStart &&
           std::equal(deckLineStarts, deckLineStarts + kDecks, other.deckLineStarts);
}

SaveData::State SaveData::Snapshot() const
{
    State state;
    state.image = BuildImage();
    state.stockLineStart = stockLineStart;
    state.activeLineStart = activeLineStart;
    // BuildImage's deck lines: the name, CR LF, 80 card bytes, CR LF.
    int p = activeLineStart + 4;
    for (int s = 0; s < kDecks; ++s) {
        state.deckLineStarts[s] = p;
        p += static_cast<int>(decks[s]->Name().size()) + 2 + 2 * DeckRecord::kMaxCards + 2;
    }
    state.tailStart = p;
    return state;
}

void SaveData::Restore(const State& state)
{
    image = state.image;
    stockLineStart = state.stockLineStart;
    activeLineStart = state.activeLineStart;
    for (int i = 0; i < 600; ++i) {
        stock[i] = image[static_cast<std::size_t>(stockLineStart + 2 * i)];
    }
    // The decks find their lines through LineStart: they are given where the
    // state says, whatever bytes the stock line holds.
    loadingLines.assign(kStockLine + 2 * kDecks + 2, -1);
    for (int s = 0; s < kDecks; ++s) {
        const int nameLine = state.deckLineStarts[s];
        loadingLines[static_cast<std::size_t>(kStockLine + 2 * (s + 1))] = nameLine;
        loadingLines[static_cast<std::size_t>(kStockLine + 2 * (s + 1) + 1)] = NextLineStart(nameLine);
    }
    std::unique_ptr<DeckRecord> built[kDecks];
    for (int s = 0; s < kDecks; ++s) {
        built[s] = std::make_unique<DeckRecord>(*this, s + 1, cardList);
    }
    for (int s = 0; s < kDecks; ++s) {
        decks[s] = std::move(built[s]);
    }
    loadingLines.clear();
    tail.assign(image.begin() + state.tailStart, image.end());
}
