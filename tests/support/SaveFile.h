#pragma once
// Builders for test inputs: a card list in list.xml's grammar, deck codes and
// export format files; save files come from SaveFileBuilder.
#include "SaveFileBuilder.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Lines [from, to) of a file whose lines end with CR LF, with their line breaks.
std::string FileLines(const std::string& file, int from, int to);

class SaveData;
// The bytes that Write would write now.
std::string Image(const SaveData& data);

// A list.xml of 600 cards named "Card<n>" with ap n*10, dp n*5, cp n%7,
// attribute "Attr<n%5>", race "Race<n%3>" and special "Sp<n>".
std::string SimpleCardList();

// A deck code of (card number, copies) groups written in the given order, so
// that codes no encoder makes (repeats, disorder) can be given too.
std::string CodeOf(std::initializer_list<std::pair<int, int>> cards);

// A format file holding all six markers; sections not given are empty. Each
// given text is put between its markers as is, so it should end with "\n".
std::string FormatWith(const std::map<std::string, std::string>& sections);
