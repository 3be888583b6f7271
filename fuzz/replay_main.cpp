// Feeds files to a fuzz target without libFuzzer, so that the committed
// corpus and regression inputs are replayed by any compiler's sanitizer
// build. Arguments are files or folders (walked recursively, in name order).
// A broken invariant or a sanitizer finding ends the process with an error.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path path(argv[i]);
        std::error_code error;
        if (fs::is_directory(path, error)) {
            for (fs::recursive_directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
                if (it->is_regular_file(error)) {
                    files.push_back(it->path());
                }
            }
        } else if (fs::is_regular_file(path, error)) {
            files.push_back(path);
        } else {
            std::fprintf(stderr, "replay: no such file or folder: %s\n", argv[i]);
            return 2;
        }
        if (error) {
            std::fprintf(stderr, "replay: cannot read %s: %s\n", argv[i], error.message().c_str());
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.eof() && in.fail()) {
            std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            return 2;
        }
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", file.c_str(), bytes.size());
        // A copy of exactly the file's size, so that a read past the end is seen.
        std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
        static std::uint8_t none;
        LLVMFuzzerTestOneInput(data.empty() ? &none : data.data(), data.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return 0;
}
