#include "support/Cp932.h"

#include <iconv.h>
#include <stdexcept>

std::string Sjis(const std::string& utf8)
{
    const iconv_t cd = ::iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv_open failed");
    }
    // No character takes more bytes in code page 932 than in UTF-8.
    std::string out(utf8.size(), '\0');
    char* in = const_cast<char*>(utf8.data());
    char* dst = out.data();
    std::size_t inLeft = utf8.size();
    std::size_t outLeft = out.size();
    const std::size_t rc = ::iconv(cd, &in, &inLeft, &dst, &outLeft);
    ::iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        throw std::runtime_error("text cannot be converted");
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::string SjisLines(const std::vector<std::string>& utf8Lines)
{
    std::string out;
    for (const std::string& line : utf8Lines) {
        out += Sjis(line) + "\r\n";
    }
    return out;
}
