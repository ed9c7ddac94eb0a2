// Runs a fuzz target over the files of its corpus once each, without libFuzzer: the corpora
// become plain tests of the normal build.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
            // The data is copied so that AddressSanitizer sees the input's exact end.
            std::vector<uint8_t> data(bytes.begin(), bytes.end());
            static const uint8_t none = 0;
            LLVMFuzzerTestOneInput(data.empty() ? &none : data.data(), data.size());
            ++count;
        }
    }
    std::printf("%zu inputs passed\n", count);
    // A corpus that went missing must not pass as an empty success.
    return count > 0 ? 0 : 1;
}
