// The students' files a grading run takes: each file named, and every *.asm below each folder
// named, once each, in order of their names; and whether each is a kit program's text at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvix {

struct Submission {
    std::string file;     // as found: the path given, or the folder's path and the file's below it
    std::string source;   // the text, when it can be run
    std::string refusal;  // why it cannot be run: empty, not text, too large, unreadable
};

// Nothing, with the reason in `problem`, when a path does not exist.
std::optional<std::vector<Submission>> collectSubmissions(const std::vector<std::string>& paths,
                                                          std::string& problem);

// Why these bytes are no program's text (empty, or binary); empty when they are text.
std::string textRefusal(std::string_view bytes);

}  // namespace tarvix
