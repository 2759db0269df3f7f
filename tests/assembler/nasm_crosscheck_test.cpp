// Cross-checks the kit's encoder against NASM on statements generated from the rows of the
// template table: each operand class of a row is filled from a table of sample operands, with
// the displacements and immediates at the 8-bit boundaries among them. Where the kit
// deliberately picks another valid encoding than NASM (the table below), the differential runs
// the kit's bytes on Unicorn, and tarvix-asm's test holds INT 3 to CC.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "assembler/assembler8086.h"
#include "assembler/template_table.h"
#include "common/format.h"
#include "common/output_pane.h"
#include "common/output_sink.h"
#include "common/text.h"
#include "tests/scratch_folder.h"

namespace tarvix {
namespace {

// ---------------------------------------------------------------------------------------
// NASM, with bytes written as the kit writes them: "B0 80".

std::string hexText(std::string_view bytes) {
    std::string text;
    for (const char b : bytes) {
        text += formatText(text.empty() ? "%02X" : " %02X", static_cast<unsigned char>(b));
    }
    return text;
}

// Each statement's bytes from one nasm run over all of them, each statement through a macro
// that puts its length in a byte before it; NASM's messages where it fails (statement i is on
// line i + 7).
std::optional<std::vector<std::string>> assemble(const std::vector<std::string>& statements,
                                                 std::string& failure) {
    std::string source = "bits 16\n%macro s 1+\ndb %%e-%%b\n%%b: %1\n%%e:\n%endmacro\n";
    for (const std::string& statement : statements) {
        source += "s " + statement + "\n";
    }
    const ScratchFolder dir;
    writeFile(dir / "cases.asm", source);
    const std::string output = (dir / "cases.bin").string();
    const std::string errors = (dir / "errors.txt").string();
    if (std::system(("'" TARVIX_NASM "' -f bin -o '" + output + "' '" +
                     (dir / "cases.asm").string() + "' 2>'" + errors + "'")
                        .c_str()) != 0) {
        failure = "nasm failed:\n" + readFile(errors);
        return std::nullopt;
    }
    const std::string image = readFile(output);
    std::vector<std::string> bytes;
    for (std::size_t at = 0; bytes.size() < statements.size();) {
        const std::size_t length = at < image.size() ? static_cast<unsigned char>(image[at]) : 0;
        if (at + 1 + length > image.size()) {
            failure = "nasm's output ends before statement " + std::to_string(bytes.size());
            return std::nullopt;
        }
        bytes.push_back(hexText(std::string_view(image).substr(at + 1, length)));
        at += 1 + length;
    }
    return bytes;
}

// A template row as the generator reads it: "shl_mem/reg8", pattern "1101001w mod100r/m>><<".
struct Row {
    std::string mnemonic;
    std::vector<std::string> classes;
    bool wBit = false;   // the size comes from BPTR or WPTR
    bool shift = false;  // the second operand is the count: CL or 1
};

struct Case {
    Row row;
    int width = 16;
    long immediate = -1;
    unsigned displacement = 0;
    std::string kit;
    std::string nasm;
};

// ---------------------------------------------------------------------------------------
// The kit's deliberate encoding differences from NASM; the first matching entry applies.

bool isAlu(const Case& c) {
    return contains(" add adc sub sbb cmp and or xor ", " " + c.row.mnemonic + " ");
}

bool betweenRegisters(const Case& c) {
    return c.row.classes.size() == 2 &&
           std::all_of(c.row.classes.begin(), c.row.classes.end(),
                       [](auto& k) { return k.starts_with("reg") || k.starts_with("acu"); });
}

struct DeliberateDifference {
    std::string_view reason;
    bool (*applies)(const Case&);
};

const std::array<DeliberateDifference, 7> kDeliberateDifferences{{
    {"MOV and the ALU group between registers: the kit uses the d=1 opcode, NASM the d=0 one",
     [](const Case& c) { return (c.row.mnemonic == "mov" || isAlu(c)) && betweenRegisters(c); }},
    {"TEST between registers: the kit puts the first operand in reg, NASM in r/m",
     [](const Case& c) { return c.row.mnemonic == "test" && betweenRegisters(c); }},
    {"ALU group AX,imm: the kit keeps the 3-byte accumulator form where NASM takes 83 /r ib",
     [](const Case& c) {
         return isAlu(c) && c.nasm.starts_with(c.row.mnemonic + " ax,") &&
                (c.immediate <= 0x7F || c.immediate >= 0xFF80);
     }},
    {"ALU group word immediates FF80..FFFF: the kit sign-extends a byte only for 0..7F",
     [](const Case& c) { return isAlu(c) && c.width == 16 && c.immediate >= 0xFF80; }},
    {"INT 3: the kit gives it the one-byte breakpoint opcode CC, NASM keeps CD 03",
     [](const Case& c) { return c.row.mnemonic == "int" && c.immediate == 3; }},
    {"XCHG AX,AX: the kit uses the general 87 C0, NASM the one-byte 90 (NOP)",
     [](const Case& c) { return c.nasm == "xchg ax, ax"; }},
    {"a displacement FF80..FFFF: the kit keeps 16 bits, NASM the same address in 8 bits",
     [](const Case& c) { return c.displacement >= 0xFF80; }},
}};

const DeliberateDifference* deliberateDifferenceFor(const Case& c) {
    const auto found = std::find_if(kDeliberateDifferences.begin(), kDeliberateDifferences.end(),
                                    [&c](const DeliberateDifference& d) { return d.applies(c); });
    return found == kDeliberateDifferences.end() ? nullptr : &*found;
}

// ---------------------------------------------------------------------------------------
// Sample operands for the operand classes of the template keys, and for those operands that
// take special values: a shift count, a port, an interrupt type.

// Operands as NASM reads them; the kit's are the same without "0x".
using Samples = std::map<std::string, std::vector<std::string>>;

const Samples& sampleTable() {
    static const Samples kSamples = [] {
        const std::map<std::string, std::string> lists{
            {"reg16", "ax cx dx bx sp bp si di"},
            {"reg8", "al cl dl bl ah ch dh bh"},
            {"acu16", "ax"},
            {"acu8", "al"},
            {"count", "cl"},
            {"dx", "dx"},
            {"string", "movsb movsw cmpsb cmpsw scasb scasw lodsb lodsw stosb stosw"},
            {"one", "0x1"},
            {"imm8", "0x0 0x1 0x5 0x7f 0x80 0xff 0x07"},
            {"imm16",
             "0x0 0x1 0x7f 0x80 0xff 0x100 0x1234 0x7fff 0x8000 0xff7f 0xff80 0xfffe "
             "0xffff 0x0080"},
            {"port", "0x0 0x20 0x43 0x7f 0x80 0xff 0x05"},
            {"type", "0x0 0x1 0x2 0x3 0x03 0x4 0x10 0x20 0x21 0x7f 0x80 0xfe 0xff"},
            {"addr", "[0x0] [0x7f] [0x80] [0x1200] [0x1fff] [0x0050] [0x8000] [0xffff]"},
        };
        Samples samples;
        for (const auto& [name, list] : lists) {
            std::istringstream items(list);
            for (std::string item; items >> item;) {
                samples[name].push_back(item);
            }
        }
        // Every base, each pair in both orders; no displacement, zero, 8-bit, 16-bit (with
        // leading zeros too) and FF80..FFFF, which wrap around to small negative offsets; a
        // negative one after a single register.
        for (const std::string base : {"bx+si", "si+bx", "bx+di", "di+bx", "bp+si", "si+bp",
                                       "bp+di", "di+bp", "si", "di", "bp", "bx"}) {
            for (const std::string d :
                 {"",      "+0",    "+5",    "+7f",   "+007f", "+80",   "+1234",
                  "+7fff", "+8000", "+ff7f", "+ff80", "+ffff", "+0080", "-0",
                  "-2",    "-7f",   "-80",   "-81",   "-1234", "-8000"}) {
                if (base.size() == 2 || !d.starts_with('-')) {
                    samples["mem"].push_back("[" + base +
                                             (d.empty() ? "" : d[0] + ("0x" + d.substr(1))) + "]");
                }
            }
        }
        return samples;
    }();
    return kSamples;
}

Row readRow(const InstructionTemplate& t) {
    const std::string key(t.formName);
    Row row;
    row.mnemonic = key.substr(0, key.find('_'));
    std::istringstream classes(key.substr(key.find('_') + 1));
    for (std::string cls; std::getline(classes, cls, '/');) {
        row.classes.push_back(cls);
    }
    if (row.mnemonic.starts_with("rep")) {
        row.classes = {"string"};  // the operand is a string instruction
    }
    row.wBit = t.bitPattern.find('w') != std::string_view::npos;
    row.shift = t.bitPattern.find(">><<") != std::string_view::npos;
    return row;
}

// Rows of jumps, calls and loops to labels are resolved by the second pass, not here.
bool isLabelRow(std::string_view key) {
    return key.ends_with("_") &&
           (key.starts_with("j") || key.starts_with("loop") || key == "call_");
}

const std::vector<std::string>& samplesFor(const Row& row, std::size_t slot, int width) {
    std::string cls = row.classes[slot];
    if (row.shift && slot == 1) {
        cls = cls == "imm" ? "one" : "count";
    } else if ((row.mnemonic == "in" || row.mnemonic == "out") && !cls.starts_with("acu")) {
        cls = cls == "imm" ? "port" : "dx";
    } else if (cls == "imm") {
        cls = row.mnemonic == "int" ? "type" : "imm" + std::to_string(width);
    }
    return sampleTable().at(cls);
}

// The kit folds case and tabs: statements take turns in four spellings. NASM always gets the
// size of a memory operand; the kit where the row needs it, and every other time on the rows
// that take WPTR but do not need it (PUSH, POP, CALL, JMP).
void addCase(const Row& row, int width, const std::vector<std::string>& operands,
             std::vector<Case>& cases) {
    Case c{row, width, -1, 0, {}, row.mnemonic};
    const std::size_t spelling = cases.size() % 4;
    const bool sized = row.wBit || (row.classes.size() == 1 && spelling % 2 == 1);
    const std::string separator = spelling == 2 ? ", " : ",";
    const char* nasmSize = width == 8 ? "byte " : "word ";
    const char* kitSize = width == 8 ? "bptr " : "wptr ";
    std::string kitOperands;
    for (std::size_t i = 0; i < operands.size(); ++i) {
        const bool memory = row.classes[i] == "mem" || row.classes[i] == "addr";
        std::string kit = operands[i];
        for (std::size_t at; (at = kit.find("0x")) != std::string::npos;) {
            kit.erase(at, 2);
        }
        c.nasm += std::string(i == 0 ? " " : ", ") + (memory ? nasmSize : "") + operands[i];
        kitOperands += (i == 0 ? "" : separator) + (memory && sized ? kitSize : "") + kit;
        if (const std::size_t at = operands[i].find("+0x"); at != std::string::npos) {
            c.displacement =
                static_cast<unsigned>(std::stoul(operands[i].substr(at + 3), nullptr, 16));
        }
        if (row.classes[i] == "imm") {
            c.immediate = std::stol(operands[i], nullptr, 16);
        }
    }
    c.kit = (spelling == 3 ? toUpper(row.mnemonic) : row.mnemonic) + (spelling == 2 ? "\t" : " ") +
            kitOperands;
    if (spelling == 1) {
        c.kit = toUpper(c.kit);
    }
    cases.push_back(std::move(c));
}

// Every combination of samples where there are few; else every sample of the longer list with
// the other's in turn, the widths of a row taking turns too.
constexpr std::size_t kAllPairsUpTo = 128;

std::vector<Case> generateCases() {
    std::vector<Case> cases;
    std::size_t turn = 0;
    for (const InstructionTemplate& t : kTemplateTable) {
        if (t.formName.empty() || isLabelRow(t.formName)) {
            continue;
        }
        const Row row = readRow(t);
        const bool bytes = std::any_of(row.classes.begin(), row.classes.end(),
                                       [](const std::string& cls) { return cls.ends_with("8"); });
        const std::vector<int> rowWidths =
            row.wBit ? std::vector{8, 16} : std::vector{bytes ? 8 : 16};
        for (std::size_t w = 0; w < rowWidths.size(); ++w, ++turn) {
            std::vector<std::vector<std::string>> combinations{{}};
            for (std::size_t slot = 0; slot < row.classes.size(); ++slot) {
                const std::vector<std::string>& samples = samplesFor(row, slot, rowWidths[w]);
                const std::size_t n = combinations.size();
                const bool all = n * samples.size() <= kAllPairsUpTo;
                std::vector<std::vector<std::string>> next;
                for (std::size_t i = 0;
                     i < (all ? n * samples.size() : std::max(n, samples.size())); ++i) {
                    next.push_back(combinations[all ? i / samples.size() : (i + turn) % n]);
                    next.back().push_back(samples[i % samples.size()]);
                }
                combinations = std::move(next);
            }
            for (std::size_t k = 0; k < combinations.size(); ++k) {
                if (combinations.size() <= kAllPairsUpTo || k % rowWidths.size() == w) {
                    addCase(row, rowWidths[w], combinations[k], cases);
                }
            }
        }
    }
    return cases;
}

// ---------------------------------------------------------------------------------------

TEST(NasmCrossCheck, EveryRowsStatementsMatchNasmOrADeliberateDifference) {
    const std::vector<Case> cases = generateCases();
    std::vector<std::string> nasmStatements;
    for (const Case& c : cases) {
        nasmStatements.push_back(c.nasm);
    }
    std::string failure;
    const auto nasmBytes = assemble(nasmStatements, failure);
    ASSERT_TRUE(nasmBytes) << failure;

    // One assembler for all, as for a program: what a statement leaves behind must not change
    // the next one's bytes.
    MemoryOutputSink sink;
    int line = 1;
    sink.lineSource = &line;
    OutputPane pane(sink);
    Assembler8086 kit(pane);
    std::set<std::string> rowsReached;
    std::vector<std::string> failures;
    std::map<const DeliberateDifference*, int> met;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const std::string& expected = (*nasmBytes)[i];
        sink.text.clear();
        kit.locationCounter = kProgramOrigin;
        std::string bytes;
        const bool ok = kit.encodeSingleStatement(c.kit, bytes);
        bytes = std::string(trim(bytes));
        const Statement& s = kit.statement;
        rowsReached.insert(c.row.mnemonic.starts_with("rep") && ok
                               ? c.row.mnemonic + "_"
                               : s.mnemonic + "_" + s.class1 + (s.class2.empty() ? "" : "/") +
                                     s.class2);
        const int moved = kit.locationCounter - kProgramOrigin;
        const bool counted = moved == static_cast<int>((bytes.size() + 1) / 3);
        if (ok && counted && bytes != expected && deliberateDifferenceFor(c) != nullptr) {
            ++met[deliberateDifferenceFor(c)];
        } else if (!ok || !counted || bytes != expected) {
            failures.push_back(c.kit + "  (NASM \"" + c.nasm + "\" " + expected + "): " +
                               (ok ? "kit " + bytes + ", location counter +" + std::to_string(moved)
                                   : "refused: " + sink.text));
        }
    }
    for (const InstructionTemplate& row : kTemplateTable) {
        if (!row.formName.empty() && !isLabelRow(row.formName)) {
            EXPECT_TRUE(rowsReached.count(std::string(row.formName)))
                << "no statement is encoded from " << row.formName;
        }
    }

    // An entry nothing falls under means the table or the generator went stale.
    for (const DeliberateDifference& d : kDeliberateDifferences) {
        EXPECT_GT(met[&d], 0) << "never met: " << d.reason;
    }
    for (std::size_t k = 0; k < failures.size() && k < 20; ++k) {
        ADD_FAILURE() << failures[k];
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " of " << cases.size()
                                  << " statements differ from NASM";
}

}  // namespace
}  // namespace tarvix
