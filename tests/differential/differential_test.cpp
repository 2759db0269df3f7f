// The kit against Unicorn: every instruction form case by case, random whole programs, and
// hand-written programs for the edges of the kit's memory, stack and refusals; a few programs
// the harness must catch, so that a silent harness cannot pass for agreement.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "tests/differential/instruction_cases.h"
#include "tests/differential/unicorn_harness.h"

namespace tarvix::test {
namespace {

// A generated program must halt, refused nowhere; a failure's report carries its source.
void expectAgreement(const DifferentialCase& program, std::uint64_t& instructions) {
    const DifferentialResult result = runDifferential(program);
    instructions += result.instructions;
    EXPECT_TRUE(result.agreed && result.refusedFor.empty())
        << "refused for: \"" << result.refusedFor << "\"\n"
        << result.report << "source:\n"
        << program.source;
}

class InstructionForms : public ::testing::TestWithParam<std::size_t> {};

TEST_P(InstructionForms, KitAgreesWithUnicorn) {
    const FormFamily& family = formFamilies()[GetParam()];
    std::uint64_t instructions = 0;
    for (std::size_t f = 0; f < family.forms.size() && !HasFailure(); ++f) {
        for (int done = 0; done < family.casesPerForm && !HasFailure();
             done += kMaxCasesPerProgram) {
            const std::uint64_t seed = f * 1000 + static_cast<std::uint64_t>(done) + 1;
            expectAgreement(generateCases(family.forms[f], seed, family.casesPerForm - done),
                            instructions);
        }
    }
    // Each case is at least PUSH, POPF and the instruction.
    EXPECT_GE(instructions,
              3 * family.forms.size() * static_cast<std::size_t>(family.casesPerForm));
}

INSTANTIATE_TEST_SUITE_P(Families, InstructionForms,
                         ::testing::Range<std::size_t>(0, formFamilies().size()),
                         [](const auto& p) { return formFamilies()[p.param].name; });

TEST(RandomPrograms, KitAgreesWithUnicorn) {
    std::uint64_t instructions = 0;
    for (std::uint64_t seed = 1; seed <= 150 && !HasFailure(); ++seed) {
        // Without procedures HLT is the last line.
        expectAgreement(generateProgram(seed, static_cast<int>(seed % 4)), instructions);
    }
    EXPECT_GT(instructions, 20000u);
}

struct HandCase {
    const char* name;
    std::string_view refusal;    // the deliberate difference the kit must refuse for
    std::uint64_t minimumSteps;  // at least this many instructions compared
    std::string_view caught;     // or: the difference the harness must report
    const char* source;
};

const HandCase kHandCases[] = {
    // The stack's bounds; code 1000H..1005H: a push at SP=1008H lands right after it.
    {"PopWithNothingPushed", "Stack bounds", 2, {}, "push ax\npop bx\npop cx\nhlt\n"},
    {"PushAtTheBottom", "Stack bounds", 1, {}, "mov sp,1000\npush ax\nhlt\n"},
    {"PushJustAboveTheCode", {}, 3, {}, "mov sp,1008\npush ax\npop bx\nhlt\n"},
    {"PushIntoTheCode", "Program code is read-only", 1, {}, "mov sp,1007\npush ax\npop bx\nhlt\n"},
    {"WriteIntoTheCode", "Program code is read-only", 0, {}, "mov bptr [1001],90\nhlt\n"},
    // The window's ends, XLAT's BX+AL added without 16-bit wrap, and effective addresses that
    // wrap into the window.
    {"XlatReads1FFFH", {}, 4, {}, "mov bptr [1fff],5a\nmov bx,1f00\nmov al,ff\nxlat\nhlt\n"},
    {"XlatPastTheWindow", "Memory window", 2, {}, "mov bx,1fff\nmov al,1\nxlat\nhlt\n"},
    {"XlatPast64K", "Memory window", 2, {}, "mov bx,ffff\nmov al,2\nxlat\nhlt\n"},
    {"WordAt1FFEH", {}, 4, {}, "mov bx,1ffe\nmov [bx],bx\nmov ax,[bx]\nmov [bx-1],ax\nhlt\n"},
    {"WordReadAt1FFFH", "Memory window", 1, {}, "mov bptr [1fff],5a\nmov ax,[1fff]\nhlt\n"},
    {"StoswAt1FFFH", "Memory window", 1, {}, "mov di,1fff\nstosw\nhlt\n"},
    {"BelowTheWindow", "Memory window", 1, {}, "mov bx,1\nmov al,[bx-2]\nhlt\n"},
    {"Wrap", {}, 4, {}, "mov bx,f000\nmov si,2800\nmov al,[bx+si]\nmov dx,[si+f000]\nhlt\n"},
    // Data between the code: readable and writable. JMP takes 3 bytes: the data is at 1003H.
    {"DataInCode", {}, 4, {}, "jmp go\ndb 11,22,33\ngo: mov bx,1003\nxlat\nmov [1004],al\nhlt\n"},
    {"RetIntoAnInstruction", "Targets are lines", 2, {}, "mov ax,1001\npush ax\nret\nhlt\n"},
    // LOOP from CX=0 goes on with FFFFH; JCXZ tests CX, not CL.
    {"LoopFromCx0", {}, 2, {}, "mov cx,0\nloop taken\nhlt\ntaken: hlt\n"},
    {"JcxzWithCl0", {}, 4, {}, "mov cx,100\njcxz done\nmov cx,0\njcxz done\nnop\ndone: hlt\n"},
    // Thousands of passes, one step of the kit.
    {"LongRepeUp", {}, 4, {}, "mov di,1100\nmov cx,0e00\nmov al,77\nrepne scasb\nhlt\n"},
    {"RepIsNoKitMnemonic", "Refused forms", 2, {}, "mov cx,3\nmov di,1800\nrep stosb\nhlt\n"},
    {"RepeatedLodsRefused", "Refused forms", 2, {}, "mov si,1800\nmov cx,2\nrepe lodsb\nhlt\n"},
    // Divide errors report the type-0 interrupt and change nothing; IDIV takes -128 and -32768
    // as quotients.
    {"DivideByZero", "Divide error", 2, {}, "mov ax,1234\nmov bl,0\ndiv bl\nhlt\n"},
    {"DivideOverflow", "Divide error", 2, {}, "mov ax,0400\nmov bl,2\ndiv bl\nhlt\n"},
    {"IdivOverflowAt128", "Divide error", 2, {}, "mov ax,0080\nmov bl,1\nidiv bl\nhlt\n"},
    {"IdivAtMinus128", {}, 3, {}, "mov ax,0080\nmov bl,ff\nidiv bl\nhlt\n"},
    {"IdivAtMinus32768", {}, 4, {}, "mov dx,ffff\nmov ax,8000\nmov bx,1\nidiv bx\nhlt\n"},
    // The harness must catch these: a FLAGS word taken into a register shows bit 1, a processor
    // returns into data right after a CALL, and a program must halt.
    {"FlagsIntoARegister", {}, 0, "AX kit 0000, Unicorn 0002", "pushf\npop ax\nhlt\n"},
    {"DataAfterACall", {}, 0, "memory 1FFE", "call sub\ndb 90\nhlt\nsub: ret\n"},
    {"NoHalt", {}, 0, "line 1", "mov ax,1\n"},
};

TEST(HandWritten, KitAgreesWithUnicornOrTheHarnessCatchesIt) {
    for (const HandCase& c : kHandCases) {
        SCOPED_TRACE(c.name);
        const DifferentialResult result = runDifferential({c.name, c.source, 0, {}});
        if (!c.caught.empty()) {
            EXPECT_FALSE(result.agreed);
            EXPECT_TRUE(contains(result.report, c.caught)) << result.report;
            continue;
        }
        EXPECT_TRUE(result.agreed) << result.report;
        EXPECT_EQ(result.refusedFor, c.refusal);
        EXPECT_GE(result.instructions, c.minimumSteps);
    }
}

}  // namespace
}  // namespace tarvix::test
