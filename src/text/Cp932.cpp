#include "text/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd(::iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok()) {
            ::iconv_close(cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
    // Converts as much as it can; returns false at the first bad sequence,
    // leaving `in`/`left` there.
    bool Run(char*& in, std::size_t& left, std::string& out)
    {
        char buffer[1024];
        while (left > 0) {
            char* dst = buffer;
            std::size_t room = sizeof buffer;
            const std::size_t rc = ::iconv(cd, &in, &left, &dst, &room);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd;
};

// The whole text, or false at its first bad sequence.
bool ConvertAll(const char* to, const char* from, const std::string& input, std::string& output)
{
    output.clear();
    Converter converter(to, from);
    std::string text = input;
    char* in = text.data();
    std::size_t left = text.size();
    return converter.ok() && converter.Run(in, left, output);
}

}  // namespace

std::string Cp932ToUtf8(const std::string& cp932)
{
    Converter converter("UTF-8", "CP932");
    if (!converter.ok()) {
        return cp932;
    }
    std::string out;
    std::string text = cp932;
    char* in = text.data();
    std::size_t left = text.size();
    while (!converter.Run(in, left, out)) {
        out += "\xEF\xBF\xBD";
        ++in;
        --left;
    }
    return out;
}

bool DecodeCp932(const std::string& cp932, std::string& utf8) { return ConvertAll("UTF-8", "CP932", cp932, utf8); }

bool Utf8ToCp932(const std::string& utf8, std::string& cp932) { return ConvertAll("CP932", "UTF-8", utf8, cp932); }
