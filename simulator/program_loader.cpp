#include "simulator/program_loader.h"

#include <charconv>
#include <limits>
#include <optional>
#include <vector>

#include "assembler/list_file.h"
#include "common/line_ends.h"
#include "common/operand_text.h"
#include "common/source_limits.h"
#include "common/text.h"
#include "common/text_file.h"

namespace tarvix {

namespace {

// The list file as this kit's last assembly of the source wrote it: a run loads exactly what it
// assembled, whatever another program has written to the file since. Without such an assembly,
// the file as it is.
std::optional<std::string> listFileText(const Kit& kit, const std::string& sourcePath) {
    const std::string listPath = listFilePath(sourcePath);
    if (sourcePath.empty() || listPath.empty()) {
        return std::nullopt;
    }
    if (listPath == kit.assembler.listPath()) {
        return kit.assembler.listText();
    }
    std::optional<FileContents> file =
        readWholeFile(listPath, std::numeric_limits<std::size_t>::max());
    return file ? std::optional<std::string>(std::move(file->bytes)) : std::nullopt;
}

// The decimal source line number after "$"; 0 when there is none.
std::uint16_t parseDecimal(std::string_view text) {
    unsigned value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

// The bytes of one list line into memory; false after reporting.
bool loadLine(Kit& kit, std::string_view line) {
    line = line.substr(0, line.find('$'));
    const std::size_t separator = line.find(": ");
    if (separator == std::string_view::npos) {
        return true;
    }
    auto address = static_cast<unsigned>(parseHex(line.substr(0, separator)));
    std::string_view bytes = trim(line.substr(separator + 2));
    while (!bytes.empty()) {
        if (address < 0x1000 || address > 0x1FFF) {
            return kit.pane.reportError("Code too big to fit in memory", WithLine::No);
        }
        const std::size_t space = bytes.find(' ');
        const std::string_view token = bytes.substr(0, space);
        bytes =
            space == std::string_view::npos ? std::string_view() : trim(bytes.substr(space + 1));
        const auto value = static_cast<std::uint8_t>(parseHex(token) & 0xFF);
        if (!kit.cpu.memory.writeByte(static_cast<std::uint16_t>(address), value)) {
            return kit.pane.reportError("Unable to load opcode", WithLine::Yes);
        }
        ++address;
    }
    return true;
}

// A file the assembler could not open would otherwise end the command without a word.
bool reportFileError(Kit& kit) {
    if (!kit.pane.errorLatched() && !kit.assembler.fileError().empty()) {
        kit.pane.reportError("Unable to assemble: " + kit.assembler.fileError(), WithLine::No);
    }
    return false;
}

}  // namespace

bool assembleAndLoad(Kit& kit, int editorLines, RunHost& host) {
    if (editorLines > kMaxSourceLines) {
        return kit.pane.reportError("Large file", WithLine::No);
    }
    const std::string path(trimRight(host.saveDocument()));
    if (path.empty()) {
        return kit.pane.reportError("Please save the File", WithLine::No);
    }
    kit.assembler.setListingMode(false);
    if (!kit.assembler.assemble(path, editorLines)) {
        return reportFileError(kit);
    }
    std::string_view list = kit.assembler.listText();
    while (!list.empty()) {
        if (!loadLine(kit, takeLine(list))) {
            return false;
        }
    }
    return true;
}

bool assembleForListing(Kit& kit, CX86TextBuffer& buffer, RunHost& host, std::string& listPath) {
    // Cleared first, as Run does: an error left from before would hide the refusal.
    kit.pane.clearStatus();
    if (buffer.line(0).empty() && buffer.lineCount() <= 1) {
        return kit.pane.reportError(MessageId::TypeProgram, WithLine::No);
    }
    if (buffer.lineCount() > kMaxSourceLines) {
        return kit.pane.reportError("Large file", WithLine::No);
    }
    const std::string path(trimRight(host.saveDocument()));
    if (path.empty()) {
        return kit.pane.reportError("Please save the File", WithLine::No);
    }
    kit.assembler.setListingMode(true);
    const bool assembled = kit.assembler.assemble(path, buffer.lineCount());
    buffer.setNeedsAssembly(true);
    if (!assembled) {
        return reportFileError(kit);
    }
    listPath = listFilePath(path);
    return true;
}

bool buildProgramImage(Kit& kit, const std::string& sourcePath) {
    const std::optional<std::string> text = listFileText(kit, sourcePath);
    if (!text) {
        return false;
    }
    std::vector<std::uint16_t> lineMap;
    std::vector<std::uint16_t> codeRanges;
    bool inside = false;
    std::uint16_t lastCode = 0;
    std::string_view list = *text;
    while (!list.empty()) {
        const std::string_view line = takeLine(list);
        const std::uint16_t address = parseHex(line.substr(0, 4));
        const std::size_t dollar = line.find('$');
        if (dollar != std::string_view::npos) {
            const std::uint16_t number = parseDecimal(line.substr(dollar + 1));
            lineMap.push_back(address);
            lineMap.push_back(static_cast<std::uint16_t>(number - 1));
            lastCode = address;
            if (!inside) {
                codeRanges.push_back(address);
                inside = true;
            }
        } else if (inside) {
            codeRanges.push_back(static_cast<std::uint16_t>(address - 1));
            inside = false;
        }
    }
    if (codeRanges.size() % 2 != 0) {
        codeRanges.push_back(lastCode);
    }
    kit.image.load(std::move(lineMap), std::move(codeRanges));
    return true;
}

}  // namespace tarvix
