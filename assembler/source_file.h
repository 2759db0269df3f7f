// Checks on a source file before it is assembled from the command line.
#pragma once

#include <optional>
#include <string>

namespace tarvix {

// The number of lines an editor shows for the file (a final line end starts one more, empty
// line); nothing, with the reason in `error`, when the file is missing, not a regular file,
// too large to be a source or unreadable.
std::optional<int> countSourceLines(const std::string& path, std::string& error);

}  // namespace tarvix
