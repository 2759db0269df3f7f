// The kit against Unicorn: every instruction form case by case, random whole programs, and
// hand-written programs for the edges of the kit's memory, stack and refusals; a few programs
// the harness must catch, so that a silent harness cannot pass for agreement.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "tests/differential/instruction_cases.h"
#include "tests/differential/unicorn_harness.h"

namespace tarvix::test {
namespace {

// A generated program must halt, refused nowhere; a failure's report carries its source.
bool agrees(const DifferentialCase& program, std::uint64_t& instructions) {
    const DifferentialResult result = runDifferential(program);
    instructions += result.instructions;
    const bool agreed = result.agreed && result.refusedFor.empty();
    EXPECT_TRUE(agreed) << "refused for: \"" << result.refusedFor << "\"\n"
                        << result.report << "source:\n"
                        << program.source;
    return agreed;
}

class InstructionForms : public ::testing::TestWithParam<std::size_t> {};

TEST_P(InstructionForms, KitAgreesWithUnicorn) {
    const FormFamily& family = formFamilies()[GetParam()];
    std::uint64_t instructions = 0;
    int failures = 0;
    for (std::size_t f = 0; f < family.forms.size() && failures < 3; ++f) {
        for (int done = 0; done < family.casesPerForm; done += kMaxCasesPerProgram) {
            const std::uint64_t seed = f * 1000 + static_cast<std::uint64_t>(done) + 1;
            if (!agrees(generateCases(family.forms[f], seed, family.casesPerForm - done),
                        instructions)) {
                ++failures;
                break;
            }
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
    std::map<std::string, int> statements;  // by their first word
    int failures = 0;
    for (std::uint64_t seed = 1; seed <= 150 && failures < 3; ++seed) {
        // Without procedures HLT is the last line.
        const DifferentialCase program = generateProgram(seed, static_cast<int>(seed % 4));
        std::istringstream lines(program.source);
        for (std::string line; std::getline(lines, line);) {
            std::string_view text(line);
            text = text.substr(0, text.find(';'));
            text = trim(
                text.substr(text.find(':') == std::string_view::npos ? 0 : text.find(':') + 1));
            ++statements[toLower(text.substr(0, text.find_first_of(" \t\r")))];
        }
        failures += agrees(program, instructions) ? 0 : 1;
    }
    EXPECT_GT(instructions, 20000u);
    // The generator must keep producing every kind of statement it is meant to.
    std::vector<std::string> expected{"jcxz", "loop", "loope", "loopnz", "call",  "ret",  "jmp",
                                      "db",   "dw",   "push",  "pop",    "pushf", "popf", "jg",
                                      "jnl",  "jpo",  "ja",    "jbe",    "hlt"};
    for (const FormFamily& family : formFamilies()) {
        for (const InstructionForm& form : family.forms) {
            expected.push_back(form.mnemonic.substr(0, form.mnemonic.find(' ')));
        }
    }
    for (const std::string& m : expected) {
        EXPECT_GE(statements[m], 5) << m << " is rare in the generated programs";
    }
}

struct HandCase {
    const char* name;
    const char* source;
    std::string_view refusal;    // the deliberate difference the kit must refuse for
    std::uint64_t minimumSteps;  // at least this many instructions compared
    std::string_view caught;     // or: the difference the harness must report
};

const HandCase kHandCases[] = {
    // The stack's bounds; code 1000H..1005H: a push at SP=1008H lands right after it.
    {"PopWithNothingPushed", "push ax\npop bx\npop cx\nhlt\n", "Stack bounds", 2, {}},
    {"PushAtTheBottomOfTheWindow", "mov sp,1000\npush ax\nhlt\n", "Stack bounds", 1, {}},
    {"PushJustAboveTheCode", "mov sp,1008\npush ax\npop bx\nhlt\n", {}, 3, {}},
    {"PushIntoTheCode", "mov sp,1007\npush ax\npop bx\nhlt\n", "Program code is read-only", 1, {}},
    {"WriteIntoTheCode", "mov bptr [1001],90\nhlt\n", "Program code is read-only", 0, {}},
    // The window's ends, XLAT's BX+AL added without 16-bit wrap, and effective addresses that
    // wrap into the window.
    {"XlatReads1FFFH", "mov bptr [1fff],5a\nmov bx,1f00\nmov al,ff\nxlat\nhlt\n", {}, 4, {}},
    {"XlatPastTheWindow", "mov bx,1fff\nmov al,1\nxlat\nhlt\n", "Memory window", 2, {}},
    {"XlatPast64K", "mov bx,ffff\nmov al,2\nxlat\nhlt\n", "Memory window", 2, {}},
    {"WordAt1FFEH",
     "mov wptr [1ffe],5a33\nmov bx,1ffe\nmov ax,[bx]\nmov [bx-1],ax\n"
     "xchg [1ffe],bx\nhlt\n",
     {},
     5,
     {}},
    {"WordReadAt1FFFH", "mov bptr [1fff],5a\nmov ax,[1fff]\nhlt\n", "Memory window", 1, {}},
    {"StoswAt1FFFH", "mov di,1fff\nstosw\nhlt\n", "Memory window", 1, {}},
    {"DisplacementBelowTheWindow", "mov bx,1\nmov al,[bx-2]\nhlt\n", "Memory window", 1, {}},
    {"EffectiveAddressWraps",
     "mov bptr [1800],42\nmov bx,f000\nmov si,2800\nmov al,[bx+si]\n"
     "mov di,ffff\nmov ah,[di+1801]\nmov bp,2000\nmov [bp+si+d000],ax\nmov dx,[si+f000]\nhlt\n",
     {},
     9,
     {}},
    // Data between the code: readable and writable. JMP takes 3 bytes: the table is at 1003H.
    {"DataBetweenTheCode",
     "jmp start\ntable: db 11,22,33\nstart: mov bx,1003\nmov al,2\nxlat\n"
     "mov bptr [1004],77\nmov ah,[1004]\nhlt\n",
     {},
     6,
     {}},
    {"RetToTheMiddleOfAnInstruction",
     "mov ax,1001\npush ax\nret\nhlt\n",
     "Targets are lines",
     2,
     {}},
    // LOOP from CX=0 goes on with FFFFH; JCXZ tests CX, not CL.
    {"LoopFromCx0", "mov cx,0\nloop taken\nhlt\ntaken: hlt\n", {}, 2, {}},
    {"JcxzWithCl0", "mov cx,100\njcxz done\nmov cx,0\njcxz done\nnop\ndone: hlt\n", {}, 4, {}},
    // Thousands of passes, one step of the kit.
    {"LongRepetitions",
     "cld\nmov di,1100\nmov cx,0e00\nmov al,77\nrepne scasb\nstd\n"
     "mov di,1eff\nmov cx,0c00\nrepne stosb\nhlt\n",
     {},
     9,
     {}},
    {"RepIsNoKitMnemonic", "mov cx,3\nmov di,1800\nrep stosb\nhlt\n", "Refused forms", 2, {}},
    {"RepeatedLodsRefused", "mov si,1800\nmov cx,2\nrepe lodsb\nhlt\n", "Refused forms", 2, {}},
    // Divide errors report the type-0 interrupt and change nothing; IDIV takes -128 and -32768
    // as quotients.
    {"DivideByZero", "mov ax,1234\nmov bl,0\ndiv bl\nhlt\n", "Divide error", 2, {}},
    {"DivideOverflow", "mov ax,0400\nmov bl,2\ndiv bl\nhlt\n", "Divide error", 2, {}},
    {"IdivOverflowAt128", "mov ax,0080\nmov bl,1\nidiv bl\nhlt\n", "Divide error", 2, {}},
    {"IdivQuotientsAtTheLowEnd",
     "mov ax,0080\nmov bl,ff\nidiv bl\nmov dx,ffff\nmov ax,8000\n"
     "mov bx,1\nidiv bx\nmov dx,0\nmov ax,8000\nmov cx,ffff\nidiv cx\nhlt\n",
     {},
     10,
     {}},
    // The harness must catch these: a FLAGS word taken into a register shows bit 1, a processor
    // returns into data right after a CALL, and a program must halt.
    {"FlagsIntoARegister", "pushf\npop ax\nhlt\n", {}, 0, "AX kit 0000, Unicorn 0002"},
    {"DataAfterACall", "call sub\ndb 90\nhlt\nsub: ret\n", {}, 0, "memory 1FFE"},
    {"NoHalt", "mov ax,1\n", {}, 0, "line 1"},
};

TEST(HandWritten, KitAgreesWithUnicornOrTheHarnessCatchesIt) {
    for (const HandCase& c : kHandCases) {
        SCOPED_TRACE(c.name);
        const DifferentialResult result = runDifferential({c.name, c.source, {}});
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
