#pragma once
// deckeditor-cli: the editor's commands run in batch on a save file.
#include <iosfwd>
#include <string>
#include <vector>

// Runs a command line (without the program name). Returns the exit status:
// 0 when no text was shown, 1 when a command showed one, 2 for a usage error
// or save data that cannot be opened.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
