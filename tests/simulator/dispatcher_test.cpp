#include "simulator/dispatcher.h"

#include <gtest/gtest.h>

namespace tarvix {
namespace {

TEST(Dispatcher, LineReadingTable) {
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
        const DecodedLine d = decodeLine(c.line);
        EXPECT_EQ(d.hasInstruction, c.instruction) << c.line;
        EXPECT_EQ(d.mnemonic, c.mnemonic) << c.line;
        EXPECT_EQ(d.dest, c.dest) << c.line;
        EXPECT_EQ(d.source, c.source) << c.line;
    }
}

// Every other mnemonic is exercised by the executor and differential tests.
TEST(Dispatcher, OnlyTheKitsMnemonicsHaveExecutors) {
    EXPECT_NE(findExecutor("Jmp"), nullptr) << "in any case";
    for (const char* unknown : {"jmpx", "jnae", "jnbe", "jnge", "jnle", "rep", "repz", "repnz",
                                "lahf", "sahf", "lds", "les", "retf", "wait", "lock", "[bx]", ""}) {
        EXPECT_EQ(findExecutor(unknown), nullptr) << unknown;
    }
}

}  // namespace
}  // namespace tarvix
