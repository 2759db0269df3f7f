// The assembler on any source, as tarvix-asm runs it: both modes, and the line count that the
// editor's buffer gives must be the one the assembler works with.
#include <cstdint>
#include <cstdlib>

#include "assembler/assembler8086.h"
#include "assembler/source_file.h"
#include "editor/x86_text_buffer.h"
#include "fuzz/fuzz_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvix;
    writeFuzzSource(data, size);
    const std::string& path = fuzzSourcePath();
    std::string error;
    const std::optional<int> lines = countSourceLines(path, error);
    CX86TextBuffer buffer;
    if (!lines || !buffer.loadFile(path)) {
        return 0;
    }
    if (buffer.lineCount() != *lines) {
        std::abort();  // the tools would disagree about the lines of this file
    }
    if (*lines > kMaxSourceLines) {
        return 0;
    }
    for (const bool listing : {false, true}) {
        int currentLine = 0;
        MemoryOutputSink sink;
        sink.lineSource = &currentLine;
        OutputPane pane(sink);
        Assembler8086 assembler(pane, &currentLine);
        assembler.setListingMode(listing);
        // A failure must say why: on the pane, or as a file problem.
        if (!assembler.assemble(path, *lines) && !pane.errorLatched() &&
            assembler.fileError().empty()) {
            std::abort();
        }
    }
    return 0;
}
