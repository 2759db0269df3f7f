#include "assembler/source_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/source_limits.h"

namespace tarvix {

std::optional<int> countSourceLines(const std::string& path, std::string& error) {
    std::error_code status;
    if (!std::filesystem::is_regular_file(path, status)) {
        error = status || !std::filesystem::exists(path) ? path + ": no such file"
                                                         : path + ": not a regular file";
        return std::nullopt;
    }
    if (std::filesystem::file_size(path, status) > kMaxSourceBytes || status) {
        error = path + ": too large for a source program (more than 8 MiB)";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    const auto lineEnds =
        std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
    if (in.bad()) {
        error = path + ": read error";
        return std::nullopt;
    }
    return static_cast<int>(lineEnds) + 1;
}

}  // namespace tarvix
