// The kit against Unicorn: every instruction form case by case, random whole programs, and
// hand-written programs for the edges of the kit's memory, stack and refusals; a few programs
// the harness must catch, so that a silent harness cannot pass for agreement.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "tests/differential/instruction_cases.h"
#include "tests/differential/random_program.h"
#include "tests/differential/unicorn_harness.h"

namespace tarvix::test {

void PrintTo(Family family, std::ostream* os) {
    *os << familyName(family);
}

namespace {

std::uint64_t environmentCount(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// Runs the program; a failure's report carries its source.
bool agrees(const DifferentialCase& program, std::uint64_t& instructions) {
    const DifferentialResult result = runDifferential(program);
    instructions += result.instructions;
    if (result.agreed && !result.refusedFor && result.codeEnd <= kCaseFlags) {
        return true;
    }
    ADD_FAILURE() << program.name << ": "
                  << (result.refusedFor
                          ? "refused for \"" +
                                std::string(deliberateDifference(*result.refusedFor).name) +
                                "\", which generated programs avoid\n"
                          : std::string())
                  << (result.codeEnd > kCaseFlags ? "the code reaches the data\n" : "")
                  << result.report << "source:\n"
                  << program.source;
    return false;
}

// --- Every instruction form, case by case ---------------------------------------------------

// Cases per form, by family: a few thousand per mnemonic, within the suite's time.
constexpr std::array<std::uint64_t, kFamilies.size()> kCasesPerForm{
    {120, 400, 400, 400, 800, 2000, 480}};

class InstructionForms : public ::testing::TestWithParam<Family> {};

TEST_P(InstructionForms, KitAgreesWithUnicorn) {
    const Family family = GetParam();
    const std::uint64_t perForm =
        environmentCount("TARVIX_DIFF_CASES", kCasesPerForm[static_cast<std::size_t>(family)]);
    const std::span<const InstructionForm> forms = formsOf(family);
    std::uint64_t instructions = 0;
    int failures = 0;
    for (std::size_t f = 0; f < forms.size() && failures < 3; ++f) {
        for (std::uint64_t done = 0, seed = f * 1000; done < perForm; done += kMaxCasesPerProgram) {
            const auto cases =
                static_cast<int>(std::min<std::uint64_t>(kMaxCasesPerProgram, perForm - done));
            if (!agrees(generateCases(forms[f], ++seed, cases), instructions)) {
                ++failures;
                break;
            }
        }
    }
    std::cout << familyName(family) << ": " << forms.size() << " forms x " << perForm << " cases, "
              << instructions << " instructions compared\n";
}

INSTANTIATE_TEST_SUITE_P(Families, InstructionForms, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<Family>& p) {
                             std::string name(familyName(p.param));
                             std::erase(name, ' ');
                             return name;
                         });

// --- Random whole programs --------------------------------------------------------------------

// The first word of each line, labels and comments left out.
void countMnemonics(std::string_view source, std::map<std::string, int>& counts) {
    while (!source.empty()) {
        const std::size_t end = std::min(source.find('\n'), source.size());
        std::string_view text = source.substr(0, end);
        source.remove_prefix(std::min(end + 1, source.size()));
        text = text.substr(0, text.find(';'));
        text = trim(text.substr(text.find(':') == std::string_view::npos ? 0 : text.find(':') + 1));
        ++counts[toLower(text.substr(0, text.find_first_of(" \t\r")))];
    }
}

TEST(RandomPrograms, KitAgreesWithUnicorn) {
    const std::uint64_t first = environmentCount("TARVIX_DIFF_FIRST_SEED", 1);
    const std::uint64_t count = environmentCount("TARVIX_DIFF_PROGRAMS", 150);
    std::uint64_t instructions = 0;
    std::map<std::string, int> mnemonics;
    int failures = 0;
    for (std::uint64_t seed = first; seed < first + count && failures < 3; ++seed) {
        // Without procedures HLT is the last line.
        const DifferentialCase program = generateProgram(seed, static_cast<int>(seed % 4));
        countMnemonics(program.source, mnemonics);
        failures += agrees(program, instructions) ? 0 : 1;
    }
    std::cout << "differential: " << count << " programs, " << instructions
              << " instructions compared\n";
    // The generator must keep producing every kind of statement it is meant to.
    std::vector<std::string> expected{"jcxz", "loop", "loope", "loopnz", "call",  "ret",  "jmp",
                                      "db",   "dw",   "push",  "pop",    "pushf", "popf", "jg",
                                      "jnl",  "jpo",  "ja",    "jbe",    "hlt"};
    for (const Family family : kFamilies) {
        for (const InstructionForm& form : formsOf(family)) {
            expected.push_back(form.mnemonic.substr(0, form.mnemonic.find(' ')));
        }
    }
    for (const std::string& m : expected) {
        EXPECT_GE(mnemonics[m], 5) << m << " is rare in the generated programs";
    }
}

// --- Hand-written programs -----------------------------------------------------------------

struct HandCase {
    const char* name;
    const char* source;
    std::vector<MemoryBlock> memory;
    std::optional<KitDifference> refusal;  // the kit must refuse for this reason
    std::uint64_t minimumSteps;            // at least this many instructions compared
};

void PrintTo(const HandCase& c, std::ostream* os) {
    *os << c.name;
}

class HandWritten : public ::testing::TestWithParam<HandCase> {};

TEST_P(HandWritten, KitAgreesWithUnicorn) {
    const HandCase& c = GetParam();
    const DifferentialResult result = runDifferential({c.name, c.source, c.memory});
    ASSERT_TRUE(result.agreed) << result.report;
    EXPECT_EQ(result.refusedFor, c.refusal)
        << (result.refusedFor ? deliberateDifference(*result.refusedFor).name : "no refusal");
    EXPECT_GE(result.instructions, c.minimumSteps);
}

using enum KitDifference;

const std::vector<MemoryBlock> kTopBytes = {{0x1FFC, {0x11, 0x22, 0x33, 0x5A}}};

INSTANTIATE_TEST_SUITE_P(
    Edges, HandWritten,
    ::testing::Values(
        // The stack's bounds; code 1000H..1005H: a push at SP=1008H lands right after it.
        HandCase{"PopWithNothingPushed", "push ax\npop bx\npop cx\nhlt\n", {}, StackBounds, 2},
        HandCase{"PushAtTheBottomOfTheWindow", "mov sp,1000\npush ax\nhlt\n", {}, StackBounds, 1},
        HandCase{"PushJustAboveTheCode", "mov sp,1008\npush ax\npop bx\nhlt\n", {}, {}, 3},
        HandCase{"PushIntoTheCode", "mov sp,1007\npush ax\npop bx\nhlt\n", {}, CodeWriteRefused, 1},
        HandCase{"WriteIntoTheCode", "mov bptr [1001],90\nhlt\n", {}, CodeWriteRefused, 0},
        // The window's ends, XLAT's BX+AL added without 16-bit wrap, and effective addresses
        // that wrap into the window.
        HandCase{"XlatReads1FFFH", "mov bx,1f00\nmov al,ff\nxlat\nhlt\n", kTopBytes, {}, 3},
        HandCase{"XlatPastTheWindow", "mov bx,1fff\nmov al,1\nxlat\nhlt\n", kTopBytes, MemoryWindow,
                 2},
        HandCase{"XlatPast64K", "mov bx,ffff\nmov al,2\nxlat\nhlt\n", {}, MemoryWindow, 2},
        HandCase{"WordAt1FFEH",
                 "mov bx,1ffe\nmov ax,[bx]\nmov [bx-1],ax\nxchg [1ffe],bx\nhlt\n",
                 kTopBytes,
                 {},
                 4},
        HandCase{"WordReadAt1FFFH", "mov ax,[1fff]\nhlt\n", kTopBytes, MemoryWindow, 0},
        HandCase{"StoswAt1FFFH", "mov di,1fff\nstosw\nhlt\n", {}, MemoryWindow, 1},
        HandCase{
            "DisplacementBelowTheWindow", "mov bx,1\nmov al,[bx-2]\nhlt\n", {}, MemoryWindow, 1},
        HandCase{"EffectiveAddressWraps",
                 "mov bx,f000\nmov si,2800\nmov al,[bx+si]\nmov di,ffff\nmov ah,[di+1801]\n"
                 "mov bp,2000\nmov [bp+si+d000],ax\nmov dx,[si+f000]\nhlt\n",
                 {{0x1800, {0x42}}},
                 {},
                 8},
        // Data between the code: readable and writable. JMP takes 3 bytes: the table is at 1003H.
        HandCase{"DataBetweenTheCode",
                 "        jmp start\n"
                 "table:  db 11,22,33\n"
                 "start:  mov bx,1003\n"
                 "        mov al,2\n"
                 "        xlat\n"
                 "        mov bptr [1004],77\n"
                 "        mov ah,[1004]\n"
                 "        hlt\n",
                 {},
                 {},
                 6},
        HandCase{"RetToTheMiddleOfAnInstruction",
                 "mov ax,1001\npush ax\nret\nhlt\n",
                 {},
                 TargetsAreLines,
                 2},
        // LOOP from CX=0 goes on with FFFFH; JCXZ tests CX, not CL.
        HandCase{"LoopFromCx0", "mov cx,0\nloop taken\nhlt\ntaken: hlt\n", {}, {}, 2},
        HandCase{"JcxzWithCl0",
                 "mov cx,100\njcxz done\nmov cx,0\njcxz done\nnop\ndone: hlt\n",
                 {},
                 {},
                 4},
        // Thousands of passes, one step of the kit.
        HandCase{"LongRepetitions",
                 "cld\nmov di,1100\nmov cx,0e00\nmov al,77\nrepne scasb\nstd\nmov di,1eff\n"
                 "mov cx,0c00\nrepne stosb\nhlt\n",
                 {},
                 {},
                 9},
        HandCase{
            "RepIsNoKitMnemonic", "mov cx,3\nmov di,1800\nrep stosb\nhlt\n", {}, RefusedForms, 2},
        HandCase{
            "RepeatedLodsRefused", "mov si,1800\nmov cx,2\nrepe lodsb\nhlt\n", {}, RefusedForms, 2},
        // Divide errors report the type-0 interrupt and change nothing; IDIV takes -128 and
        // -32768 as quotients.
        HandCase{"DivideByZero", "mov ax,1234\nmov bl,0\ndiv bl\nhlt\n", {}, DivideErrorStops, 2},
        HandCase{"DivideOverflow", "mov ax,0400\nmov bl,2\ndiv bl\nhlt\n", {}, DivideErrorStops, 2},
        HandCase{
            "IdivOverflowAt128", "mov ax,0080\nmov bl,1\nidiv bl\nhlt\n", {}, DivideErrorStops, 2},
        HandCase{"IdivWordOverflow",
                 "mov dx,8000\nmov ax,0\nmov bx,ffff\nidiv bx\nhlt\n",
                 {},
                 DivideErrorStops,
                 3},
        HandCase{"IdivQuotientsAtTheLowEnd",
                 "mov ax,0080\nmov bl,ff\nidiv bl\nmov dx,ffff\nmov ax,8000\nmov bx,1\n"
                 "idiv bx\nmov dx,0\nmov ax,8000\nmov cx,ffff\nidiv cx\nhlt\n",
                 {},
                 {},
                 10}),
    [](const ::testing::TestParamInfo<HandCase>& p) { return std::string(p.param.name); });

// --- The harness must catch what is wrong ---------------------------------------------------

struct CaughtCase {
    const char* name;
    const char* source;
    const char* reportMentions;
};

TEST(HarnessCatches, Differences) {
    const std::vector<CaughtCase> cases{
        // A FLAGS word taken into a register: bit 1 shows, as the table says it would.
        {"FlagsIntoARegister", "pushf\npop ax\nhlt\n", "AX kit 0000, Unicorn 0002"},
        // Data right after a CALL: the kit returns past it, a processor into it.
        {"DataAfterACall", "call sub\ndb 90\nhlt\nsub: ret\n", "memory 1FFE"},
        // IOPL set by POPF: the arithmetic clears it on the kit, not on a processor.
        {"IoplAfterArithmetic", "mov ax,3000\npush ax\npopf\nadd al,1\npushf\npop ax\nhlt\n",
         "AX kit 0002, Unicorn 3002"},
        {"NoHalt", "mov ax,1\n", "line 1"},
    };
    for (const CaughtCase& c : cases) {
        SCOPED_TRACE(c.name);
        const DifferentialResult result = runDifferential({c.name, c.source, {}});
        EXPECT_FALSE(result.agreed);
        EXPECT_TRUE(contains(result.report, c.reportMentions)) << result.report;
    }
}

}  // namespace
}  // namespace tarvix::test
