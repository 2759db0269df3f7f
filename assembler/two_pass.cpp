// The two passes: pass one assigns addresses, collects labels, encodes and writes the
// intermediate text with jumps to labels unresolved; pass two resolves them and writes the
// list file beside the source. The intermediate text is kept in memory for pass two and
// written to the intermediate file as well.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "assembler/assembler8086.h"
#include "assembler/line_scanner.h"
#include "assembler/list_file.h"
#include "common/format.h"
#include "common/line_ends.h"
#include "common/operand_text.h"
#include "common/text.h"
#include "common/text_file.h"

namespace tarvix {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OutputFile = std::unique_ptr<std::FILE, FileCloser>;

// A line without its line end (CR LF, LF CR or LF), trimmed at both ends.
std::string_view cleanLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == '\r' || line.front() == '\n')) {
        line.remove_prefix(1);
    }
    return trim(line);
}

std::string systemError(const std::string& what, const std::filesystem::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

std::tm currentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

Assembler8086::~Assembler8086() {
    if (!privateFolder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(privateFolder_, ignored);
    }
}

std::filesystem::path Assembler8086::intermediatePath() {
    // A folder of our own (mode 0700) rather than a fixed name in the shared temporary
    // folder: parallel assemblies cannot overwrite each other, nor can another user plant a
    // link where we write.
    if (privateFolder_.empty()) {
        std::error_code error;
        std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error) {
            base = "/tmp";
        }
        std::string pattern = (base / ("tarvix-" + std::to_string(getuid()) + "-XXXXXX")).string();
        const HeldSignals held;
        if (mkdtemp(pattern.data()) == nullptr) {
            return {};
        }
        privateFolder_ = pattern;
        folderRecord_.emplace(pattern);
        intermediateRecord_.emplace((privateFolder_ / kIntermediateFileName).string());
    }
    return privateFolder_ / kIntermediateFileName;
}

bool Assembler8086::assemble(const std::string& sourcePath, int editorLines) {
    progress_->setRange(0, editorLines);
    symbols_.clear();
    fileError_.clear();
    listPath_.clear();
    listText_.clear();
    // A source named like its own list file (prog.lst, or a second name of the same file)
    // would be replaced by its listing.
    if (const std::string listPath = listFilePath(sourcePath);
        !listPath.empty() && isSameFile(listPath, sourcePath)) {
        fileError_ = listPath + " is the source itself; its list file would replace it";
        return false;
    }
    return runPass1(sourcePath, editorLines) && runPass2(sourcePath);
}

bool Assembler8086::addSymbol(std::string_view name, std::uint16_t address) {
    if (!symbols_.add(name, address)) {
        return pane_.reportError("Duplicate symbol found", WithLine::Yes);
    }
    return true;
}

bool Assembler8086::defineData(std::string_view line, std::string& out) {
    const std::uint16_t address = locationCounter;
    std::string bytes;
    if (!defineDataBytes(line, bytes)) {
        return false;
    }
    appendHex(out, address, 4);
    out += ": ";
    out += bytes;
    if (listingMode_) {
        out += "~";
    }
    out += kLineEnd;
    return true;
}

bool Assembler8086::runPass1(const std::string& sourcePath, int editorLines) {
    if (listFilePath(sourcePath).empty()) {
        fileError_ = "the source name " + sourcePath + " has no extension";
        return false;
    }
    const std::optional<FileContents> file = readWholeFile(sourcePath, kMaxSourceBytes);
    if (!file) {
        fileError_ = "cannot read " + sourcePath + kUnreadableSource;
        return false;
    }
    const std::filesystem::path temporary = intermediatePath();
    OutputFile out(temporary.empty() ? nullptr : std::fopen(temporary.c_str(), "wb"));
    if (!out) {
        fileError_ = systemError("cannot write", temporary);
        return false;
    }
    intermediate_.clear();
    const bool passed = encodeLines(file->bytes, editorLines);
    // The file holds whatever the pass got to, a failed pass's partial lines included.
    std::fwrite(intermediate_.data(), 1, intermediate_.size(), out.get());
    if (std::fclose(out.release()) != 0 && passed) {
        fileError_ = systemError("cannot write", temporary);
        return false;
    }
    return passed;
}

bool Assembler8086::encodeLines(std::string_view source, int editorLines) {
    std::string& out = intermediate_;
    locationCounter = kProgramOrigin;
    line() = 0;
    std::string_view rest = source;
    for (int i = 1; i <= editorLines; ++i) {
        statement.reset();
        if (i > kMaxSourceLines) {
            return pane_.reportError("Too much lines ", WithLine::No);
        }
        // Reading stops at the source's last byte: a last line of one character is not read.
        if (source.size() - rest.size() + 1 >= source.size()) {
            break;
        }
        if (progress_->cancelled()) {
            return false;
        }
        ++line();
        const std::string_view current = trim(takeLine(rest));

        if (!scanLine(current, statement)) {
            progress_->step();
            continue;
        }
        if (defineData(current, out)) {
            continue;
        }
        if (!statement.label.empty() &&
            (!checkLabel() || !addSymbol(statement.label, locationCounter))) {
            return false;
        }
        if (statement.mnemonic.empty()) {
            if (listingMode_) {
                if (contains(toLower(listingText(current)), "proc")) {
                    out += separatorLine();
                    out += kLineEnd;
                }
                appendHex(out, locationCounter, 4);
                out += ":~";
                out += statement.label;
                out += ": ";
                out += kLineEnd;
            }
            progress_->step();
            continue;
        }

        appendHex(out, locationCounter, 4);
        out += ": ";
        if (const int size = labelJumpSize(); size != 0) {
            // A mnemonic that merely starts like a jump is refused here, on its own line,
            // rather than in pass two where only the intermediate line number is known.
            if (!findForm(statement.mnemonic + "_")) {
                return pane_.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
            }
            locationCounter = static_cast<std::uint16_t>(locationCounter + size);
            out += "#1";
            out += statement.mnemonic;
            out += "#2";
            out += statement.operand1;
            out += "#3";
            if (listingMode_) {
                out += "~";
                out += listingText(current);
            } else {
                out += "$";
                appendDecimal(out, line());
            }
            out += kLineEnd;
            continue;
        }
        std::string bytes;
        if (!assembleInstruction(bytes)) {
            return false;
        }
        appendLeftAligned(out, bytes, 20);
        if (listingMode_) {
            out += " ~ ";
            out += printedText(listingText(current));
        } else {
            out += "$";
            appendDecimal(out, line());
        }
        out += kLineEnd;
        progress_->step();
    }
    appendHex(out, locationCounter, 4);
    out += ": ";
    return true;
}

bool Assembler8086::runPass2(const std::string& sourcePath) {
    std::string list;
    if (listingMode_) {
        list = listingHeader(localTime_ ? localTime_() : currentLocalTime());
    }
    list.reserve(list.size() + intermediate_.size() + intermediate_.size() / 8);

    // Every intermediate line is read: bounding them by the editor's line count would drop
    // the last lines of a listing with many procedure headers.
    line() = 0;
    std::string_view rest = intermediate_;
    while (!rest.empty()) {
        if (progress_->cancelled()) {
            return false;
        }
        ++line();
        const std::size_t end = rest.find('\n');
        const std::string_view current = cleanLine(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (current.empty()) {
            continue;
        }
        if (current.find("#1") == std::string_view::npos) {
            appendListLine(list, current);
            continue;
        }
        std::string resolved;
        if (!resolveJump(current, resolved)) {
            return false;
        }
        appendListLine(list, resolved);
        progress_->step();
    }
    // Written whole once it is complete, so that a failed pass leaves the old list file.
    const std::string listPath = listFilePath(sourcePath);
    if (const std::string why = writeGeneratedFile(listPath, list); !why.empty()) {
        fileError_ = "cannot write the list file: " + why;
        return false;
    }
    listPath_ = listPath;
    listText_ = std::move(list);
    return true;
}

bool Assembler8086::resolveJump(std::string_view line, std::string& resolved) {
    const std::size_t mark1 = line.find("#1");
    const std::size_t mark2 = line.find("#2", mark1);
    const std::size_t mark3 = line.find("#3", mark2);
    const std::string_view mnemonic = line.substr(mark1 + 2, mark2 - mark1 - 2);
    const std::string_view target = line.substr(mark2 + 2, mark3 - mark2 - 2);
    const std::string_view rest = line.substr(mark3 + 2);
    const std::uint16_t targetAddress = lookupSymbol(target);
    if (targetAddress == 0) {
        return pane_.reportError("Unrecognized symbol " + std::string(target), WithLine::No);
    }
    const InstructionTemplate* row = findForm(std::string(mnemonic) + "_");
    if (!row) {
        return pane_.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
    }
    const std::string_view address = line.substr(0, 4);
    const auto displacement =
        static_cast<std::uint16_t>(targetAddress - (parseHex(address) + row->baseSize));
    std::string displacementText;
    appendHex(displacementText, displacement & 0xFFu, 2);
    if (row->baseSize != 2) {
        displacementText += ' ';
        appendHex(displacementText, displacement >> 8u, 2);
    }
    resolved = resolvedJumpLine(address, row->bitPattern, displacementText, rest);
    return true;
}

void Assembler8086::appendListLine(std::string& list, std::string_view line) const {
    if (listingMode_) {
        appendListingLine(list, line);
    } else {
        list += line;
        list += kLineEnd;
    }
}

}  // namespace tarvix
