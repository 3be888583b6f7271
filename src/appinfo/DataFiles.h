#pragma once
// The files the program ships with (the deck page; the card list only serves
// the demo). The working folder's own copy comes first, as players have always
// arranged their folders; without one, the installed copy is used.
#include <string>

// The installed data folder (share/deckeditor beside the program's bin/ or
// libexec/ folder), found from the running program's own place so that a
// moved or staged installation works too; "" when there is none, as in a
// build tree.
std::string InstalledDataDirectory();

// The working folder's file at `path`, else the installed copy of the same
// name, else `path` again (so a missing file is reported as it always was).
std::string DataFilePath(const std::string& path, const std::string& installed = InstalledDataDirectory());
