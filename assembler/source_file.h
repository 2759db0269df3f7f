// A source file as the command-line tools read it, with the checks made before it is assembled.
#pragma once

#include <optional>
#include <string>

namespace tarvix {

struct SourceText {
    std::string bytes;
    int lines = 0;  // as an editor shows them: a final line end starts one more, empty line
};

// The source at `path`; nothing, with the reason in `error`, when the file is missing, not a
// regular file, too large to be a source or unreadable.
std::optional<SourceText> readSourceText(const std::string& path, std::string& error);

// The number of lines alone.
std::optional<int> countSourceLines(const std::string& path, std::string& error);

}  // namespace tarvix
