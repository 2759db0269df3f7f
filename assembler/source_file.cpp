#include "assembler/source_file.h"

#include <filesystem>

#include "common/line_ends.h"
#include "common/source_limits.h"
#include "common/text_file.h"

namespace tarvix {

std::optional<SourceText> readSourceText(const std::string& path, std::string& error) {
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
    std::optional<FileContents> file = readWholeFile(path, kMaxSourceBytes);
    if (!file) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    const auto lines = static_cast<int>(countLines(file->bytes));
    return SourceText{std::move(file->bytes), lines};
}

std::optional<int> countSourceLines(const std::string& path, std::string& error) {
    const std::optional<SourceText> source = readSourceText(path, error);
    return source ? std::optional<int>(source->lines) : std::nullopt;
}

}  // namespace tarvix
