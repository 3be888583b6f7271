#include "support/Cp932.h"

#include <iconv.h>
#include <stdexcept>

static std::string Convert(const char* to, const char* from, const std::string& text)
{
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv_open failed");
    }
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* dst = &out[0];
    std::size_t outLeft = out.size();
    const std::size_t rc = ::iconv(cd, &in, &inLeft, &dst, &outLeft);
    ::iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        throw std::runtime_error("text cannot be converted");
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::string Sjis(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8); }

std::string SjisLines(const std::vector<std::string>& utf8Lines)
{
    std::string out;
    for (const std::string& line : utf8Lines) {
        out += Sjis(line) + "\r\n";
    }
    return out;
}
