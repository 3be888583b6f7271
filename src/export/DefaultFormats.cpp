// The three formats the program carries, written to format<N>.ini when a
// file is missing.
#include "export/DeckListExporter.h"

namespace {

const std::string kDashes(50, '-');

const std::string kDefault1 =
    "\\globalheader_start\n"
    "\\player_nameのデッキリスト(シンプル)\n"
    "\n"
    "\\globalheader_end\n"
    "\n"
    "\\header_start\n" +
    kDashes + "\n" +
    "デッキ名：\t\\deck_name\n"
    "DAZO Rozi:\t\\deck_code\n" +
    kDashes + "\n" +
    "クリーチャー(\\creatures枚)\n"
    "\\header_end\n"
    "\n"
    "\\creature_start\n"
    "No.\\CARD_NO \\card_name x \\cards\n"
    "\\creature_end\n"
    "\n"
    "\\separator_start\n"
    "\n"
    "マジック(\\magics枚)\n"
    "\\separator_end\n"
    "\n"
    "\\magic_start\n"
    "No.\\card_no \\card_name x \\cards\n"
    "\\magic_end\n"
    "\n"
    "\\footer_start\n"
    "\n"
    "\\footer_end";

const std::string kDefault2 =
    "\\globalheader_start\n"
    "\\player_nameのデッキリスト(forWiki)\n"
    "\n"
    "\\globalheader_end\n"
    "\n"
    "\\header_start\n"
    "*\\deck_name\n"
    "\\deck_code\n"
    "\n"
    "・クリーチャー\\creatures枚\n"
    "\n"
    "\n"
    "\\header_end\n"
    "\n"
    "\\creature_start\n"
    "Ｎｏ\\CARD_NO[[\\card_name]]×\\cards\n"
    "\\creature_end\n"
    "\n"
    "\\separator_start\n"
    "\n"
    "\n"
    "\n"
    "・マジック(\\magics枚)\n"
    "\n"
    "\n"
    "\\separator_end\n"
    "\n"
    "\\magic_start\n"
    "Ｎｏ\\card_no[[\\card_name]]×\\cards\n"
    "\\magic_end\n"
    "\n"
    "\\footer_start\n"
    "\n"
    "\n"
    "\n"
    "**解説\n"
    "\n"
    "\n"
    "ｖｅｒ○.○○現在。\n"
    "\n"
    "\\footer_end";

const std::string kDefault3 =
    "\\globalheader_start\n"
    "デッキコードリスト\n"
    "\n"
    "\\globalheader_end\n"
    "\n"
    "\\header_start\n"
    "Name:\\deck_name\n"
    "Code:\\deck_code\n"
    "\n"
    "\\header_end\n"
    "\n"
    "\\creature_start\n"
    "\\creature_end\n"
    "\n"
    "\\separator_start\n"
    "\\separator_end\n"
    "\n"
    "\\magic_start\n"
    "\\magic_end\n"
    "\n"
    "\\footer_start\n"
    "\\footer_end";

}  // namespace

const std::string& DefaultFormatText(int number)
{
    static const std::string* const texts[] = {&kDefault1, &kDefault2, &kDefault3};
    return *texts[number - 1];
}
