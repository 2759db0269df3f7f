// tarvix-asm: the assembler from the command line. It writes the same list files as the
// GUI's Run (run mode) and Assemble (listing mode) commands, and prints the pane's messages.
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "assembler/assembler8086.h"
#include "assembler/list_file.h"
#include "assembler/source_file.h"
#include "cli/command_line.h"
#include "cli/tool_status.h"
#include "common/output_pane.h"
#include "common/source_limits.h"
#include "common/temporary_paths.h"
#include "common/text.h"

namespace {

using tarvix::kExitFailed;
using tarvix::kExitUsage;

constexpr const char* kUsage =
    "usage: tarvix-asm [--listing] FILE.asm   assemble into FILE.lst (run mode, or\n"
    "                                        listing mode with --listing)\n"
    "       tarvix-asm --encode 'STATEMENT'  print the bytes of one statement\n";

int usage() {
    std::cerr << kUsage;
    return kExitUsage;
}

// The pane, with the line counter that its errors name.
struct Reporter {
    Reporter() { sink.lineSource = &currentLine; }
    int currentLine = 0;
    tarvix::MemoryOutputSink sink;
    tarvix::OutputPane pane{sink};
};

int encode(std::string_view statementText) {
    Reporter reporter;
    reporter.currentLine = 1;
    tarvix::Assembler8086 assembler(reporter.pane, &reporter.currentLine);
    std::string bytes;
    if (!assembler.encodeSingleStatement(statementText, bytes)) {
        std::cerr << reporter.sink.text << '\n';
        return kExitFailed;
    }
    std::cout << tarvix::trimRight(bytes) << '\n';
    return 0;
}

int assembleFile(const std::string& path, bool listing) {
    std::string error;
    const std::optional<tarvix::SourceText> source = tarvix::readSourceText(path, error);
    if (!source) {
        std::cerr << "tarvix-asm: " << error << '\n';
        return kExitUsage;
    }
    if (tarvix::listFilePath(path).empty()) {
        std::cerr << "tarvix-asm: " << path << ": the name needs an extension such as .asm\n";
        return kExitUsage;
    }
    Reporter reporter;
    if (source->lines > tarvix::kMaxSourceLines) {
        reporter.pane.reportError("Large file", tarvix::WithLine::No);
        std::cerr << reporter.sink.text << '\n';
        return kExitFailed;
    }
    tarvix::Assembler8086 assembler(reporter.pane, &reporter.currentLine);
    assembler.setListingMode(listing);
    if (!assembler.assemble(path, source->bytes, source->lines)) {
        if (reporter.pane.errorLatched()) {
            std::cerr << reporter.sink.text << '\n';
            return kExitFailed;
        }
        std::cerr << "tarvix-asm: " << assembler.fileError() << '\n';
        return kExitUsage;
    }
    return 0;
}

int usage(std::string_view problem) {
    std::cerr << "tarvix-asm: " << problem << '\n';
    return usage();
}

int command(int argc, char** argv) {
    CLI::App app;
    tarvix::prepareApp(app);
    bool help = false;
    bool listing = false;
    std::optional<std::string> statement;
    std::string path;
    app.add_flag("--help", help);
    app.add_flag("--listing", listing);
    tarvix::addValueOption(app, "--encode", [&statement](const std::string& text) {
        statement = text;
        return text.empty() ? "--encode needs a statement" : std::string();
    });
    app.add_option("file", path);
    const std::string problem =
        tarvix::parseCommandLine(app, argc, argv, "only one source file can be assembled");
    if (!problem.empty()) {
        return usage(problem);
    }
    if (help) {
        std::cout << kUsage;
        return 0;
    }
    if (statement && !listing && path.empty()) {
        return encode(*statement);
    }
    if (!statement && !path.empty()) {
        return assembleFile(path, listing);
    }
    return usage();
}

}  // namespace

int main(int argc, char** argv) {
    tarvix::guardStandardStreams();
    tarvix::removeTemporaryPathsOnSignals();
    return tarvix::statusAfterReport(command(argc, argv), "tarvix-asm");
}
