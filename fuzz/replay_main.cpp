// Feeds the files of the given folders to a fuzz target without libFuzzer,
// so that any compiler's sanitizer build replays the committed corpus and
// regression inputs. A broken invariant or a sanitizer finding ends the
// process with an error; so does a folder that cannot be read.
#include "support/Workspace.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        const std::string bytes = ReadFileBytes(file);
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", file.c_str(), bytes.size());
        // A copy of exactly the file's size, so that a read past the end is seen.
        const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
        static const std::uint8_t none = 0;
        LLVMFuzzerTestOneInput(data.empty() ? &none : data.data(), data.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
}
