#include "assembler/source_file.h"

#include <filesystem>

#include "common/line_ends.h"
#include "common/source_limits.h"
#include "common/text_file.h"

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
    const std::optional<FileContents> file = readWholeFile(path, kMaxSourceBytes);
    if (!file) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    return static_cast<int>(countLines(file->bytes));
}

}  // namespace tarvix
