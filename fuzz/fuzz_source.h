// The fuzzers' input as a source file on disk, where the tools read it from: one folder of the
// fuzzer's own, one file rewritten for each input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tarvix {

inline const std::string& fuzzSourcePath() {
    static const std::string path = [] {
        std::error_code error;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp";
        std::string folder = (base / "tarvix-fuzz-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr) {
            std::abort();
        }
        return folder + "/fuzz.asm";
    }();
    return path;
}

inline void writeFuzzSource(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(fuzzSourcePath().c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
}

}  // namespace tarvix
