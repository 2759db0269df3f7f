// Whole-file reads and writes for the editor and the assembler. A read refuses anything that is
// not a regular file of bounded size; a write replaces the target in one rename, so a failed
// write leaves the old file as it was.
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

// Writes all the bytes to an open descriptor, through interrupted and partial writes; false,
// with errno set, when a write fails.
bool writeAll(int fd, std::string_view bytes);

// Writes `bytes` to a temporary file next to `path`, syncs it and renames it over `path`,
// keeping the old file's permission bits. A target without write permission is refused. A
// symbolic link is saved through, to its target.
bool replaceFile(const std::string& path, std::string_view bytes);

// Writes a file the tools make afresh each time, such as a list file, the same way but without
// the sync. It refuses a path that is a symbolic link or not a regular file and never writes
// through a link. An empty text on success, else why not.
std::string writeGeneratedFile(const std::string& path, std::string_view bytes);

// Whether two paths name one file (the same file system entry, through links and other names).
bool isSameFile(const std::string& a, const std::string& b);

}  // namespace tarvix
