// A file's exact bytes, for tests that check what the program wrote or give it a file to read.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tuckbay::test {

inline std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out << bytes;
}

} // namespace tuckbay::test
