// Bounds on a source program, shared by the editor, the assembler and the tools.
#pragma once

#include <cstdint>

namespace tarvix {

// The assembler numbers at most this many lines; longer sources are refused.
inline constexpr int kMaxSourceLines = 10000;

// Far above any 10000-line source: a bigger file is not a program, and is refused before it
// is read into memory.
inline constexpr std::uintmax_t kMaxSourceBytes = 8u * 1024u * 1024u;

// Said after the name of a source that could not be read.
inline constexpr const char* kUnreadableSource =
    " (missing, not a regular file, unreadable or over 8 MiB)";

}  // namespace tarvix
