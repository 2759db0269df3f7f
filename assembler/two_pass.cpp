// The two passes: pass one assigns addresses, collects labels, encodes and writes the
// intermediate file with jumps to labels unresolved; pass two resolves them and writes the
// list file beside the source.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

void write(std::FILE* file, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), file);
}

void writeLine(std::FILE* file, std::string_view text) {
    write(file, text);
    write(file, kLineEnd);
}

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
    out += formatText("%04X: ", address) + bytes;
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
    const std::string_view source = file->bytes;

    const std::filesystem::path temporary = intermediatePath();
    OutputFile out(temporary.empty() ? nullptr : std::fopen(temporary.c_str(), "wb"));
    if (!out) {
        fileError_ = systemError("cannot write", temporary);
        return false;
    }

    locationCounter = kProgramOrigin;
    line() = 0;
    std::string_view rest = source;
    std::string text;
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
            write(out.get(), text);
            continue;
        }
        const std::string listing = listingText(current);
        if (!statement.label.empty() &&
            (!checkLabel() || !addSymbol(statement.label, locationCounter))) {
            return false;
        }
        if (statement.mnemonic.empty()) {
            if (listingMode_) {
                if (contains(toLower(listing), "proc")) {
                    writeLine(out.get(), separatorLine());
                }
                writeLine(out.get(),
                          formatText("%04X:~", locationCounter) + statement.label + ": ");
            }
            progress_->step();
            continue;
        }

        write(out.get(), formatText("%04X: ", locationCounter));
        if (const int size = labelJumpSize(); size != 0) {
            // A mnemonic that merely starts like a jump is refused here, on its own line,
            // rather than in pass two where only the intermediate line number is known.
            if (!findRow(statement.mnemonic + "_", 0, kTemplateCount)) {
                return pane_.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
            }
            locationCounter = static_cast<std::uint16_t>(locationCounter + size);
            write(out.get(), "#1" + statement.mnemonic + "#2" + statement.operand1 + "#3");
            write(out.get(), listingMode_ ? "~" : "$");
            writeLine(out.get(), listingMode_ ? listing : std::to_string(line()));
            continue;
        }
        std::string bytes;
        if (!assembleInstruction(bytes)) {
            return false;
        }
        write(out.get(), listingMode_ ? formatText("%-20s ~ %s", bytes.c_str(), listing.c_str())
                                      : formatText("%-20s$%d", bytes.c_str(), line()));
        write(out.get(), kLineEnd);
        progress_->step();
    }
    write(out.get(), formatText("%04X: ", locationCounter));
    if (std::fclose(out.release()) != 0) {
        fileError_ = systemError("cannot write", temporary);
        return false;
    }
    return true;
}

bool Assembler8086::runPass2(const std::string& sourcePath) {
    const std::filesystem::path temporary = intermediatePath();
    std::ifstream in(temporary, std::ios::binary);
    if (!in) {
        fileError_ = systemError("cannot read", temporary);
        return false;
    }
    std::string list;
    if (listingMode_) {
        list = listingHeader(localTime_ ? localTime_() : currentLocalTime());
    }

    // The whole intermediate file is read: bounding it by the editor's line count would drop
    // the last lines of a listing with many procedure headers.
    line() = 0;
    std::string raw;
    while (std::getline(in, raw)) {
        if (progress_->cancelled()) {
            return false;
        }
        ++line();
        std::string current(cleanLine(raw));
        if (current.empty()) {
            continue;
        }
        if (const std::size_t mark1 = current.find("#1"); mark1 != std::string::npos) {
            const std::size_t mark2 = current.find("#2", mark1);
            const std::size_t mark3 = current.find("#3", mark2);
            const std::string mnemonic = current.substr(mark1 + 2, mark2 - mark1 - 2);
            const std::string target = current.substr(mark2 + 2, mark3 - mark2 - 2);
            const std::string rest = current.substr(mark3 + 2);
            const std::uint16_t targetAddress = lookupSymbol(target);
            if (targetAddress == 0) {
                return pane_.reportError("Unrecognized symbol " + target, WithLine::No);
            }
            const InstructionTemplate* row = findRow(mnemonic + "_", 0, kTemplateCount);
            if (!row) {
                return pane_.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
            }
            const std::string address = current.substr(0, 4);
            const auto displacement =
                static_cast<std::uint16_t>(targetAddress - (parseHex(address) + row->baseSize));
            const std::string displacementText =
                row->baseSize == 2
                    ? formatText("%02X", displacement & 0xFFu)
                    : formatText("%02X %02X", displacement & 0xFFu, displacement >> 8u);
            current = resolvedJumpLine(address, row->bitPattern, displacementText, rest);
            progress_->step();
        }
        list += listingMode_ ? formatListingLine(current) : current + std::string(kLineEnd);
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

}  // namespace tarvix
