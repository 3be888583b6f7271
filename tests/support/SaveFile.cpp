#include "support/SaveFile.h"

#include "deckcode/DazoRozi.h"
#include "savedata/SaveData.h"


std::string SimpleCardList()
{
    std::string out = "<?xml version=\"1.0\"?>\r\n<cards>\r\n";
    for (int n = 1; n <= 600; ++n) {
        const std::string k = std::to_string(n);
        out += "<card>\r\n<no>" + k + "</no>\r\n<name>Card" + k + "</name>\r\n<ap>" + std::to_string(n * 10) +
               "</ap>\r\n<dp>" + std::to_string(n * 5) + "</dp>\r\n<cp>" + std::to_string(n % 7) +
               "</cp>\r\n<attribute>Attr" + std::to_string(n % 5) + "</attribute>\r\n<race>Race" +
               std::to_string(n % 3) + "</race>\r\n<special>Sp" + k + "</special>\r\n</card>\r\n";
    }
    return out + "</cards>\r\n";
}

std::string Image(const SaveData& data)
{
    const std::vector<std::uint8_t> image = data.BuildImage();
    return std::string(image.begin(), image.end());
}

std::string FileLines(const std::string& file, int from, int to)
{
    const auto start = [&file](int line) {
        std::size_t at = 0;
        for (int i = 0; i < line && at < file.size(); ++i) {
            const std::size_t end = file.find("\r\n", at);
            at = end == std::string::npos ? file.size() : end + 2;
        }
        return at;
    };
    return file.substr(start(from), start(to) - start(from));
}

std::string CodeOf(std::initializer_list<std::pair<int, int>> cards)
{
    std::string code = "0";
    for (const auto& [number, copies] : cards) {
        const int value = (number - 1) * 3 + copies - 1;
        code += digit_char(value / 62);
        code += digit_char(value % 62);
    }
    return code;
}

std::string FormatWith(const std::map<std::string, std::string>& sections)
{
    std::string out;
    for (const char* name : {"globalheader", "header", "creature", "separator", "magic", "footer"}) {
        const auto it = sections.find(name);
        out += std::string("\\") + name + "_start\n" + (it == sections.end() ? "" : it->second) + "\\" + name +
               "_end\n";
    }
    return out;
}
