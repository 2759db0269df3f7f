// tarvix-asm: the assembler from the command line.
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "assembler/assembler8086.h"
#include "common/output_pane.h"
#include "common/text.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage() {
    std::cerr << "usage: tarvix-asm --encode 'STATEMENT'\n"
                 "       print the bytes of one statement, as the list file writes them\n";
    return kExitUsage;
}

int encode(std::string_view statementText) {
    tarvix::MemoryOutputSink sink;
    const int currentLine = 1;
    sink.lineSource = &currentLine;
    tarvix::OutputPane pane(sink);
    tarvix::Assembler8086 assembler(pane);

    std::string bytes;
    if (!assembler.encodeSingleStatement(statementText, bytes)) {
        std::cerr << sink.text << '\n';
        return kExitFailed;
    }
    std::cout << tarvix::trimRight(bytes) << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--encode") {
        return encode(argv[2]);
    }
    return usage();
}
