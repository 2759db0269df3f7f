// The two passes: pass one assigns addresses, collects labels, encodes and writes the
// intermediate file with jumps to labels unresolved, building the list text as it goes; pass
// two resolves the jumps and writes the list file beside the source.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "assembler/assembler8086.h"
#include "assembler/line_scanner.h"
#include "assembler/list_file.h"
#include "common/format.h"
#include "common/line_ends.h"
#include "common/text.h"
#include "common/text_file.h"

namespace tarvix {

namespace {

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
    return startAssembly(sourcePath, editorLines) && runPass1(sourcePath, editorLines) &&
           runPass2(sourcePath);
}

bool Assembler8086::assemble(const std::string& sourcePath, std::string_view source,
                             int editorLines) {
    return startAssembly(sourcePath, editorLines) && hasListPath(sourcePath) &&
           passOne(source, editorLines) && runPass2(sourcePath);
}

bool Assembler8086::startAssembly(const std::string& sourcePath, int editorLines) {
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
    return true;
}

bool Assembler8086::hasListPath(const std::string& sourcePath) {
    if (listFilePath(sourcePath).empty()) {
        fileError_ = "the source name " + sourcePath + " has no extension";
        return false;
    }
    return true;
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
    return true;
}

bool Assembler8086::runPass1(const std::string& sourcePath, int editorLines) {
    if (!hasListPath(sourcePath)) {
        return false;
    }
    const std::optional<FileContents> file = readWholeFile(sourcePath, kMaxSourceBytes);
    if (!file) {
        fileError_ = "cannot read " + sourcePath + kUnreadableSource;
        return false;
    }
    return passOne(file->bytes, editorLines);
}

bool Assembler8086::passOne(std::string_view source, int editorLines) {
    const std::filesystem::path temporary = intermediatePath();
    const int out = temporary.empty()
                        ? -1
                        : ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        fileError_ = systemError("cannot write", temporary);
        return false;
    }
    passOne_.start(out, listingMode_,
                   listingMode_ ? listingHeader(localTime_ ? localTime_() : currentLocalTime())
                                : std::string(),
                   source.size(), editorLines);
    const bool passed = encodeLines(source, editorLines);
    const bool flushed = passOne_.finish();
    const int flushError = errno;
    const bool closed = ::close(out) == 0;
    if (!(flushed && closed) && passed) {
        if (!flushed) {
            errno = flushError;
        }
        fileError_ = systemError("cannot write", temporary);
        return false;
    }
    return passed;
}

bool Assembler8086::encodeLines(std::string_view source, int editorLines) {
    locationCounter = kProgramOrigin;
    line() = 0;
    std::string_view rest = source;
    std::string text;  // the intermediate line being written
    std::string bytes;
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
        text.clear();
        if (defineData(current, text)) {
            passOne_.addLine(text);
            continue;
        }
        if (!statement.label.empty() &&
            (!checkLabel() || !addSymbol(statement.label, locationCounter))) {
            return false;
        }
        if (statement.mnemonic.empty()) {
            if (listingMode_) {
                if (contains(toLower(listingText(current)), "proc")) {
                    passOne_.addLine(separatorLine());
                }
                appendHex(text, locationCounter, 4);
                text += ":~";
                text += statement.label;
                text += ": ";
                passOne_.addLine(text);
            }
            progress_->step();
            continue;
        }

        appendHex(text, locationCounter, 4);
        text += ": ";
        if (const int size = labelJumpSize(); size != 0) {
            // A mnemonic that merely starts like a jump is refused here, on its own line,
            // rather than in pass two where only the intermediate line number is known.
            if (!findForm(statement.mnemonic + "_")) {
                passOne_.addRefusedLine(text);
                return pane_.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
            }
            locationCounter = static_cast<std::uint16_t>(locationCounter + size);
            text += "#1";
            text += statement.mnemonic;
            text += "#2";
            text += statement.operand1;
            text += "#3";
            if (listingMode_) {
                text += "~";
                text += listingText(current);
            } else {
                text += "$";
                appendDecimal(text, line());
            }
            passOne_.addLine(text, true, line());
            continue;
        }
        if (!assembleInstruction(bytes)) {
            passOne_.addRefusedLine(text);
            return false;
        }
        appendLeftAligned(text, bytes, 20);
        if (listingMode_) {
            text += " ~ ";
            text += printedText(listingText(current));
        } else {
            text += "$";
            appendDecimal(text, line());
        }
        passOne_.addLine(text);
        progress_->step();
    }
    text.clear();
    appendHex(text, locationCounter, 4);
    text += ": ";
    passOne_.addLine(text, false);
    return true;
}

bool Assembler8086::runPass2(const std::string& sourcePath) {
    if (progress_->cancelled()) {
        return false;
    }
    std::string& list = passOne_.list();
    // A resolved line that takes more or less than its room moves the rest of the list.
    std::ptrdiff_t moved = 0;
    std::string resolved;
    for (const PassOneOutput::PendingJump& jump : passOne_.pendingJumps()) {
        if (progress_->cancelled()) {
            return false;
        }
        line() = jump.intermediateLine;
        const auto at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(jump.offset) + moved);
        const JumpLine parts = splitJumpLine(std::string_view(list).substr(at, jump.length));
        const std::uint16_t targetAddress = lookupSymbol(parts.target);
        if (targetAddress == 0) {
            line() = jump.sourceLine;
            return pane_.reportError("Unrecognized symbol " + std::string(parts.target),
                                     WithLine::MarkOnly);
        }
        const InstructionTemplate* row = findForm(std::string(parts.mnemonic) + "_");
        if (!row) {
            return pane_.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
        }
        resolved.clear();
        appendResolvedJump(resolved, parts, *row, targetAddress, listingMode_);
        list.replace(at, jump.room, resolved);
        moved +=
            static_cast<std::ptrdiff_t>(resolved.size()) - static_cast<std::ptrdiff_t>(jump.room);
        progress_->step();
    }
    line() = passOne_.lineCount();
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

}  // namespace tarvix
