// Whole-file reads and writes for the editor and the assembler. A read refuses anything that is not
// a regular file of bounded size; a write replaces the target in one rename, so a failed save
// leaves the old file as it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarvix {

struct FileContents {
    std::string bytes;
    bool readOnly = false;
};

// The bytes of a regular file of at most `maxBytes`, or nothing for a missing file, a
// directory or other non-regular file, a larger file or a read error.
std::optional<FileContents> readWholeFile(const std::string& path, std::size_t maxBytes);

// Writes `bytes` to a temporary file next to `path`, syncs it and renames it over `path`,
// keeping the old file's permission bits. A target without write permission is refused.
bool replaceFile(const std::string& path, std::string_view bytes);

}  // namespace tarvix
