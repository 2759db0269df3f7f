// Cross-checks the kit's encoder against NASM on statements generated from the rows of the
// template table: each operand class of a row's key is filled with sample operands, with the
// displacements and immediates at the 8-bit boundaries among them. NASM assembles all the
// translations in one run. Where the kit deliberately picks another valid encoding than NASM
// (the table below), ndisasm must decode both to the same instruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "assembler/assembler8086.h"
#include "assembler/template_table.h"
#include "common/output_pane.h"
#include "common/output_sink.h"
#include "common/text.h"
#include "nasm_oracle.h"

namespace tarvix {
namespace {

using nasm::Bytes;
using nasm::hexText;

struct Operand {
    std::string kit;   // kit source text: bare hexadecimal, BPTR/WPTR
    std::string nasm;  // the same operand for NASM
    bool isRegister = false;
    unsigned displacement = 0;  // a "+" displacement as written
};

struct Case {
    std::string mnemonic;
    int width = 16;
    std::vector<Operand> operands;
    std::optional<unsigned> immediate;
    std::string kit;  // the statement as typed
    std::string nasm;
};

// ---------------------------------------------------------------------------------------
// The kit's deliberate encoding differences from NASM; first matching entry wins.

constexpr std::array<std::string_view, 8> kAluMnemonics{"add", "adc", "sub", "sbb",
                                                        "cmp", "and", "or",  "xor"};

bool isAlu(const Case& c) {
    return std::find(kAluMnemonics.begin(), kAluMnemonics.end(), c.mnemonic) != kAluMnemonics.end();
}

bool regToReg(const Case& c) {
    return c.operands.size() == 2 && c.operands[0].isRegister && c.operands[1].isRegister;
}

bool operandsAre(const Case& c, std::string_view first, std::string_view second) {
    return c.operands.size() == 2 && c.operands[0].nasm == first && c.operands[1].nasm == second;
}

struct DeliberateDifference {
    std::string_view name;
    std::string_view reason;
    bool (*applies)(const Case&);
};

const std::array<DeliberateDifference, 7> kDeliberateDifferences{{
    {"reg,reg direction",
     "MOV and the ALU group between registers: the kit uses the d=1 opcode (reg = destination, "
     "r/m = source), NASM the d=0 one",
     [](const Case& c) { return (c.mnemonic == "mov" || isAlu(c)) && regToReg(c); }},
    {"test reg,reg order",
     "TEST between registers: the kit puts the first operand in reg, NASM in r/m",
     [](const Case& c) { return c.mnemonic == "test" && regToReg(c); }},
    {"AX immediate",
     "ALU group AX,imm: the kit keeps the 3-byte accumulator form where NASM shortens to 83 /r ib",
     [](const Case& c) {
         return isAlu(c) && c.operands[0].nasm == "ax" && c.immediate &&
                (*c.immediate <= 0x7F || *c.immediate >= 0xFF80);
     }},
    {"word immediate FF80..FFFF",
     "ALU group word immediates: the kit sign-extends a byte only for 0..7F, NASM also for "
     "FF80..FFFF",
     [](const Case& c) { return isAlu(c) && c.width == 16 && c.immediate >= 0xFF80u; }},
    {"int 3", "the kit gives INT 3 the one-byte breakpoint opcode CC, NASM keeps CD 03",
     [](const Case& c) { return c.mnemonic == "int" && c.immediate == 3u; }},
    {"xchg ax,ax", "the kit uses the general 87 C0, NASM the one-byte 90 (NOP)",
     [](const Case& c) { return c.mnemonic == "xchg" && operandsAre(c, "ax", "ax"); }},
    {"displacement FF80..FFFF",
     "the kit encodes a written displacement FF80..FFFF in 16 bits, NASM wraps it to a negative "
     "8-bit one (the same address)",
     [](const Case& c) {
         return std::any_of(c.operands.begin(), c.operands.end(),
                            [](const Operand& op) { return op.displacement >= 0xFF80; });
     }},
}};

const DeliberateDifference* deliberateDifferenceFor(const Case& c) {
    for (const DeliberateDifference& d : kDeliberateDifferences) {
        if (d.applies(c)) {
            return &d;
        }
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------
// Sample operands for each operand class of the template keys

using Names = std::vector<std::string_view>;

const Names kReg16{"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"};
const Names kReg8{"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"};
// Every base, each register pair in both orders.
const Names kBases{"bx+si", "si+bx", "bx+di", "di+bx", "bp+si", "si+bp",
                   "bp+di", "di+bp", "si",    "di",    "bp",    "bx"};
// None, zero written out, 8-bit, 16-bit (with leading zeros too), and FF80..FFFF, which
// wrap around to small negative offsets.
const Names kDisplacements{"",      "+0",    "+5",    "+7f",   "+007f", "+80",  "+1234",
                           "+7fff", "+8000", "+ff7f", "+ff80", "+ffff", "+0080"};
// Only after a single base register.
const Names kNegativeDisplacements{"-0", "-2", "-7f", "-80", "-81", "-1234", "-8000"};
const Names kAddresses{"0", "7f", "80", "1200", "1fff", "0050", "8000", "ffff"};
const Names kByteImmediates{"0", "1", "5", "7f", "80", "ff", "07"};
const Names kWordImmediates{"0",    "1",    "7f",   "80",   "ff",   "100",  "1234",
                            "7fff", "8000", "ff7f", "ff80", "fffe", "ffff", "0080"};
const Names kPorts{"0", "20", "43", "7f", "80", "ff", "05"};
const Names kInterruptTypes{"0",  "1",  "2",  "3",  "03", "4", "10",
                            "20", "21", "7f", "80", "fe", "ff"};
const Names kStrings{"movsb", "movsw", "cmpsb", "cmpsw", "scasb",
                     "scasw", "lodsb", "lodsw", "stosb", "stosw"};

unsigned hexValue(std::string_view text) {
    return static_cast<unsigned>(std::stoul(std::string(text), nullptr, 16));
}

// Registers and string mnemonics as they are; numbers get NASM's "0x".
enum class Kind { Register, Number, Word };

std::vector<Operand> plain(const Names& names, Kind kind) {
    std::vector<Operand> all;
    for (std::string_view name : names) {
        const std::string nasm = (kind == Kind::Number ? "0x" : "") + std::string(name);
        all.push_back({std::string(name), nasm, kind == Kind::Register});
    }
    return all;
}

Operand memory(std::string_view base, std::string_view displacement) {
    Operand op{"[" + std::string(base) + std::string(displacement) + "]", "[" + std::string(base)};
    if (!displacement.empty()) {
        op.nasm += displacement.front() + ("0x" + std::string(displacement.substr(1)));
        if (displacement.front() == '+') {
            op.displacement = hexValue(displacement.substr(1));
        }
    }
    op.nasm += "]";
    return op;
}

std::vector<Operand> memoryOperands() {
    std::vector<Operand> all;
    for (std::string_view base : kBases) {
        for (std::string_view d : kDisplacements) {
            all.push_back(memory(base, d));
        }
        for (std::string_view d : kNegativeDisplacements) {
            if (base.find('+') == std::string_view::npos) {
                all.push_back(memory(base, d));
            }
        }
    }
    return all;
}

std::vector<Operand> addresses() {
    std::vector<Operand> all;
    for (std::string_view a : kAddresses) {
        all.push_back({"[" + std::string(a) + "]", "[0x" + std::string(a) + "]"});
    }
    return all;
}

// A template row as the generator reads it: "shl_mem/reg8", pattern "1101001w mod100r/m>><<".
struct Row {
    std::string key;
    std::string mnemonic;
    std::vector<std::string> classes;
    bool wBit = false;   // the size comes from BPTR or WPTR
    bool shift = false;  // a second operand is the count: CL or 1
    bool port = false;   // IN and OUT: DX, or a port number
};

Row readRow(const InstructionTemplate& t) {
    Row row{std::string(t.formName), {}, {}};
    const std::size_t underscore = row.key.find('_');
    row.mnemonic = row.key.substr(0, underscore);
    for (std::size_t from = underscore + 1; from < row.key.size();) {
        const std::size_t slash = std::min(row.key.find('/', from), row.key.size());
        row.classes.push_back(row.key.substr(from, slash - from));
        from = slash + 1;
    }
    row.wBit = t.bitPattern.find('w') != std::string_view::npos;
    row.shift = t.bitPattern.find(">><<") != std::string_view::npos;
    row.port = row.mnemonic == "in" || row.mnemonic == "out";
    if (row.mnemonic.starts_with("rep")) {
        row.classes = {"string"};  // the operand is a string instruction
    }
    return row;
}

// Rows of jumps, calls and loops to labels are resolved by the second pass, not here.
bool isLabelRow(std::string_view key) {
    return key.ends_with("_") &&
           (key.starts_with("j") || key.starts_with("loop") || key == "call_");
}

std::vector<Operand> samples(const Row& row, std::size_t slot, int width) {
    static const std::vector<Operand> kMemory = memoryOperands();
    const std::string& cls = row.classes[slot];
    if (cls == "acu8" || cls == "acu16") {
        return plain(Names{cls == "acu8" ? "al" : "ax"}, Kind::Register);
    }
    if (cls == "reg8") {
        return slot == 1 && row.shift ? plain(Names{"cl"}, Kind::Register)
                                      : plain(kReg8, Kind::Register);
    }
    if (cls == "reg16") {
        return row.port ? plain(Names{"dx"}, Kind::Register) : plain(kReg16, Kind::Register);
    }
    if (cls == "imm") {
        return row.shift               ? plain(Names{"1"}, Kind::Number)
               : row.port              ? plain(kPorts, Kind::Number)
               : row.mnemonic == "int" ? plain(kInterruptTypes, Kind::Number)
               : width == 8            ? plain(kByteImmediates, Kind::Number)
                                       : plain(kWordImmediates, Kind::Number);
    }
    if (cls == "string") {
        return plain(kStrings, Kind::Word);
    }
    // Memory: NASM always gets the size; the kit where the row needs it, and now and then on
    // the word-only rows (PUSH, POP, CALL, JMP), which take WPTR but do not need it.
    std::vector<Operand> all = cls == "mem" ? kMemory : addresses();
    const bool wordOnly = std::none_of(
        row.classes.begin(), row.classes.end(),
        [](const std::string& c) { return c.starts_with("reg") || c.starts_with("acu"); });
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i].nasm = (width == 8 ? "byte " : "word ") + all[i].nasm;
        if (row.wBit || (wordOnly && i % 2 == 1)) {
            all[i].kit = (width == 8 ? "bptr " : "wptr ") + all[i].kit;
        }
    }
    return all;
}

constexpr std::size_t kAllPairsUpTo = 128;

std::vector<int> widths(const Row& row) {
    if (row.wBit) {
        return {8, 16};
    }
    for (const std::string& cls : row.classes) {
        if (cls.ends_with("8") || cls.ends_with("16")) {
            return {cls.ends_with("8") ? 8 : 16};
        }
    }
    return {16};
}

// The kit folds case and tabs, so every form is met in several spellings.
std::string kitSpelling(const Case& c, std::size_t variant) {
    std::string operands;
    for (std::size_t i = 0; i < c.operands.size(); ++i) {
        operands += (i == 0 ? "" : (variant == 3 ? ", " : ",")) + c.operands[i].kit;
    }
    const std::string separator = variant == 3 ? "\t" : " ";
    switch (variant) {
        case 1:
            return toUpper(c.mnemonic + separator + operands);
        case 2:
            return toUpper(c.mnemonic) + separator + operands;
        case 3:
            return c.mnemonic + separator + toUpper(operands);
        default:
            return c.mnemonic + separator + operands;
    }
}

void addCase(const Row& row, int width, std::vector<Operand> operands, std::vector<Case>& cases) {
    Case c{row.mnemonic, width, std::move(operands), std::nullopt, {}, row.mnemonic};
    for (std::size_t i = 0; i < c.operands.size(); ++i) {
        if (row.classes[i] == "imm") {
            c.immediate = hexValue(c.operands[i].kit);
        }
        c.nasm += (i == 0 ? " " : ", ") + c.operands[i].nasm;
    }
    c.kit = kitSpelling(c, cases.size() % 4);
    cases.push_back(std::move(c));
}

// The operand lists of a row at one width: every pair of samples where there are few, else
// every sample of the longer list with the other list's samples in turn.
std::vector<std::vector<Operand>> operandLists(const Row& row, int width, std::size_t& turn) {
    if (row.classes.empty()) {
        return {{}};
    }
    std::vector<std::vector<Operand>> lists;
    const std::vector<Operand> first = samples(row, 0, width);
    const std::vector<Operand> second =
        row.classes.size() == 2 ? samples(row, 1, width) : std::vector<Operand>{};
    if (second.empty() || first.size() * second.size() <= kAllPairsUpTo) {
        for (const Operand& a : first) {
            if (second.empty()) {
                lists.push_back({a});
            }
            for (const Operand& b : second) {
                lists.push_back({a, b});
            }
        }
        return lists;
    }
    const bool firstLonger = first.size() >= second.size();
    for (std::size_t i = 0; i < std::max(first.size(), second.size()); ++i, ++turn) {
        lists.push_back({first[firstLonger ? i : turn % first.size()],
                         second[firstLonger ? turn % second.size() : i]});
    }
    return lists;
}

std::vector<Case> generateCases() {
    std::vector<Case> cases;
    std::size_t turn = 0;
    for (const InstructionTemplate& t : kTemplateTable) {
        if (t.formName.empty() || isLabelRow(t.formName)) {
            continue;
        }
        const Row row = readRow(t);
        const std::vector<int> rowWidths = widths(row);
        for (std::size_t w = 0; w < rowWidths.size(); ++w) {
            const auto lists = operandLists(row, rowWidths[w], turn);
            // Long lists are shared out between the widths.
            const std::size_t step = lists.size() > kAllPairsUpTo ? rowWidths.size() : 1;
            for (std::size_t k = step == 1 ? 0 : w; k < lists.size(); k += step) {
                addCase(row, rowWidths[w], lists[k], cases);
            }
        }
    }
    return cases;
}

// ---------------------------------------------------------------------------------------
// The kit

struct KitResult {
    bool ok = false;
    Bytes bytes;
    unsigned advance = 0;  // how far the location counter moved
    std::string message;
    std::string templateKey;  // the row the statement was encoded from
};

KitResult encodeWithKit(Assembler8086& a, MemoryOutputSink& sink, std::string_view statement) {
    KitResult result;
    sink.text.clear();
    a.locationCounter = kProgramOrigin;
    std::string byteText;
    result.ok = a.encodeSingleStatement(statement, byteText);
    result.bytes = nasm::parseByteText(byteText);
    result.advance = static_cast<unsigned>(a.locationCounter - kProgramOrigin);
    result.message = sink.text;
    const Statement& s = a.statement;
    result.templateKey = s.mnemonic + "_" + s.class1 + (s.class2.empty() ? "" : "/" + s.class2);
    return result;
}

// One assembler for a statement alone, as a program would meet it first.
struct FreshKit {
    MemoryOutputSink sink;
    int line = 1;
    OutputPane pane{sink};
    Assembler8086 assembler{pane};
    FreshKit() { sink.lineSource = &line; }
};

KitResult encodeFresh(std::string_view statement) {
    FreshKit kit;
    return encodeWithKit(kit.assembler, kit.sink, statement);
}

// ---------------------------------------------------------------------------------------
// The tests

TEST(NasmCrossCheck, EveryRowsStatementsMatchNasmOrADeliberateDifference) {
    const std::vector<Case> cases = generateCases();
    // The kit assembles a program with one assembler object: what one statement leaves behind
    // must not change the next one's bytes.
    FreshKit shared;
    std::vector<KitResult> kit;
    std::set<std::string> rowsReached;
    std::vector<std::string> failures;
    for (const Case& c : cases) {
        kit.push_back(encodeFresh(c.kit));
        rowsReached.insert(c.mnemonic.starts_with("rep") && kit.back().ok ? c.mnemonic + "_"
                                                                          : kit.back().templateKey);
        const KitResult inProgram = encodeWithKit(shared.assembler, shared.sink, c.kit);
        if (inProgram.ok != kit.back().ok || inProgram.bytes != kit.back().bytes) {
            failures.push_back(c.kit + ": alone " + hexText(kit.back().bytes) + ", after others " +
                               hexText(inProgram.bytes));
        }
    }
    for (const InstructionTemplate& row : kTemplateTable) {
        if (!row.formName.empty() && !isLabelRow(row.formName)) {
            EXPECT_TRUE(rowsReached.count(std::string(row.formName)))
                << "no statement is encoded from " << row.formName;
        }
    }

    ScratchFolder dir;
    ASSERT_FALSE(dir.path().empty());
    std::vector<std::string> nasmStatements;
    for (const Case& c : cases) {
        nasmStatements.push_back(c.nasm);
    }
    std::string failure;
    const auto nasmBytes = nasm::assembleWithNasm(nasmStatements, dir, failure);
    ASSERT_TRUE(nasmBytes) << failure;

    std::size_t exact = 0;
    std::vector<std::size_t> differing;  // index into cases
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const KitResult& r = kit[i];
        const std::string described =
            c.kit + "  (nasm \"" + c.nasm + "\" " + hexText((*nasmBytes)[i]) + "): ";
        if (!r.ok) {
            failures.push_back(described + "refused: " + r.message);
        } else if (r.advance != r.bytes.size()) {
            failures.push_back(described + "kit " + hexText(r.bytes) +
                               " but the location counter moved " + std::to_string(r.advance));
        } else if (r.bytes == (*nasmBytes)[i]) {
            ++exact;
        } else if (deliberateDifferenceFor(c) != nullptr) {
            differing.push_back(i);
        } else {
            failures.push_back(described + "kit " + hexText(r.bytes));
        }
    }

    // Both encodings of each deliberate difference go through ndisasm in one run.
    std::vector<std::pair<Bytes, Bytes>> pairs;
    for (std::size_t i : differing) {
        pairs.emplace_back(kit[i].bytes, (*nasmBytes)[i]);
    }
    const auto decoded = nasm::decodeAlike(pairs, dir, failure);
    ASSERT_TRUE(decoded) << failure;
    std::map<std::string_view, std::size_t> perDifference;
    for (std::size_t k = 0; k < differing.size(); ++k) {
        const std::size_t i = differing[k];
        const nasm::DecodedPair& d = (*decoded)[k];
        if (d.same) {
            ++perDifference[deliberateDifferenceFor(cases[i])->name];
        } else {
            failures.push_back(cases[i].kit + ": kit " + hexText(kit[i].bytes) + " decodes as \"" +
                               d.first + "\", nasm " + hexText((*nasmBytes)[i]) + " as \"" +
                               d.second + "\"");
        }
    }

    std::cout << "[ nasm     ] " << cases.size() << " statements, " << exact
              << " identical to NASM\n";
    for (const DeliberateDifference& d : kDeliberateDifferences) {
        std::cout << "[ nasm     ]   " << d.name << ": " << perDifference[d.name] << " ("
                  << d.reason << ")\n";
        // An entry nothing falls under means the table or the generator went stale.
        EXPECT_GT(perDifference[d.name], 0u) << d.name;
    }
    for (std::size_t k = 0; k < failures.size() && k < 20; ++k) {
        ADD_FAILURE() << failures[k];
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " statements differ from NASM";
}

struct Refusal {
    std::string_view statement;
    std::string_view message;
};

constexpr std::string_view kUnsupported = "Unrecognized/unsupported instruction";
constexpr std::string_view kNeedsSize =
    "Specify 'BPTR'  or 'WPTR' for pointer to byte or word resptly";

TEST(NasmCrossCheck, StatementsOutsideTheKitsLanguageAreRefused) {
    const std::array<Refusal, 16> refusals{{
        {"lea ax,[bx]", kUnsupported},
        // The colon makes "mov ax,es" a label.
        {"mov ax,es:[bx]", "Labels should not have space(s)"},
        {"shl al,2", kUnsupported},
        {"shl ax,dl", kUnsupported},
        {"shl ax,0", kUnsupported},
        {"inc [bx]", kNeedsSize},
        {"inc [1200]", kNeedsSize},
        {"add [bx],5", kNeedsSize},
        {"shl [bx+si],1", kNeedsSize},
        {"mov al,80h", kUnsupported},
        {"mov ax,[bx+si-2]", kUnsupported},
        {"mov ax,[bx][si]", kUnsupported},
        {"mov ax,[bx+cx]", kUnsupported},
        {"mov ax,[ax]", kUnsupported},
        {"push al", kUnsupported},
        {"pop bl", kUnsupported},
    }};
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.statement);
        const KitResult result = encodeFresh(r.statement);
        EXPECT_FALSE(result.ok) << hexText(result.bytes);
        EXPECT_TRUE(contains(result.message, r.message)) << result.message;
    }
}

}  // namespace
}  // namespace tarvix
