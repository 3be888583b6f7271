#pragma once
// The names the editor gives its backups of the save file.
#include <string>

// What a backup's name says: its time and its place among backups of the same minute.
struct BackupName {
    std::string minute;  // YYMMDDhhmm
    int second = -1;     // -1: the plain minute name, the first of its minute
    int count = 1;       // n of _<n>
    bool operator<(const BackupName& other) const;
};

// Save<YYMMDDhhmm>.dat, Save<YYMMDDhhmmss>.dat or Save<YYMMDDhhmmss>_<n>.dat
// with n from 2 and a date that can be; false for any other name.
bool ParseBackupName(const std::string& fileName, BackupName& key);
