// Clock counts against Intel's 8086 timing table (8086 Family User's Manual, table 2-21): a row
// of every family with its effective-address time, then whole programs for the parts that
// depend on the run (a transfer taken, repetitions, bits shifted, odd words).
#include <gtest/gtest.h>

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

struct ClockCase {
    const char* line;
    std::uint16_t clocks;  // the table's count plus the effective-address time
    std::uint16_t extra;
};

// clang-format off
const ClockCase kForms[] = {
    {"mov ax,bx", 2, 0},           {"mov bx,1234", 4, 0},
    {"mov ax,[1200]", 10, 0},      {"mov [1200],al", 10, 0},       // accumulator, direct
    {"mov bx,[1200]", 8 + 6, 0},   {"mov [si],bx", 9 + 5, 0},
    {"mov wptr [bx+si+4],5", 10 + 11, 0},
    {"mov bx,[bp]", 8 + 9, 0},     {"mov bx,[bp+si]", 8 + 8, 0},   // [bp] has a displacement
    {"mov bx,[bx+di+2]", 8 + 12, 0}, {"mov bx,[bp+di+2]", 8 + 11, 0},
    {"add ax,bx", 3, 0},           {"add [bx],ax", 16 + 5, 0},
    {"add al,5", 4, 0},            {"add bptr [bp+di],5", 17 + 7, 0},
    {"adc dx,[bx+di]", 9 + 8, 0},  {"sbb cx,7", 4, 0},
    {"cmp [1200],ax", 9 + 6, 0},   {"cmp wptr [si],3", 10 + 5, 0},
    {"test al,1", 4, 0},           {"test bl,1", 5, 0},            {"test wptr [si+2],1", 11 + 9, 0},
    {"inc cx", 2, 0},              {"inc cl", 3, 0},               {"dec wptr [1200]", 15 + 6, 0},
    {"neg ax", 3, 0},              {"not bptr [di]", 16 + 5, 0},
    {"mul bl", 73, 0},             {"mul cx", 125, 0},             {"imul bptr [si]", 95 + 5, 0},
    {"div wptr [1200]", 159 + 6, 0}, {"idiv bx", 174, 0},
    {"shl ax,1", 2, 0},            {"shl ax,cl", 8, 4},
    {"rcr bptr [si],1", 15 + 5, 0}, {"sar wptr [bx],cl", 20 + 5, 4},
    {"push bx", 11, 0},            {"pop wptr [di+4]", 17 + 9, 0},
    {"pushf", 10, 0},              {"popf", 8, 0},
    {"xchg ax,bx", 3, 0},          {"xchg bx,cx", 4, 0},           {"xchg si,[bx]", 17 + 5, 0},
    {"xlat", 11, 0},               {"lea si,[bx+4]", 2 + 9, 0},
    {"in al,20", 10, 0},           {"in al,dx", 8, 0},
    {"out 20,al", 10, 0},          {"out dx,ax", 8, 0},
    {"aaa", 4, 0},                 {"aam", 83, 0},                 {"aad", 60, 0},
    {"cbw", 2, 0},                 {"cwd", 5, 0},
    {"movsb", 18, 0},              {"cmpsw", 22, 0},               {"scasb", 15, 0},
    {"lodsw", 12, 0},              {"stosb", 11, 0},
    {"repe movsb", 9, 17},         {"repne scasb", 9, 15},         {"repe cmpsw", 9, 22},
    {"repe stosw", 9, 10},
    {"jnz target", 4, 12},         {"loop target", 5, 12},         {"loope target", 6, 12},
    {"loopne target", 5, 14},      {"jcxz target", 6, 12},
    {"jmp target", 15, 0},         {"jmp bx", 11, 0},              {"jmp wptr [1200]", 18 + 6, 0},
    {"call target", 19, 0},        {"call bx", 16, 0},             {"ret", 8, 0},
    {"int 21", 51, 0},             {"into", 4, 49},                {"iret", 24, 0},
    {"clc", 2, 0},                 {"sti", 2, 0},                  {"nop", 3, 0},
    {"connect led55", 0, 0},       {"hlt", 0, 0},
};
// clang-format on

using ClockTable = KitFixture;

TEST_F(ClockTable, EachFormTakesTheTablesCount) {
    loadTestProgram();
    for (const ClockCase& c : kForms) {
        const InstructionClocks clocks = decodeLine(c.line, kit.cpu).clocks;
        EXPECT_EQ(clocks.clocks, c.clocks) << c.line;
        EXPECT_EQ(clocks.extra, c.extra) << c.line;
    }
}

struct ProgramCase {
    const char* source;
    std::uint64_t cycles;
};

TEST_F(ClockTable, ARunCountsWhatItsInstructionsDid) {
    const ProgramCase cases[] = {
        // 4095 passes taken, the last falls through; HLT is not counted.
        {"mov cx,1000\nl: loop l\nhlt\n", 4 + 17 * 0xFFF + 5},
        {"mov ax,0\ncmp ax,0\njz l\nnop\nl: hlt\n", 4 + 4 + 16},
        {"mov ax,1\ncmp ax,0\njz l\nnop\nl: hlt\n", 4 + 4 + 4 + 3},
        {"mov cl,3\nshl ax,cl\nhlt\n", 4 + 8 + 4 * 3},
        {"mov cx,3\nmov si,1800\nmov di,1900\nrepe movsb\nhlt\n", 4 + 4 + 4 + 9 + 17 * 3},
        {"mov cx,0\nrepe movsb\nhlt\n", 4 + 9},
        // A word at an odd address takes the bus twice: 4 more a transfer, the stack's too.
        {"mov ax,[1200]\nhlt\n", 10},
        {"mov ax,[1201]\nhlt\n", 10 + 4},
        {"call p\nhlt\np: ret\n", 19 + 8},
        {"mov sp,1fff\ncall p\nhlt\np: ret\n", 4 + 19 + 4 + 8 + 4},
        {"mov wptr [1801],1\nadd wptr [1801],1\nhlt\n", 10 + 6 + 4 + 17 + 6 + 8},
    };
    for (const ProgramCase& c : cases) {
        run(c.source);
        EXPECT_EQ(driver.lastEnding(), RunEnding::Halted) << c.source << sink.text;
        EXPECT_EQ(driver.lastCycleCount(), c.cycles) << c.source;
    }
}

}  // namespace
}  // namespace tarvix
