// printf-style formatting into a std::string, for the kit's fixed text formats.
#pragma once

#include <string>

namespace tarvix {

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tarvix
