#include "export/DeckListExporter.h"

#include "savedata/SaveData.h"

DeckListExporter::DeckListExporter(const SaveData& data) : saveData(data) { LoadFormats(); }

void DeckListExporter::LoadFormats() {}

void DeckListExporter::WriteDeckList(int, int, bool) {}
