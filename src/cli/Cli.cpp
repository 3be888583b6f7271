#include "cli/Cli.h"

#include "appinfo/Version.h"
#include "backups/Backups.h"
#include "text/Cp932.h"
#include "export/DeckListExporter.h"
#include "savedata/SaveData.h"
#include "session/EditingSession.h"

#include <functional>
#include <memory>
#include <ostream>

namespace {

const char kUsage[] =
    "usage: deckeditor-cli [-C DIR] [--raw] COMMAND [ARG...] [COMMAND [ARG...]]...\n"
    "commands: list | cards N | code N | stock | active | player | rename N NAME | delete N |\n"
    "          create N CODE | edit N CODE | duplicate SRC DST | swap A B | save | overwrite |\n"
    "          export F one N | export F all | backups | restore N BACKUP [M] |\n"
    "          restore-all BACKUP\n"
    "decks are numbered 1-53, export formats 1-3\n";
const char kHelp[] =
    "Usage: deckeditor-cli [-C DIR] [--raw] COMMAND [ARG...] [COMMAND [ARG...]]...\n"
    "Run the deck editor's commands in batch on the card game's save file.\n"
    "\n"
    "It works in the game's DeckEditor folder exactly as the editor does: the save\n"
    "file is ../File/Save.dat, the card list list.xml (without one, every card is\n"
    "unknown). All commands are checked first; then they run in order on\n"
    "the save data in memory, and nothing reaches the file without save.\n"
    "\n"
    "  -C DIR     work in DIR (default: the current folder)\n"
    "      --raw  pass texts through as code page 932 bytes (default: UTF-8)\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Commands (decks are numbered 1-53, export formats 1-3):\n"
    "  list               one line per deck: number, name, card count, DAZO Rozi\n"
    "  cards N            deck N's cards\n"
    "  code N             deck N's DAZO Rozi\n"
    "  stock              600 lines: card number, spare copies\n"
    "  active             the game's active deck\n"
    "  player             the player's name\n"
    "  rename N NAME      rename deck N\n"
    "  delete N           empty deck N into the stock and give it its default name\n"
    "  create N CODE      fill deck N from the code under its default name\n"
    "  edit N CODE        fill deck N from the code\n"
    "  duplicate SRC DST  copy deck SRC onto deck DST\n"
    "  swap A B           swap two normal or two training decks\n"
    "  export F one N     write deck N with format F to ../deck_N_formatF.txt\n"
    "  export F all       write all decks with format F to ../deck_all_formatF.txt\n"
    "  backups            one line per backup in ../File/BackUp, newest first: file\n"
    "                     name, date and time, and how many decks differ from now\n"
    "                     (or 'unreadable')\n"
    "  restore N BACKUP [M]\n"
    "                     put deck M (default N) of BACKUP into deck N, with its\n"
    "                     name, by the rules of edit; BACKUP is a file name in\n"
    "                     ../File/BackUp or a path\n"
    "  restore-all BACKUP make every deck, the stock, the active deck and every\n"
    "                     other line of the save data the backup's\n"
    "  save               take the backup, then write Save.dat unless the game has\n"
    "                     rewritten it since it was read or it looks damaged (a\n"
    "                     deck's card line that is not 80 bytes); waits up to 5\n"
    "                     seconds while another program is saving\n"
    "  overwrite          like save, but write even over a file the game changed\n"
    "                     or that looks damaged\n"
    "\n"
    "Exit status: 0 when nothing needed saying, 1 when a command reported something\n"
    "(on standard error; the run goes on), 2 for a usage error or a save file that\n"
    "cannot be opened.\n";

// One parsed command: its name and its arguments, deck numbers already
// turned into slots, texts already in code page 932.
struct Command {
    std::string name;
    std::vector<int> numbers;
    std::string text;
};

struct Run {
    Run(std::ostream& o, std::ostream& e) : out(o), err(e) {}
    std::ostream& out;
    std::ostream& err;
    bool raw = false;
    bool shownText = false;
    GamePaths paths;
    // Every command that changes the data runs through the session, as in
    // the editor's window.
    EditingSession* session = nullptr;
    const SaveData& Data() const { return session->Data(); }

    std::string ToTerminal(const std::string& text) const
    {
        if (raw) {
            return text;
        }
        std::string lf;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
                lf += text[i];
            }
        }
        return Cp932ToUtf8(lf);
    }
    void Print(const std::string& line) { out << ToTerminal(line) << '\n'; }
    // Shows an outcome text, as the editor's message box would.
    void Show(const std::string& text)
    {
        if (text.empty()) {
            return;
        }
        std::string shown = ToTerminal(text);
        if (shown.back() != '\n') {
            shown += '\n';
        }
        err << shown;
        shownText = true;
    }
};

bool ParseNumber(const std::string& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 3) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value >= low && value <= high;
}

using Handler = std::function<void(Run&, const Command&)>;
// Parses the arguments of a command whose shape is not simply decks and a
// text; returns an explanation of what is wrong, or "".
using Parser = std::function<std::string(const std::vector<std::string>& args, std::size_t& at, Command& command)>;

struct CommandInfo {
    const char* name;
    int decks;     // leading deck-number arguments
    bool hasText;  // followed by one text argument
    Handler run;
    Parser parse = nullptr;
};

void List(Run& run, const Command&)
{
    run.Show(run.Data().LooksDamaged() ? kTextLooksDamaged : "");
    for (int s = 0; s < SaveData::kDecks; ++s) {
        const DeckRecord& deck = run.Data().Deck(s);
        run.Print(std::to_string(s + 1) + "\t" + deck.Name() + "\t" + std::to_string(deck.CardCount()) + "\t" +
                  encode(deck));
    }
}

void Cards(Run& run, const Command& c)
{
    const DeckRecord& deck = run.Data().Deck(c.numbers[0]);
    for (int i = 0; i < 600; ++i) {
        if (deck.Counts()[i] != 0) {
            run.Print(run.session->Catalogue().GetName(i) + " x " + std::to_string(deck.Counts()[i]));
        }
    }
}

// export F one N | export F all: numbers holds the format index, then the
// slot (one) or nothing (all).
std::string ParseExport(const std::vector<std::string>& args, std::size_t& at, Command& command)
{
    int format = 0;
    if (at >= args.size() || !ParseNumber(args[at], 1, DeckListExporter::kFormats, format)) {
        return at < args.size() ? "'" + args[at] + "' is not a format number 1-3" : "needs a format number 1-3";
    }
    command.numbers.push_back(format - 1);
    ++at;
    if (at < args.size() && args[at] == "all") {
        ++at;
        return "";
    }
    if (at >= args.size() || args[at] != "one") {
        return "needs 'one N' or 'all' after the format number";
    }
    ++at;
    int number = 0;
    if (at >= args.size() || !ParseNumber(args[at], 1, SaveData::kDecks, number)) {
        return at < args.size() ? "'" + args[at] + "' is not a deck number 1-53" : "one needs a deck number 1-53";
    }
    command.numbers.push_back(number - 1);
    ++at;
    return "";
}

void Export(Run& run, const Command& c)
{
    const bool allDecks = c.numbers.size() == 1;
    const Outcome outcome = run.session->Export({c.numbers[0]}, allDecks ? 0 : c.numbers[1], allDecks);
    for (const std::string& file : outcome.unwritten) {
        // Said in the window's own words there; a script needs the name.
        run.err << "deckeditor-cli: cannot write " << file << "\n";
        run.shownText = true;
    }
}

// restore N BACKUP [M] | restore-all BACKUP: numbers holds N and M (restore),
// text the backup's name or path as given.
std::string ParseRestore(const std::vector<std::string>& args, std::size_t& at, Command& command)
{
    const bool oneDeck = command.name == "restore";
    int number = 0;
    if (oneDeck) {
        if (at >= args.size() || !ParseNumber(args[at], 1, SaveData::kDecks, number)) {
            return at < args.size() ? "'" + args[at] + "' is not a deck number 1-53" : "needs a deck number 1-53";
        }
        command.numbers.push_back(number - 1);
        ++at;
    }
    if (at >= args.size() || args[at].empty()) {
        return "needs a backup's file name or path";
    }
    command.text = args[at++];
    if (!oneDeck) {
        return "";
    }
    // A number after the backup is its deck; no command is a number.
    const bool digits = at < args.size() && !args[at].empty() &&
                        args[at].find_first_not_of("0123456789") == std::string::npos;
    if (digits && !ParseNumber(args[at], 1, SaveData::kDecks, number)) {
        return "'" + args[at] + "' is not a deck number 1-53";
    }
    command.numbers.push_back(digits ? number - 1 : command.numbers[0]);
    at += digits ? 1 : 0;
    return "";
}

void Backups(Run& run, const Command&)
{
    const BackupList list = ListBackups(run.paths, &run.Data());
    run.Show(EmptyListReason(list));
    for (const BackupEntry& entry : list.entries) {
        const std::string differing = entry.readable ? std::to_string(entry.decksDiffering) : "unreadable";
        run.out << entry.fileName << '\t' << entry.stamp << '\t' << differing << '\n';
    }
}

void Restore(Run& run, const Command& c)
{
    run.Show(c.numbers.empty() ? run.session->RestoreAll(c.text).message
                               : run.session->RestoreDeck(c.numbers[0], c.text, c.numbers[1]).message);
}

const CommandInfo kCommands[] = {
    {"list", 0, false, List},
    {"cards", 1, false, Cards},
    {"code", 1, false, [](Run& run, const Command& c) { run.Print(encode(run.Data().Deck(c.numbers[0]))); }},
    {"stock", 0, false,
     [](Run& run, const Command&) {
         for (int i = 0; i < 600; ++i) {
             run.Print(std::to_string(i + 1) + "\t" + std::to_string(run.Data().Stock(i)));
         }
     }},
    {"active", 0, false, [](Run& run, const Command&) { run.Print(std::to_string(run.Data().ActiveDeck() + 1)); }},
    {"player", 0, false, [](Run& run, const Command&) { run.Print(run.Data().PlayerName()); }},
    {"rename", 1, true, [](Run& run, const Command& c) { run.session->Rename(c.numbers[0], c.text); }},
    {"delete", 1, false, [](Run& run, const Command& c) { run.Show(run.session->Delete(c.numbers[0]).message); }},
    {"create", 1, true,
     [](Run& run, const Command& c) { run.Show(run.session->Create(c.numbers[0], c.text).message); }},
    {"edit", 1, true, [](Run& run, const Command& c) { run.Show(run.session->Edit(c.numbers[0], c.text).message); }},
    {"duplicate", 2, false,
     [](Run& run, const Command& c) { run.Show(run.session->Duplicate(c.numbers[0], c.numbers[1]).message); }},
    {"swap", 2, false,
     [](Run& run, const Command& c) { run.Show(run.session->Swap(c.numbers[0], c.numbers[1]).message); }},
    // save never overwrites a file that the game has rewritten since it was
    // read, nor one whose deck lines looked shifted: what it would write may
    // not be the player's decks. A script cannot be asked; it says no.
    {"save", 0, false,
     [](Run& run, const Command&) {
         const Outcome outcome = run.session->Save(kAskNothing, GameChanges::Refuse);
         if (outcome.ask == kAskSaveDamaged) {
             run.Show(kTextLooksDamaged);
             run.err << "deckeditor-cli: not saved; overwrite writes it anyway\n";
             return;
         }
         run.Show(outcome.message);
     }},
    {"overwrite", 0, false, [](Run& run, const Command&) { run.Show(run.session->Overwrite().message); }},
    {"export", 0, false, Export, ParseExport},
    {"backups", 0, false, Backups},
    {"restore", 0, false, Restore, ParseRestore},
    {"restore-all", 0, false, Restore, ParseRestore},
};

const CommandInfo* Find(const std::string& name)
{
    for (const CommandInfo& info : kCommands) {
        if (name == info.name) {
            return &info;
        }
    }
    return nullptr;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Run run(out, err);
    std::string folder;
    std::size_t at = 0;
    auto usage = [&err](const std::string& problem) {
        err << "deckeditor-cli: " << problem << "\n" << kUsage;
        return 2;
    };
    for (; at < args.size() && (args[at] == "-C" || args[at].compare(0, 2, "--") == 0); ++at) {
        if (args[at] == "--help") {
            out << kHelp;
            return 0;
        } else if (args[at] == "--version") {
            out << "deckeditor-cli (Zev DeckEditor) " << kVersionText << "\n";
            return 0;
        } else if (args[at] != "-C" && args[at] != "--raw") {
            return usage("unknown option '" + args[at] + "'");
        } else if (args[at] == "--raw") {
            run.raw = true;
        } else if (++at < args.size() && !args[at].empty()) {
            folder = args[at];
        } else {
            return usage("-C needs a folder");
        }
    }
    if (at == args.size()) {
        return usage("no command given");
    }

    std::vector<std::pair<const CommandInfo*, Command>> commands;
    bool writes = false;
    while (at < args.size()) {
        const CommandInfo* info = Find(args[at]);
        if (info == nullptr) {
            return usage("unknown command '" + args[at] + "'");
        }
        Command command{args[at++], {}, {}};
        if (info->parse) {
            const std::string problem = info->parse(args, at, command);
            if (!problem.empty()) {
                return usage(command.name + ": " + problem);
            }
            commands.emplace_back(info, std::move(command));
            continue;
        }
        const std::size_t needed = static_cast<std::size_t>(info->decks) + (info->hasText ? 1 : 0);
        if (args.size() - at < needed) {
            return usage(command.name + " needs " + std::to_string(needed) + " argument(s)");
        }
        for (int d = 0; d < info->decks; ++d, ++at) {
            int number = 0;
            if (!ParseNumber(args[at], 1, SaveData::kDecks, number)) {
                return usage(command.name + ": '" + args[at] + "' is not a deck number 1-53");
            }
            command.numbers.push_back(number - 1);
        }
        if (info->hasText) {
            if (run.raw) {
                command.text = args[at];
            } else if (!Utf8ToCp932(args[at], command.text)) {
                return usage(command.name + ": '" + args[at] + "' holds characters that cannot be saved");
            }
            ++at;
        }
        writes = writes || command.name == "save" || command.name == "overwrite";
        commands.emplace_back(info, std::move(command));
    }

    run.paths = GamePaths(folder);
    if (!folder.empty() && !run.paths.WorkingFolderIsThere()) {
        return usage("cannot enter folder '" + folder + "'");
    }
    EditingSession session(run.paths);
    if (!session.IsLoaded()) {
        err << run.ToTerminal(kTextCannotOpenSaveData) << '\n';
        return 2;
    }
    run.session = &session;
    // Like the editor at start-up: a backup of the file as it was, before anything is written.
    if (writes) {
        run.Show(session.MakeBackup());
    }
    for (const auto& entry : commands) {
        entry.first->run(run, entry.second);
        // Output that went nowhere (a full disk) must not pass
        // for a run that did what it was asked; nothing more is done.
        if (!out.flush()) {
            err << "deckeditor-cli: cannot write the output\n";
            return 1;
        }
    }
    return run.shownText ? 1 : 0;
}
