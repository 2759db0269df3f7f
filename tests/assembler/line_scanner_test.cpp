#include "assembler/line_scanner.h"

#include <gtest/gtest.h>

namespace tarvix {
namespace {

TEST(LineScanner, StatementTable) {
    struct Case {
        const char* line;
        bool statement;
        const char* label;
        const char* mnemonic;
        const char* operand1;
        const char* operand2;
        int operandSize;
        bool sizeGiven;
    };
    const Case cases[] = {
        {"start: mov ax,1234 ; load", true, "start", "mov", "ax", "1234", -1, false},
        {"MOV   AX ,  BX", true, "", "mov", "ax", "bx", -1, false},
        {"again:", true, "again", "", "", "", -1, false},
        {"again: daa", true, "again", "daa", "", "", -1, false},
        {"again:\tdec\tcl", true, "again", "dec", "cl", "", -1, false},
        {"Proc\tDelay", true, "delay", "", "", "", -1, false},
        {"call myproc", true, "", "call", "myproc", "", -1, false},
        {"process 5", true, "ess 5", "", "", "", -1, false},
        {"mov ax, es:[bx]", true, "mov ax, es", "[bx]", "", "", -1, false},
        {"inc bptr [si]", true, "", "inc", "bptr [si]", "", 0, true},
        {"mov x wptr [bx], 5", true, "", "mov", "wptr [bx]", "5", 1, true},
        {"mov al, bptr [1200]", true, "", "mov", "al", "bptr [1200]", 0, true},
        {"mov bptr [1200], wptr 5", true, "", "mov", "bptr [1200]", "wptr 5", 0, true},
        {"mov al,80h", true, "", "mov", "al", "80h", -1, false},
        {"db 1,2", true, "", "db", "", "", -1, false},
        {"msg: dw 1234", true, "msg", "dw", "", "", -1, false},
        {"out 20,al,5", true, "", "out", "20", "al,5", -1, false},
        {"hlt", true, "", "hlt", "", "", -1, false},
        {"", false, "", "", "", "", -1, false},
        {" \t ", false, "", "", "", "", -1, false},
        {"; only a comment", false, "", "", "", "", -1, false},
        {"EndP\tDelay", false, "", "", "", "", -1, false},
        {"sendp: nop", false, "", "", "", "", -1, false},
        {"connect led55", false, "", "connect", "", "", -1, false},
    };
    for (const Case& c : cases) {
        Statement s;
        EXPECT_EQ(scanLine(c.line, s), c.statement) << c.line;
        EXPECT_EQ(s.label, c.label) << c.line;
        EXPECT_EQ(s.mnemonic, c.mnemonic) << c.line;
        EXPECT_EQ(s.operand1, c.operand1) << c.line;
        EXPECT_EQ(s.operand2, c.operand2) << c.line;
        EXPECT_EQ(s.operandSize, c.operandSize) << c.line;
        EXPECT_EQ(s.sizeGiven, c.sizeGiven) << c.line;
    }
}

TEST(LineScanner, FirstOperandKeywordDecidesWordness) {
    Statement s;
    scanLine("inc wptr [bx]", s);
    EXPECT_TRUE(s.firstOperandIsWord);
    scanLine("inc bptr [bx]", s);
    EXPECT_FALSE(s.firstOperandIsWord);
    // Only a keyword on the first operand touches the flag.
    s.firstOperandIsWord = true;
    scanLine("mov al, bptr [1200]", s);
    EXPECT_TRUE(s.firstOperandIsWord);
}

TEST(LineScanner, ListingTextKeepsCaseAndDropsTheComment) {
    EXPECT_EQ(listingText("  start: mov ax,1234 ; load  "), "start: mov ax,1234");
    EXPECT_EQ(listingText("\tMov\tAX, 5"), "Mov\tAX, 5");
    EXPECT_EQ(listingText("; all comment"), "");
}

}  // namespace
}  // namespace tarvix
