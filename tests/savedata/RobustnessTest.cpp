// Damaged save files and card lists: whatever loads must survive every command.
#include "maidcode/DazoRozi.h"
#include "savedata/SaveData.h"

#include "support/SaveFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Damage(std::string text, std::mt19937& random)
{
    auto at = [&](std::size_t size) { return size == 0 ? 0 : random() % size; };
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
        switch (random() % 6) {
        case 0:  // truncated
            text.resize(at(text.size() + 1));
            break;
        case 1: {  // a line break cut out
            const std::size_t p = text.find("\r\n", at(text.size()));
            if (p != std::string::npos) {
                text.erase(p, 2);
            }
            break;
        }
        case 2:  // stray CR or LF
            text.insert(at(text.size() + 1), 1, random() % 2 ? '\r' : '\n');
            break;
        case 3:  // a stray CR LF
            text.insert(at(text.size() + 1), "\r\n");
            break;
        case 4:  // random bytes overwritten
            for (int n = 0; n < 8 && !text.empty(); ++n) {
                text[at(text.size())] = static_cast<char>(random());
            }
            break;
        default: {  // a run of random bytes
            std::string junk(random() % 64, '\0');
            for (char& c : junk) {
                c = static_cast<char>(random());
            }
            text.insert(at(text.size() + 1), junk);
        }
        }
    }
    return text;
}

std::string RandomCode(std::mt19937& random)
{
    std::string code(1 + random() % 30, '0');
    for (char& c : code) {
        c = random() % 10 == 0 ? static_cast<char>(random()) : digit_char(static_cast<int>(random() % 62));
    }
    return code;
}

}  // namespace

TEST(Robustness, DamagedFilesNeverCrashAnyCommand)
{
    Workspace ws;
    std::mt19937 random(600);
    SaveFileSpec spec;
    spec.Fill(0, 1);
    spec.Fill(50, 200);
    spec.Add(3, 7, 5);
    spec.active = 0;
    const std::string save = spec.Bytes();
    const std::string list = SimpleCardList().substr(0, 6000);
    int loaded = 0;
    for (int round = 0; round < 300; ++round) {
        ws.Put("list.xml", random() % 3 ? Damage(list, random) : list);
        ws.Put(ws.SavePath(), Damage(save, random));
        SaveData data;
        if (!data.IsLoaded()) {
            continue;
        }
        ++loaded;
        for (int step = 0; step < 12; ++step) {
            const auto a = static_cast<std::uint8_t>(random() % 53);
            const auto b = static_cast<std::uint8_t>(random() % 53);
            switch (random() % 5) {
            case 0:
                data.DeleteDeck(a);
                break;
            case 1:
                data.StoreDeck(a, RandomCode(random));
                break;
            case 2:
                data.DuplicateDeck(a, b);
                break;
            case 3:
                if ((a < 50) == (b < 50)) {
                    data.SwapDecks(a, b);
                }
                break;
            default:
                data.Deck(a).SetName(RandomCode(random));
            }
            ASSERT_LE(data.Deck(a).CardCount(), 40);
            (void)encode(data.Deck(b));
        }
        (void)data.PlayerName();
        ASSERT_EQ(data.Write(), "");
        SaveData again;
        ASSERT_TRUE(again.IsLoaded());
        for (int s = 0; s < 53; ++s) {
            ASSERT_EQ(again.Deck(s).Name(), data.Deck(s).Name());
            ASSERT_EQ(encode(again.Deck(s)), encode(data.Deck(s)));
        }
        ASSERT_EQ(again.ActiveDeck(), data.ActiveDeck());
    }
    EXPECT_GT(loaded, 50);  // the damage must leave enough files loadable to exercise the commands
}
