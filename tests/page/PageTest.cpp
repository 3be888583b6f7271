// The deck page data/deckmaker.htm on Qt WebEngine (offscreen), beside an
// invented list.xml: codes load as the core reads them, and every status text
// the page sets is the core's code of the deck shown.
#include "collection/Collection.h"
#include "deckcode/DazoRozi.h"
#include "rules/DeckRules.h"
#include "support/Workspace.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace {

using Counts = std::array<std::uint8_t, 600>;

// A code handed to the page, the deck the core makes of it and the core's code of that deck.
struct Vector { std::string code; Counts counts; std::string result; };

// Random decks; the first two are the edges: a full deck, both ends of the table.
std::vector<Vector> RandomDecks()
{
    std::mt19937 random(20240601);
    std::vector<Vector> decks;
    for (int d = 0; d < 40; ++d) {
        Counts counts{};
        const int wanted = d == 0 ? 40 : d == 1 ? 0 : static_cast<int>(random() % 41);
        counts[0] = counts[599] = d == 1 ? 3 : 0;
        for (int total = 0; total < wanted;) {
            std::uint8_t& count = counts[random() % 600];
            const int add = std::min({static_cast<int>(1 + random() % 3), 3 - count, wanted - total});
            count += add;
            total += add;
        }
        decks.push_back({encode(counts.data()), counts, encode(counts.data())});
    }
    return decks;
}

// Odd codes (disorder, repeats, bad characters, past the last card, over 40
// cards, unpaired ends), each added by the core to an empty normal deck with
// copies to spare.
std::vector<Vector> OddCodes(GameFolder& game)
{
    std::fill(std::begin(game.saveFile.stock), std::end(game.saveFile.stock), 50);
    game.saveFile.active = 1;  // so that deck 1 may be emptied
    SaveData& data = game.Load();
    std::vector<Vector> vectors;
    for (const char* code : {"", "0", "X00", "0t1", "000t", "0t100", "000020100", "0!!00", "00!0a", "0t2zz000",
                             "0 00-101", "0020508", "00205080b0e0h0k0n0q0t0w0z0C0F", "0ZZZZZZ", "00"}) {
        data.DeleteDeck(0);
        AddFromCode(data, 0, code);
        Counts counts;
        std::copy_n(data.Deck(0).Counts(), counts.size(), counts.begin());
        vectors.push_back({code, counts, encode(counts.data())});
    }
    return vectors;
}

// The deck as the page should list it ("index:copies×copies"), then its total, creature and magic counts.
std::string ShownOf(const Counts& counts)
{
    std::string text;
    int total = 0;
    int magic = 0;
    for (int i = 0; i < 600; ++i) {
        if (counts[i] != 0) {
            const std::string copies = std::to_string(counts[i]);
            text += std::to_string(i) + ":" + copies + u8"×" + copies + " ";
            total += counts[i];
            magic += i % 150 >= 100 ? counts[i] : 0;
        }
    }
    return text + std::to_string(total) + " " + std::to_string(total - magic) + " " + std::to_string(magic);
}

// What the editor may take for a deck: the core's own code of at most 40 cards.
bool IsDeckCode(const std::string& text)
{
    Counts counts{};
    int total = 0;
    for (DecodedCode decoded = decode(text); decoded.current_count() > 0; decoded.advance()) {
        counts[decoded.current_card()] = decoded.current_count();
        total += decoded.current_count();
    }
    return total <= 40 && encode(counts.data()) == text;
}

// Records every window.status text, before the page's own scripts run.
const char kStatusRecorder[] = "var statuses = [];\n"
                               "Object.defineProperty(window, 'status', {configurable: true,\n"
                               "  get: function () { return statuses.length ? statuses[statuses.length - 1] : ''; },\n"
                               "  set: function (value) { statuses.push(String(value)); }});\n";

const char kFullDeck[] = u8"デッキは40枚までです。先にほかのカードを外してください";

// Keeps the page's script errors; uncaught exceptions arrive here as errors too.
struct Page : QWebEnginePage {
    QStringList errors;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& text, int line,
                                  const QString&) override
    {
        if (level == ErrorMessageLevel) {
            errors << QStringLiteral("%1 (line %2)").arg(text).arg(line);
        }
    }
};

class DeckPage : public testing::Test {
protected:
    GameFolder game;
    Page page;
    QWebEngineView view;

    void SetUp() override
    {
        std::string list = SimpleCardList();
        const std::string first = "<name>Card1<";
        list.replace(list.find(first), first.size(), "<name>はじまりの竜<");
        game.ws.Put("list.xml", list);
        game.ws.Put("deckmaker.htm", ReadFileBytes(DECK_PAGE));
        QWebEngineScript recorder;
        recorder.setInjectionPoint(QWebEngineScript::DocumentCreation);
        recorder.setWorldId(QWebEngineScript::MainWorld);
        recorder.setSourceCode(kStatusRecorder);
        page.scripts().insert(recorder);
        view.setPage(&page);
        view.resize(600, 900);
        view.show();
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        page.load(QUrl::fromLocalFile(QString::fromStdString(game.ws.WorkDir() + "/deckmaker.htm")));
        ASSERT_TRUE(loaded.wait(kWaitMs));
        // The names arrive from list.xml after the page has loaded.
        ASSERT_TRUE(QTest::qWaitFor([&] { return Text("#card-list li[data-no=\"2\"] .name") == "Card2"; }, kWaitMs));
    }

    void TearDown() override
    {
        EXPECT_EQ(page.errors.join('\n').toStdString(), "");
        for (const QVariant& status : Js("statuses").toList()) {
            EXPECT_TRUE(IsDeckCode(status.toString().toStdString())) << status.toString().toStdString();
        }
    }

    QVariant Js(const QString& script)
    {
        QVariant result;
        QEventLoop loop;
        page.runJavaScript(script, [&](const QVariant& value) { result = value; loop.quit(); });
        loop.exec();
        return result;
    }
    std::string Str(const QString& script) { return Js(script).toString().toStdString(); }
    std::string Text(const QString& selector) { return Str("document.querySelector('" + selector + "').textContent"); }
    // The text, or "-" while the element is hidden.
    std::string Shown(const QString& selector)
    {
        return Str("(e => e.hidden ? '-' : e.textContent)(document.querySelector('" + selector + "'))");
    }
    std::string Status() { return Str("window.status"); }
    int StatusCount() { return Js("statuses.length").toInt(); }
    std::string Shown()
    {
        return Str("[...document.querySelectorAll('#deck-list li')].map(li => li.dataset.index + ':' +"
                   "  li.dataset.count + li.querySelector('.copies').textContent).concat(['total-count',"
                   "  'creature-count', 'magic-count'].map(id => document.getElementById(id).textContent)).join(' ')");
    }
    void Load(const std::string& code) { Js(QString::fromStdString("demaid(deck, '" + code + "')")); }
    // What the editor tells the page about deck `slot` of the save file as built so far.
    void Tell(int slot) { Js(QString::fromStdString("deckstock(" + CollectionJson(game.Load(), slot) + ")")); }
    // A card row's marks of the player's cards as shown ("-" for a hidden one), its + and its label.
    std::string Marks(const char* list, int number)
    {
        const QString row = Row(list, number);
        return Str("[..." + row + ".querySelectorAll('.usable, .elsewhere, .lack')].map(e => e.hidden ? '-' :"
                   " e.textContent).concat([" + row + ".querySelector('.plus').disabled ? '+off' : '+on', "
                   + row + ".getAttribute('aria-label')]).join('|')");
    }
    void Key(const char* list, int number, const char* key)
    {
        Js(Row(list, number) + ".focus(); document.activeElement.dispatchEvent(new KeyboardEvent('keydown', "
                               "{key: '" + key + "', bubbles: true, cancelable: true}))");
    }
    // A card's row in "card-list" or "deck-list" by its number.
    static QString Row(const char* list, int number)
    {
        return QStringLiteral("document.querySelector('#%1 li[data-no=\"%2\"]')").arg(list).arg(number);
    }
    void Click(const char* list, int number, const char* button)
    {
        Js(Row(list, number) + ".querySelector('." + button + "').click()");
    }

    static constexpr int kWaitMs = 30000;  // the engine starts its helper processes first
};

TEST_F(DeckPage, CodesLoadAsTheCoreReadsThemAndThePageReportsTheCoresCode)
{
    std::vector<Vector> vectors = OddCodes(game), decks = RandomDecks();
    vectors.insert(vectors.end(), decks.begin(), decks.end());
    for (const Vector& v : vectors) {
        const int before = StatusCount();
        Load(v.code);
        EXPECT_EQ(StatusCount(), before + 1) << v.code;
        EXPECT_EQ(Status(), v.result) << v.code;
        EXPECT_EQ(Shown(), ShownOf(v.counts)) << v.code;
    }
}

// Clicking builds the deck the core's code names.
TEST_F(DeckPage, ACardTakesAtMost3CopiesAndADeckAtMost40CardsAndThePageSaysWhy)
{
    Load("002");
    Click("card-list", 1, "plus");
    EXPECT_EQ(Text("#message"), u8"「はじまりの竜」はもう3枚入っています（同じカードは3枚まで）");
    EXPECT_EQ(StatusCount(), 1);

    // 40 cards: 3 copies of cards 1-13 and one of card 14.
    Counts counts{3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 1};
    const std::string full = encode(counts.data());
    Load(full);
    // '+' on the focused row of a card not in the deck.
    Key("card-list", 20, "+");
    EXPECT_EQ(Text("#message"), kFullDeck);
    Click("deck-list", 14, "plus");
    EXPECT_EQ(Text("#message"), kFullDeck);
    EXPECT_EQ(Status(), full);
    EXPECT_EQ(StatusCount(), 2);

    // Removing one makes room again, for the table's last card too.
    Click("deck-list", 14, "minus");
    Click("card-list", 600, "plus");
    counts[13] = 0;
    counts[599] = 1;
    EXPECT_EQ(Shown(), ShownOf(counts));
    EXPECT_EQ(Status(), encode(counts.data()));
}

// The editor's ok button stands some 500-590 px from the page's left edge at
// its top (wherever the window is widened to), over the page's corner.
TEST_F(DeckPage, TheTitleRowKeepsClearOfTheEditorsOkButton)
{
    Load("0t1");
    for (const int width : {610, 625, 900}) {
        view.resize(width, 750);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Js("innerWidth").toInt() == width; }, kWaitMs));
        const double right = Js("Math.max(...[...document.querySelectorAll('.title-row > *, .totals > *')]"
                                ".map(e => e.getBoundingClientRect().right))")
                                 .toDouble();
        EXPECT_LE(right, std::min(500, width - 120)) << "at width " << width;
    }
}

// Normal deck 7: card 1 (はじまりの竜) has one spare copy, card 2 none but two
// in other decks, card 3 two in this deck and one spare, card 4 five in this
// deck (more than a code carries), magic card 101 two spares.
class DeckPageWithCollection : public DeckPage {
protected:
    void SetUp() override
    {
        DeckPage::SetUp();
        SaveFileBuilder& save = game.saveFile;
        std::fill(std::begin(save.stock), std::end(save.stock), 0);
        save.stock[0] = save.stock[2] = 1;
        save.stock[100] = 2;
        save.Add(0, 2);
        save.Add(49, 2);
        save.Add(6, 3, 2);
        save.Add(6, 4, 5);
    }
};

TEST_F(DeckPageWithCollection, RowsShowTheUsableCopiesAndPlusStopsAtThemAndTheFilterKeepsTheUsableCards)
{
    Tell(6);
    Load(encode(game.data->Deck(6).Counts()));
    EXPECT_EQ(Text("#deck-heading"), u8"デッキ 7");
    for (const auto& [number, marks] : std::vector<std::pair<int, std::string>>{
             {1, u8"使える 1|-|-|+on|No.1 はじまりの竜 クリーチャー デッキに0枚 使えるのは1枚"},
             {2, u8"使える 0|他デッキ 2|-|+off|No.2 Card2 クリーチャー デッキに0枚 使えるのは0枚 ほかのデッキに2枚"},
             {3, u8"使える 3|-|-|+on|No.3 Card3 クリーチャー デッキに2枚 使えるのは3枚"},
             {4, u8"使える 3|-|-|+off|No.4 Card4 クリーチャー デッキに3枚 使えるのは3枚"},
             {101, u8"使える 2|-|-|+on|No.101 Card101 マジック デッキに0枚 使えるのは2枚"}}) {
        EXPECT_EQ(Marks("card-list", number), marks) << number;
    }
    EXPECT_EQ(Marks("deck-list", 4), Marks("card-list", 4));
    EXPECT_EQ(StatusCount(), 1);  // telling the page is no deck

    // The last usable copy greys + out; the keys are refused with the reason.
    Click("card-list", 1, "plus");
    EXPECT_EQ(Marks("card-list", 1), u8"使える 1|-|-|+off|No.1 はじまりの竜 クリーチャー デッキに1枚 使えるのは1枚");
    Key("card-list", 1, "+");
    EXPECT_EQ(Text("#message"), u8"「はじまりの竜」は使える1枚がもう全部入っています");
    Key("card-list", 2, "+");
    EXPECT_EQ(Text("#message"), u8"「Card2」は手持ちがありません（ほかのデッキに2枚）");
    EXPECT_EQ(StatusCount(), 2);
    EXPECT_EQ(Shown("#shortage"), "-");

    const auto shown = [this] {
        return Str("[...document.querySelectorAll('#card-list li:not([hidden])')].map(li => li.dataset.no).join(' ')"
                   " + ' ' + document.getElementById('match-count').textContent");
    };
    Js("document.getElementById('usable-only').click()");
    EXPECT_EQ(shown(), u8"1 3 4 101 4 / 600枚");
    Js("document.querySelector('input[value=magic]').click()");
    EXPECT_EQ(shown(), u8"101 1 / 600枚");
}

TEST_F(DeckPageWithCollection, APastedCodeNeedingMissingCopiesLoadsWithThemMarkedAndCounted)
{
    Tell(6);
    const std::string code = CodeOf({{1, 3}, {2, 1}, {101, 2}});
    Js(QString::fromStdString("document.getElementById('code-box').value = ' " + code + " ';"
                              "document.getElementById('code-load').click()"));
    EXPECT_EQ(Status(), code);
    EXPECT_EQ(Marks("deck-list", 1),
              u8"使える 1|-|2枚不足|+off|No.1 はじまりの竜 クリーチャー デッキに3枚 使えるのは1枚 2枚足りません");
    EXPECT_EQ(Marks("deck-list", 2), u8"使える 0|他デッキ 2|1枚不足|+off|No.2 Card2 クリーチャー デッキに1枚 使えるのは0枚"
                                     u8" ほかのデッキに2枚 1枚足りません");
    EXPECT_EQ(Marks("deck-list", 101), u8"使える 2|-|-|+off|No.101 Card101 マジック デッキに2枚 使えるのは2枚");
    EXPECT_EQ(Text("#message"), u8"デッキを読み込みました（6枚）。手持ちが3枚足りません");
    EXPECT_EQ(Shown("#shortage"), u8"手持ちが3枚足りません。このままOKすると、足りない分は入りません");
    Click("deck-list", 1, "minus");
    EXPECT_EQ(Shown("#shortage"), u8"手持ちが2枚足りません。このままOKすると、足りない分は入りません");
}

TEST_F(DeckPageWithCollection, ATrainingDeckMarksTheCardsTrainingRefusesAndKeepsThemOut)
{
    Tell(50);
    Load(CodeOf({{98, 2}, {97, 1}}));
    EXPECT_EQ(Text("#deck-heading"), u8"訓練デッキ 51");
    EXPECT_EQ(Marks("card-list", 97), u8"-|-|-|+on|No.97 Card97 クリーチャー デッキに1枚");
    EXPECT_EQ(Marks("deck-list", 98), u8"訓練不可|-|2枚入りません|+off|No.98 Card98 クリーチャー デッキに2枚"
                                      u8" 訓練デッキには入れられません 2枚入りません");
    EXPECT_EQ(Shown("#shortage"), u8"訓練デッキに入れられないカードが2枚あります。このままOKすると、その分は入りません");
    EXPECT_EQ(Text("#message"), u8"デッキを読み込みました（3枚）。訓練デッキに入れられないカードが2枚あります");
    Key("card-list", 588, "+");
    EXPECT_EQ(Text("#message"), u8"「Card588」は訓練デッキには入れられません");
    EXPECT_EQ(StatusCount(), 1);
}

// A page told nothing, or told null after a deck, looks and reads as it always did.
TEST_F(DeckPageWithCollection, WithoutACollectionThePageIsAsBefore)
{
    const QString look = "document.body.innerText + [...document.querySelectorAll('[aria-label]')]"
                         ".map(e => e.getAttribute('aria-label')).join('|') + "
                         "[...document.querySelectorAll('button')].map(b => b.disabled).join()";
    const std::string code = CodeOf({{1, 3}, {2, 3}});
    Load(code);
    const std::string before = Str(look);
    Tell(6);
    Load(code);
    EXPECT_NE(Str(look), before);
    Js("document.getElementById('usable-only').click(); deckstock(null)");
    Load(code);
    EXPECT_EQ(Str(look), before);
    EXPECT_EQ(Js("document.querySelectorAll('#card-list li:not([hidden])').length").toInt(), 600);
}

}  // namespace
