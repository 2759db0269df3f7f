#include "cli/submissions.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "common/text.h"

namespace tarvix {

namespace {

namespace fs = std::filesystem;

// Far above a 10000-line program: a bigger file is no student's program.
constexpr std::uintmax_t kMaxSubmissionBytes = std::uintmax_t{1024} * 1024;

bool isAsmFile(const fs::path& path) {
    return toLower(path.extension().string()) == ".asm";
}

Submission readSubmission(const fs::path& path) {
    Submission submission{path.string(), {}, {}};
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        submission.refusal = "not a regular file";
        return submission;
    }
    if (fs::file_size(path, error) > kMaxSubmissionBytes) {
        submission.refusal = "larger than 1 MiB: no kit program";
        return submission;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    if (in.is_open()) {
        content << in.rdbuf();
    }
    if (!in.is_open() || in.bad()) {
        submission.refusal = "cannot be read";
        return submission;
    }
    submission.source = content.str();
    submission.refusal = textRefusal(submission.source);
    return submission;
}

}  // namespace

std::string textRefusal(std::string_view bytes) {
    if (bytes.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos) {
        return "the file is empty";
    }
    const auto control = [](char c) {
        const auto code = static_cast<unsigned char>(c);
        // Tab, the line ends, form feed and a DOS end-of-file mark are text.
        return code < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v' &&
               code != 0x1A;
    };
    if (std::any_of(bytes.begin(), bytes.end(), control)) {
        return "not a text file: it holds control bytes";
    }
    return {};
}

std::optional<std::vector<Submission>> collectSubmissions(const std::vector<std::string>& paths,
                                                          std::string& problem) {
    std::vector<fs::path> files;
    for (const std::string& given : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(given, error);
        if (!fs::exists(status)) {
            problem = given + ": no such file or folder";
            return std::nullopt;
        }
        if (!fs::is_directory(status)) {
            files.emplace_back(given);
            continue;
        }
        fs::recursive_directory_iterator walk(given, fs::directory_options::skip_permission_denied,
                                              error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
            if (isAsmFile(walk->path()) && !walk->is_directory(error)) {
                files.push_back(walk->path());
            }
        }
    }
    std::set<fs::path> seen;
    std::vector<Submission> submissions;
    for (const fs::path& file : files) {
        std::error_code error;
        const fs::path canonical = fs::weakly_canonical(file, error);
        if (seen.insert(error ? file : canonical).second) {
            submissions.push_back(readSubmission(file));
        }
    }
    std::sort(submissions.begin(), submissions.end(),
              [](const Submission& a, const Submission& b) { return a.file < b.file; });
    return submissions;
}

}  // namespace tarvix
