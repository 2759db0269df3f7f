// The kit against Unicorn: generated programs in bulk, hand-written ones for the edges, and
// programs the harness must catch, so that a silent harness cannot pass for agreement.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "simulator/cpu_registers.h"
#include "tests/differential/instruction_cases.h"
#include "tests/differential/random_program.h"
#include "tests/differential/unicorn_harness.h"

namespace tarvix::test {

void PrintTo(KitDifference d, std::ostream* os) {
    *os << deliberateDifference(d).name;
}

void PrintTo(Family family, std::ostream* os) {
    *os << familyName(family);
}

namespace {

std::uint64_t environmentCount(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

TEST(DeliberateDifferences, EachHasAReasonAndRecognisedOnesAMessage) {
    std::map<KitDifference, int> seen;
    for (const DeliberateDifference& d : deliberateDifferences()) {
        EXPECT_FALSE(d.name.empty());
        EXPECT_GT(d.reason.size(), 20u) << d.name;
        EXPECT_EQ(++seen[d.id], 1) << d.name << " is listed twice";
        const bool hasMessage = d.messages[0].has_value() || !d.otherMessage.empty();
        EXPECT_EQ(hasMessage, d.handling == Handling::Recognised) << d.name;
    }
    std::cout << "The kit's deliberate differences from a processor:\n"
              << describeDeliberateDifferences();
}

TEST(UndefinedFlags, FollowThe8086Rules) {
    EXPECT_EQ(undefinedFlags("mov", "ax", 0), 0);
    EXPECT_EQ(undefinedFlags("POPF", "", 0), 0);
    EXPECT_EQ(undefinedFlags("and", "bl", 0), kAuxCarryFlag);
    EXPECT_EQ(undefinedFlags("shl", "1", 7), kAuxCarryFlag);
    EXPECT_EQ(undefinedFlags("shl", "cl", 0), 0);  // a count of 0 changes no flag
    EXPECT_EQ(undefinedFlags("sar", "cl", 3), kAuxCarryFlag | kOverflowFlag);
    EXPECT_EQ(undefinedFlags("rcl", "cl", 2), kOverflowFlag);
    EXPECT_EQ(undefinedFlags("rcl", "1", 2), 0);
    EXPECT_EQ(undefinedFlags("div", "bl", 0),
              kCarryFlag | kParityFlag | kAuxCarryFlag | kZeroFlag | kSignFlag | kOverflowFlag);
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
        // The stack.
        HandCase{"PushAndPopAtTheTop", "mov ax,1234\npush ax\npop bx\nhlt\n", {}, {}, 3},
        HandCase{
            "PopWithNothingPushed", "mov ax,1\npush ax\npop bx\npop cx\nhlt\n", {}, StackBounds, 3},
        HandCase{"RetWithNothingPushed", "nop\nret\nhlt\n", {}, StackBounds, 1},
        HandCase{"PushAtTheBottomOfTheWindow", "mov sp,1000\npush ax\nhlt\n", {}, StackBounds, 1},
        // Code 1000H..1005H: the push at SP=1008H lands right after it, at 1007H into it.
        HandCase{"PushJustAboveTheCode", "mov sp,1008\npush ax\npop bx\nhlt\n", {}, {}, 3},
        HandCase{"PushIntoTheCode", "mov sp,1007\npush ax\npop bx\nhlt\n", {}, CodeWriteRefused, 1},
        HandCase{"StackFilledDownTo1100H",
                 "        mov cx,780\n"
                 "fill:   push cx\n"
                 "        loop fill\n"
                 "        mov ax,sp\n"
                 "        mov cx,780\n"
                 "drain:  pop dx\n"
                 "        loop drain\n"
                 "        hlt\n",
                 {},
                 {},
                 4 * 0x780},
        HandCase{"PushSpPushesTheValueBeforeThePush", "push sp\npop ax\nhlt\n", {}, {}, 2},
        HandCase{"MovSpElsewhere",
                 "mov sp,1c00\nmov ax,beef\npush ax\npush wptr [1bfe]\npop [1800]\npop dx\n"
                 "hlt\n",
                 {},
                 {},
                 6},
        // XLAT and the top of the window.
        HandCase{"XlatReads1FFFH", "mov bx,1f00\nmov al,ff\nxlat\nhlt\n", kTopBytes, {}, 3},
        HandCase{"XlatFromBx1FFFH", "mov bx,1fff\nmov al,0\nxlat\nhlt\n", kTopBytes, {}, 3},
        HandCase{"XlatPastTheWindow", "mov bx,1fff\nmov al,1\nxlat\nhlt\n", kTopBytes, MemoryWindow,
                 2},
        HandCase{"XlatPast64K", "mov bx,ffff\nmov al,2\nxlat\nhlt\n", {}, MemoryWindow, 2},
        HandCase{"WordAt1FFEH",
                 "mov bx,1ffe\nmov ax,[bx]\nmov [bx-1],ax\nxchg [1ffe],bx\nhlt\n",
                 kTopBytes,
                 {},
                 4},
        HandCase{"EffectiveAddressWraps",
                 "mov bx,f000\nmov si,2800\nmov al,[bx+si]\nmov di,ffff\nmov ah,[di+1801]\n"
                 "mov bp,2000\nmov [bp+si+d000],ax\nmov dx,[si+f000]\nhlt\n",
                 {{0x1800, {0x42}}},
                 {},
                 8},
        HandCase{
            "DisplacementBelowTheWindow", "mov bx,1\nmov al,[bx-2]\nhlt\n", {}, MemoryWindow, 1},
        HandCase{"WordReadAt1FFFH", "mov ax,[1fff]\nhlt\n", kTopBytes, MemoryWindow, 0},
        HandCase{"WordWriteAt1FFFH", "mov bx,1fff\nmov [bx],ax\nhlt\n", {}, MemoryWindow, 1},
        HandCase{"ByteBelowTheWindow", "mov bx,1000\nmov al,[bx-1]\nhlt\n", {}, MemoryWindow, 1},
        HandCase{"WriteIntoTheCode", "mov bptr [1001],90\nhlt\n", {}, CodeWriteRefused, 0},
        // XCHG reports the refused write and runs on, the register already exchanged.
        HandCase{"XchgIntoTheCode", "mov bx,1000\nxchg [bx],al\nhlt\n", {}, CodeWriteRefused, 1},
        HandCase{"PopIntoTheCode", "push ax\npop [1000]\nhlt\n", {}, CodeWriteRefused, 1},
        // Data between the code: readable and writable. JMP takes 3 bytes, so the table is at
        // 1003H.
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
        // CALL and RET.
        HandCase{"NestedCalls",
                 "        call one\n"
                 "        hlt\n"
                 "one:    call two\n"
                 "        ret\n"
                 "two:    push ax\n"
                 "        call three\n"
                 "        pop ax\n"
                 "        ret\n"
                 "three:\n"
                 "        ; a label alone, then a blank line\n"
                 "\n"
                 "        ret\n",
                 {},
                 {},
                 8},
        HandCase{"RecursionCountedByLoop",
                 "        mov cx,5\n"
                 "        call rec\n"
                 "        hlt\n"
                 "rec:    loop deeper\n"
                 "        ret\n"
                 "deeper: call rec\n"
                 "        ret\n",
                 {},
                 {},
                 16},
        HandCase{"RetToTheMiddleOfAnInstruction",
                 "mov ax,1001\npush ax\nret\nhlt\n",
                 {},
                 TargetsAreLines,
                 2},
        // LOOP, LOOPE, LOOPNE and JCXZ.
        HandCase{"LoopFromCx0Wraps",
                 "        mov cx,0\nwrap:   loop wrap\n        hlt\n",
                 {},
                 {},
                 0x10001},
        HandCase{"LoopeRunsWhileZf",
                 "mov ax,0040\npush ax\npopf\nmov cx,5\nagain: loope again\nhlt\n",
                 {},
                 {},
                 9},
        HandCase{"LoopneStopsOnZf",
                 "mov ax,0040\npush ax\npopf\nmov cx,5\nagain: loopne again\nhlt\n",
                 {},
                 {},
                 5},
        HandCase{"LoopeStopsWhenZfClear", "mov cx,5\nagain: loope again\nhlt\n", {}, {}, 2},
        HandCase{"JcxzTakenAndNot",
                 "        mov cx,100\n"  // CL is 0 but CX is not
                 "        jcxz wrong\n"
                 "        mov cx,0\n"
                 "        jcxz right\n"
                 "wrong:  mov ax,bad\n"
                 "right:  mov cx,1\n"
                 "back:   jcxz done\n"
                 "        mov cx,0\n"
                 "        jmp back\n"
                 "done:   hlt\n",
                 {},
                 {},
                 7},
        // FLAGS through the stack.
        HandCase{"PopfLoadsEveryFlag",
                 "mov ax,fed5\npush ax\npopf\npushf\nmov ax,0\npush ax\npopf\npushf\npopf\npopf\n"
                 "hlt\n",
                 {},
                 {},
                 10},
        HandCase{"FlagInstructions",
                 "stc\ncmc\ncmc\nstd\nsti\nclc\ncld\ncli\nsti\npushf\nhlt\n",
                 {},
                 {},
                 10}),
    [](const ::testing::TestParamInfo<HandCase>& p) { return std::string(p.param.name); });

const std::vector<MemoryBlock> kBuffer = {{0x1800, {0x10, 0x20, 0x30, 0x41, 0x41, 0x50}},
                                          {0x1900, {0x10, 0x20, 0x30, 0x42, 0x41, 0x50}}};

INSTANTIATE_TEST_SUITE_P(
    Computation, HandWritten,
    ::testing::Values(
        // Divide errors report the type-0 interrupt and change nothing.
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
                 10},
        HandCase{"DivideByAWordAt1FFFH", "mov dx,0\nmov ax,5\ndiv wptr [1fff]\nhlt\n", kTopBytes,
                 MemoryWindow, 2},
        // Counts modulo 32, and RCL and RCR modulo 9 and 17 after that.
        HandCase{"ShiftCountsModulo32",
                 "mov ax,8001\nmov cl,21\nshl ax,cl\nmov cl,20\nrol ax,cl\nmov cl,9\n"
                 "rcl al,cl\nmov cl,31\nrcr bx,cl\nmov cl,0ff\nsar ax,cl\nhlt\n",
                 {},
                 {},
                 11},
        HandCase{
            "RepIsNoKitMnemonic", "mov cx,3\nmov di,1800\nrep stosb\nhlt\n", {}, RefusedForms, 2},
        HandCase{"RepzIsNoKitMnemonic",
                 "mov si,1800\nmov di,1900\nrepz cmpsb\nhlt\n",
                 {},
                 RefusedForms,
                 2},
        HandCase{
            "RepeatedLodsRefused", "mov si,1800\nmov cx,2\nrepe lodsb\nhlt\n", {}, RefusedForms, 2},
        // ADD reports the refused write and goes on; the comparison ends there.
        HandCase{"AddIntoTheCode", "add bptr [1000],1\nhlt\n", {}, CodeWriteRefused, 0},
        HandCase{"StosbWithDiZero", "mov di,0\nmov al,41\nstosb\nhlt\n", {}, MemoryWindow, 2},
        HandCase{"StoswAt1FFFH", "mov di,1fff\nstosw\nhlt\n", {}, MemoryWindow, 1},
        HandCase{"AddAWordAt1FFFH", "mov ax,1\nadd ax,[1fff]\nhlt\n", kTopBytes, MemoryWindow, 1},
        HandCase{"RepneScasbFindsTheFourthByte",
                 "cld\nmov di,1800\nmov al,41\nmov cx,10\nrepne scasb\nhlt\n",
                 kBuffer,
                 {},
                 5},
        HandCase{"RepeCmpsbStopsAtTheDifference",
                 "mov si,1800\nmov di,1900\nmov cx,6\nrepe cmpsb\nstd\nmov cx,4\n"
                 "repe cmpsw\nhlt\n",
                 kBuffer,
                 {},
                 7},
        // Thousands of passes, one step of the kit.
        HandCase{"LongRepetitions",
                 "cld\nmov di,1100\nmov cx,0e00\nmov al,77\nrepne scasb\nmov di,1100\n"
                 "mov cx,0e00\nmov al,0\nrepe scasb\nstd\nmov di,1eff\nmov cx,0c00\n"
                 "repne stosb\nhlt\n",
                 {},
                 {},
                 13},
        HandCase{
            "RepeWithCx0", "mov cx,0\nmov si,1800\nmov di,1900\nrepe cmpsb\nhlt\n", kBuffer, {}, 4},
        HandCase{"RepeMovsIgnoresZf",
                 "mov ax,0\npush ax\npopf\nmov cx,3\nmov si,1800\nmov di,1a00\nrepe movsb\n"
                 "std\nmov cx,2\nrepne movsw\nrepne stosw\nhlt\n",
                 kBuffer,
                 {},
                 11},
        // IOPL and bit 14 loaded by POPF; the arithmetic keeps bit 14 and clears 12 and 13.
        HandCase{"FlagImageBits",
                 "mov ax,7ed7\npush ax\npopf\nadd al,1\nnot ax\nmov cl,0\nshl ax,cl\n"
                 "cbw\nmov ax,4000\npush ax\npopf\ncmp al,1\nhlt\n",
                 {},
                 {},
                 12},
        HandCase{"MultiwordArithmetic",
                 "mov ax,ffff\nmov dx,7fff\nadd ax,1\nadc dx,0\nsub ax,1\nsbb dx,0\n"
                 "neg ax\nnot dx\nhlt\n",
                 {},
                 {},
                 8},
        HandCase{"BcdAdjustments",
                 "mov ax,000b\naaa\nmov al,3f\naam\naad\nmov al,9b\ndaa\nmov al,3\n"
                 "stc\ndas\nmov ax,0502\naas\ncbw\ncwd\nhlt\n",
                 {},
                 {},
                 14}),
    [](const ::testing::TestParamInfo<HandCase>& p) { return std::string(p.param.name); });

// --- The harness must catch what is wrong ---------------------------------------------------

struct CaughtCase {
    const char* name;
    const char* source;
    const char* reportMentions;
};

void PrintTo(const CaughtCase& c, std::ostream* os) {
    *os << c.name;
}

class HarnessCatches : public ::testing::TestWithParam<CaughtCase> {};

TEST_P(HarnessCatches, ADifference) {
    const CaughtCase& c = GetParam();
    const DifferentialResult result = runDifferential({c.name, c.source, {}});
    EXPECT_FALSE(result.agreed);
    EXPECT_TRUE(contains(result.report, c.reportMentions)) << result.report;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HarnessCatches,
    ::testing::Values(
        // A FLAGS word taken into a register: bit 1 shows, as the table says it would.
        CaughtCase{"FlagsIntoARegister", "pushf\npop ax\nhlt\n", "AX kit 0000, Unicorn 0002"},
        // Data right after a CALL: the kit returns past it, a processor into it.
        CaughtCase{"DataAfterACall", "call sub\ndb 90\nhlt\nsub: ret\n", "memory 1FFE"},
        // TF set: a processor takes the single-step interrupt after the next instruction.
        CaughtCase{"TrapFlagSet", "mov ax,0100\npush ax\npopf\nnop\nhlt\n", "Unicorn stopped"},
        // A program that never halts.
        CaughtCase{"NoHalt", "mov ax,1\n", "line 1"},
        // An instruction the kit does not have.
        CaughtCase{"UnknownToTheKit", "mov ax,1\npush cs\nhlt\n", "cannot assemble"},
        // IOPL set by POPF: the arithmetic clears it on the kit, not on a processor.
        CaughtCase{"IoplAfterArithmetic",
                   "mov ax,3000\npush ax\npopf\nadd al,1\npushf\npop ax\nhlt\n",
                   "AX kit 0002, Unicorn 3002"}),
    [](const ::testing::TestParamInfo<CaughtCase>& p) { return std::string(p.param.name); });

// --- Generated programs ----------------------------------------------------------------------

TEST(RandomPrograms, SameSeedSameProgram) {
    EXPECT_EQ(generateProgram(7).source, generateProgram(7).source);
    EXPECT_NE(generateProgram(7).source, generateProgram(8).source);
}

// The first word of each line, labels and comments left out.
void countMnemonics(std::string_view source, std::map<std::string, int>& counts) {
    while (!source.empty()) {
        const std::size_t end = std::min(source.find('\n'), source.size());
        std::string_view text = source.substr(0, end);
        source.remove_prefix(std::min(end + 1, source.size()));
        text = text.substr(0, text.find(';'));
        if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
            text = text.substr(colon + 1);
        }
        text = trim(text);
        ++counts[toLower(text.substr(0, text.find_first_of(" \t\r")))];
    }
}

TEST(RandomPrograms, KitAgreesWithUnicorn) {
    const std::uint64_t first = environmentCount("TARVIX_DIFF_FIRST_SEED", 1);
    const std::uint64_t count = environmentCount("TARVIX_DIFF_PROGRAMS", 300);
    std::uint64_t programs = 0;
    std::uint64_t instructions = 0;
    std::map<std::string, int> mnemonics;
    int failures = 0;
    for (std::uint64_t seed = first; seed < first + count && failures < 3; ++seed) {
        GeneratorOptions options;
        options.procedures = static_cast<int>(seed % 4);  // none: HLT is the last line
        const DifferentialCase program = generateProgram(seed, options);
        const DifferentialResult result = runDifferential(program);
        ++programs;
        instructions += result.instructions;
        countMnemonics(program.source, mnemonics);
        if (!result.agreed || result.refusedFor) {
            ++failures;
            ADD_FAILURE() << (result.refusedFor
                                  ? program.name + ": the kit refused for \"" +
                                        std::string(deliberateDifference(*result.refusedFor).name) +
                                        "\", which generated programs avoid\n"
                                  : std::string())
                          << result.report << "source:\n"
                          << program.source;
            continue;
        }
        EXPECT_LT(result.codeEnd, kDataFirst) << program.name << ": the code reaches the data";
    }
    std::cout << "differential: " << programs << " programs, " << instructions
              << " instructions compared\n";
    // The generator must keep producing every kind of statement it is meant to.
    for (const char* m :
         {"mov",    "xchg",  "xlat",  "push",  "pop",   "pushf", "popf", "clc",   "stc",   "cmc",
          "cld",    "std",   "cli",   "sti",   "nop",   "jcxz",  "loop", "loope", "loopz", "loopne",
          "loopnz", "call",  "ret",   "jmp",   "db",    "dw",    "je",   "jnz",   "ja",    "jbe",
          "jg",     "jl",    "jo",    "jns",   "jpe",   "jpo",   "hlt",  "add",   "sub",   "cmp",
          "adc",    "sbb",   "inc",   "dec",   "and",   "or",    "xor",  "test",  "not",   "neg",
          "shl",    "sal",   "shr",   "sar",   "rol",   "ror",   "rcl",  "rcr",   "mul",   "imul",
          "div",    "idiv",  "aaa",   "aas",   "daa",   "das",   "aam",  "aad",   "cbw",   "cwd",
          "scasb",  "cmpsw", "stosb", "lodsw", "movsb", "repe",  "repne"}) {
        EXPECT_GE(mnemonics[m], 5) << m << " is rare in the generated programs";
    }
    EXPECT_GE(instructions, 50 * programs);
}

// --- Every instruction form, case by case ---------------------------------------------------

// Cases per form, by family: a few thousand per mnemonic, within the suite's time.
constexpr std::array<std::uint64_t, 6> kCasesPerForm{{400, 400, 400, 800, 2000, 480}};

class InstructionForms : public ::testing::TestWithParam<Family> {};

TEST_P(InstructionForms, KitAgreesWithUnicorn) {
    const Family family = GetParam();
    const std::uint64_t perForm =
        environmentCount("TARVIX_DIFF_CASES", kCasesPerForm[static_cast<std::size_t>(family)]);
    const std::span<const InstructionForm> forms = formsOf(family);
    std::set<std::string> mnemonics;
    std::uint64_t programs = 0;
    std::uint64_t instructions = 0;
    int failures = 0;
    for (std::size_t f = 0; f < forms.size() && failures < 3; ++f) {
        mnemonics.insert(forms[f].mnemonic);
        for (std::uint64_t done = 0, seed = f * 1000; done < perForm; done += kMaxCasesPerProgram) {
            const auto cases =
                static_cast<int>(std::min<std::uint64_t>(kMaxCasesPerProgram, perForm - done));
            const DifferentialCase program = generateCases(forms[f], ++seed, cases);
            const DifferentialResult result = runDifferential(program);
            ++programs;
            instructions += result.instructions;
            if (!result.agreed || result.refusedFor) {
                ++failures;
                ADD_FAILURE() << program.name << ": "
                              << (result.refusedFor
                                      ? "refused for \"" +
                                            std::string(
                                                deliberateDifference(*result.refusedFor).name) +
                                            "\"\n"
                                      : std::string())
                              << result.report << "\nsource:\n"
                              << program.source;
                break;
            }
            EXPECT_LE(result.codeEnd, kCaseFlags) << program.name << ": the code reaches the data";
        }
    }
    std::cout << familyName(family) << ": " << mnemonics.size() << " mnemonics, " << forms.size()
              << " forms x " << perForm << " cases, " << programs << " programs, " << instructions
              << " instructions compared\n";
}

INSTANTIATE_TEST_SUITE_P(Families, InstructionForms,
                         ::testing::Values(Family::Arithmetic, Family::Logic, Family::ShiftRotate,
                                           Family::MultiplyDivide, Family::Adjust, Family::String),
                         [](const ::testing::TestParamInfo<Family>& p) {
                             std::string name(familyName(p.param));
                             std::erase(name, ' ');
                             return name;
                         });

}  // namespace
}  // namespace tarvix::test
