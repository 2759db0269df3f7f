#include "assembler/pass_one_output.h"

#include <algorithm>
#include <cerrno>

#include "assembler/list_file.h"
#include "assembler/template_table.h"
#include "common/prefault.h"
#include "common/source_limits.h"
#include "common/text.h"
#include "common/text_file.h"

namespace tarvix {

namespace {

// Bytes a list line takes at most besides its source text, so that the list text rarely grows.
constexpr std::size_t kListLineBytes = 64;

// The list text is faulted in this far ahead of its end.
constexpr std::size_t kPrefaultBytes = 65536;

// The intermediate file is written in pieces of this size, straight to its descriptor: one
// call per line cost more than the line, and each call costs the file system a little.
constexpr std::size_t kFileChunkBytes = 16384;

// A line without its line end (CR LF, LF CR or LF), trimmed at both ends, as pass two reads it.
std::string_view cleanLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == '\r' || line.front() == '\n')) {
        line.remove_prefix(1);
    }
    return trim(line);
}

}  // namespace

void PassOneOutput::start(int file, bool listingMode, std::string header, std::size_t sourceBytes,
                          int sourceLines) {
    file_ = file;
    writeError_ = 0;
    fileBuffer_.clear();
    fileBuffer_.reserve(kFileChunkBytes);
    listingMode_ = listingMode;
    lines_ = 0;
    // Pass one reads no more lines than a source may have, whatever the editor holds.
    const auto lines = static_cast<std::size_t>(std::clamp(sourceLines, 0, kMaxSourceLines));
    list_ = std::move(header);
    list_.reserve(list_.size() + sourceBytes + lines * kListLineBytes);
    pendingJumps_.clear();
    pendingJumps_.reserve(lines);
    prefaultedText_ = nullptr;
    prefaultList();
}

void PassOneOutput::prefaultList() {
    if (list_.data() != prefaultedText_) {
        // A new buffer holds the text so far already.
        prefaultedText_ = list_.data();
        prefaulted_ = list_.size();
    }
    if (list_.size() + kPrefaultBytes / 2 < prefaulted_ || prefaulted_ >= list_.capacity()) {
        return;
    }
    const std::size_t end = std::min(list_.capacity(), prefaulted_ + kPrefaultBytes);
    prefaultPages(list_.data() + prefaulted_, end - prefaulted_);
    prefaulted_ = end;
}

void PassOneOutput::write(std::string_view text, std::string_view lineEnd) {
    fileBuffer_ += text;
    fileBuffer_ += lineEnd;
    if (fileBuffer_.size() >= kFileChunkBytes) {
        flush();
    }
}

void PassOneOutput::flush() {
    // After a failure the rest is dropped: the file is reported unwritable.
    if (writeError_ == 0 && !writeAll(file_, fileBuffer_)) {
        writeError_ = errno;
    }
    fileBuffer_.clear();
}

bool PassOneOutput::finish() {
    flush();
    errno = writeError_;
    return writeError_ == 0;
}

void PassOneOutput::addLine(std::string_view text, bool lineEnd, int sourceLine) {
    write(text, lineEnd ? kLineEnd : std::string_view());
    ++lines_;
    const std::string_view line = cleanLine(text);
    if (line.empty()) {
        return;
    }
    prefaultList();
    if (line.find("#1") == std::string_view::npos) {
        appendListLine(list_, line, listingMode_);
        return;
    }
    // The room is measured with a target at 0: only the displacement's digits depend on it.
    // A mnemonic with no row fails in pass two, which then needs no room.
    std::size_t room = line.size();
    const JumpLine jump = splitJumpLine(line);
    if (const InstructionTemplate* row = findForm(std::string(jump.mnemonic) + "_")) {
        resolved_.clear();
        appendResolvedJump(resolved_, jump, *row, 0, listingMode_);
        room = std::max(room, resolved_.size());
    }
    pendingJumps_.push_back({list_.size(), line.size(), room, lines_, sourceLine});
    list_ += line;
    list_.append(room - line.size(), ' ');
}

void PassOneOutput::addRefusedLine(std::string_view text) {
    write(text, {});
}

}  // namespace tarvix
