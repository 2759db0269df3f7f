#include "simulator/dispatcher.h"

#include <gtest/gtest.h>

namespace tarvix {
namespace {

class Dispatcher : public ::testing::Test {
protected:
    DecodedInstruction decode(std::string_view line) { return decodeLine(line, kit.cpu); }

    MemoryOutputSink sink;
    OutputPane pane{sink};
    Kit kit{pane};
};

TEST_F(Dispatcher, LineReadingTable) {
    struct Case {
        const char* line;
        bool instruction;
        const char* mnemonic;
        const char* dest;
        const char* source;
    };
    const Case cases[] = {
        {"   MOV   AX  ,  BX   ; copy", true, "MOV", "AX", "BX"},
        {"again:\tDEC\tCX", true, "DEC", "CX", ""},
        {"back: ret", true, "ret", "", ""},
        {"MOV AX,BX,CX", true, "MOV", "AX", "BX,CX"},
        {"MOV AX,ES:[BX]", true, "[BX]", "", ""},
        {"mov al,[bx + si + 4]", true, "mov", "al", "[bx+si+4]"},
        {"mov al,[bx - 2]", true, "mov", "al", "[bx-2]"},
        {"mov al, bptr  [si]", true, "mov", "al", "bptr [si]"},
        {"hlt\r", true, "hlt", "", ""},
        {"only:", false, "", "", ""},
        {"   ; a comment", false, "", "", ""},
        {"\t \t", false, "", "", ""},
    };
    for (const Case& c : cases) {
        const DecodedInstruction d = decode(c.line);
        EXPECT_EQ(d.operation != Operation::None, c.instruction) << c.line;
        EXPECT_EQ(d.mnemonic, c.mnemonic) << c.line;
        EXPECT_EQ(d.destText, c.dest) << c.line;
        EXPECT_EQ(d.sourceText, c.source) << c.line;
    }
}

// Every other mnemonic is exercised by the executor and differential tests.
TEST_F(Dispatcher, OnlyTheKitsMnemonicsHaveExecutors) {
    EXPECT_NE(decode("Jmp x").executor, nullptr) << "in any case";
    for (const char* unknown : {"jmpx", "jnae", "jnbe", "jnge", "jnle", "rep", "repz", "repnz",
                                "lahf", "sahf", "lds", "les", "retf", "wait", "lock", "[bx]"}) {
        const DecodedInstruction d = decode(unknown);
        EXPECT_EQ(d.operation, Operation::Unknown) << unknown;
        EXPECT_EQ(d.executor, nullptr) << unknown;
    }
}

}  // namespace
}  // namespace tarvix
