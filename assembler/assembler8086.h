// The assembler object: the statement being assembled and the location counter, with the
// per-statement steps of the first pass.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "assembler/pass_one_output.h"
#include "assembler/statement.h"
#include "assembler/symbol_table.h"
#include "assembler/template_table.h"
#include "common/output_pane.h"
#include "common/progress.h"
#include "common/source_limits.h"
#include "common/temporary_paths.h"

namespace tarvix {

inline constexpr std::uint16_t kProgramOrigin = 0x1000;

class Assembler8086 {
public:
    // currentLine is the line counter that errors name; the simulator shares it when it owns
    // one, otherwise the assembler keeps its own.
    explicit Assembler8086(OutputPane& pane, int* currentLine = nullptr);
    ~Assembler8086();

    Assembler8086(const Assembler8086&) = delete;
    Assembler8086& operator=(const Assembler8086&) = delete;

    Statement statement;
    std::uint16_t locationCounter = kProgramOrigin;

    // Listing mode writes the file the user reads; run mode the one the loader reads back.
    void setListingMode(bool listing) { listingMode_ = listing; }

    void setProgress(ProgressSink* progress) { progress_ = progress ? progress : &noProgress_; }

    // The local time stamped into a listing's header.
    void setClock(std::function<std::tm()> localTime) { localTime_ = std::move(localTime); }

    // Both passes over a saved source of `editorLines` lines; true when the list file beside
    // the source has been written. Errors of the program are reported through the pane;
    // files that cannot be opened fail silently, with the reason in fileError(), and so does
    // an assembly that the progress sink cancels.
    bool assemble(const std::string& sourcePath, int editorLines);
    // The same over the source's bytes as already read from `sourcePath`: the command-line
    // tool reads them once, to count the lines as well.
    bool assemble(const std::string& sourcePath, std::string_view source, int editorLines);
    bool runPass1(const std::string& sourcePath, int editorLines);
    bool runPass2(const std::string& sourcePath);

    bool addSymbol(std::string_view name, std::uint16_t address);
    std::uint16_t lookupSymbol(std::string_view name) const { return symbols_.lookup(name); }
    const SymbolTable& symbols() const { return symbols_; }

    // A DB or DW line appended to the intermediate line `out`, without its line end; false
    // when the statement is not one.
    bool defineData(std::string_view line, std::string& out);

    const std::string& fileError() const { return fileError_; }
    // The list file the last assembly wrote, and its text: what a run loads, whatever may have
    // been written to that file since. Both empty until an assembly succeeds.
    const std::string& listPath() const { return listPath_; }
    const std::string& listText() const { return listText_; }
    std::filesystem::path intermediatePath();

    // Classifies the operands, finds the row for the key (retrying accumulator operands as
    // plain registers), takes its pattern and adds its size to the location counter.
    bool findTemplate();

    // Sets class1, class2 and, for register operands, operandSize.
    void classifyOperands();

    // Fills "mod" and "r/m" from a register or memory operand, with displacement bytes.
    bool encodeRegOrMem(std::string_view operand);

    // Fills every field of the pattern; false when the statement cannot be encoded.
    bool encodeStatement();

    // The first pass's steps for one instruction: template, size check, encoding, the size
    // bit from BPTR/WPTR, the REP prefix. Reports a refusal with the line number.
    bool assembleInstruction(std::string& byteText);

    // Refuses a label with spaces or of ten or more characters, with the line number.
    bool checkLabel();

    // Bytes a jump, call or loop to a label takes (2 or 3), or 0 when the statement is not
    // one: calls and jumps through a register or memory are ordinary instructions.
    int labelJumpSize() const;

    // A DB or DW line: its byte text, advancing the location counter. False when the
    // statement is not a data directive.
    bool defineDataBytes(std::string_view line, std::string& byteText);

    // The first pass's steps on one statement at the current location counter, outside any
    // source: its byte text, or empty for a line that produces no bytes (comment, label).
    // A jump to a label cannot be resolved here and is refused as an unknown symbol.
    bool encodeSingleStatement(std::string_view line, std::string& byteText);

private:
    int& line() { return *currentLine_; }

    // Clears what the last assembly left and refuses a source its list file would replace.
    bool startAssembly(const std::string& sourcePath, int editorLines);
    // Refuses a source name without an extension, which gives no list file name.
    bool hasListPath(const std::string& sourcePath);
    // Pass one over the source's bytes, writing the intermediate file.
    bool passOne(std::string_view source, int editorLines);
    // Its steps over the source's lines.
    bool encodeLines(std::string_view source, int editorLines);

    OutputPane& pane_;
    int ownLine_ = 0;
    int* currentLine_;
    SymbolTable symbols_;
    bool listingMode_ = false;
    NoProgress noProgress_;
    ProgressSink* progress_ = &noProgress_;
    std::function<std::tm()> localTime_;
    std::filesystem::path privateFolder_;  // holds the intermediate file; ours alone
    // Both removed should a signal end the program.
    std::optional<TemporaryPath> folderRecord_;
    std::optional<TemporaryPath> intermediateRecord_;
    PassOneOutput passOne_;
    std::string fileError_;
    std::string listPath_;
    std::string listText_;
};

}  // namespace tarvix
