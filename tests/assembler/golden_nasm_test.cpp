// Holds the bundled examples' golden run-mode list files, which the two-pass tests hold the
// assembler to, against NASM. Each example is translated line by line into NASM syntax and
// assembled by NASM as a whole; every code and data line of its list file must carry NASM's
// address and bytes for the source line it belongs to. Bytes may differ only by one of the
// kit's deliberate encodings, and then ndisasm must decode both to the same instruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/text.h"
#include "nasm_oracle.h"

namespace tarvix {
namespace {

namespace fs = std::filesystem;
using nasm::Bytes;
using nasm::Case;
using nasm::hexText;
using nasm::Operand;

constexpr std::uint16_t kProgramStart = 0x1000;

fs::path examplesFolder() {
    return fs::path(TARVIX_SOURCE_DIR) / "examples";
}

fs::path goldenFolder() {
    return fs::path(TARVIX_SOURCE_DIR) / "tests" / "assembler" / "golden";
}

constexpr std::string_view kRunSuffix = ".run.lst";
constexpr std::string_view kListingSuffix = ".listing.lst";

// ---------------------------------------------------------------------------------------
// The kit's source in NASM syntax

std::vector<std::string> splitAt(std::string_view text, char separator) {
    std::vector<std::string> items;
    for (std::size_t from = 0;;) {
        const std::size_t at = text.find(separator, from);
        items.emplace_back(trim(text.substr(from, at - from)));
        if (at == std::string_view::npos) {
            return items;
        }
        from = at + 1;
    }
}

bool isHexDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// Kit labels go to NASM behind "$", which keeps a label such as "loop" or "byte" from being
// read as a keyword.
bool isLabelName(std::string_view text) {
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text.front())) == 0 &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
           });
}

std::string nasmLabel(std::string_view name) {
    return "$" + std::string(name);
}

int registerBits(std::string_view name) {
    static const std::set<std::string_view> words{"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"};
    static const std::set<std::string_view> bytes{"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"};
    return words.count(name) != 0 ? 16 : bytes.count(name) != 0 ? 8 : 0;
}

struct TranslatedOperand {
    Operand operand;
    std::string cls;  // the form's name for it: "r8", "imm", "m16", "a", ...
};

std::optional<TranslatedOperand> translateMemory(std::string_view inner) {
    TranslatedOperand t;
    t.operand.nasm = "[";
    bool hasRegister = false;
    std::size_t numbers = 0;
    char sign = '+';
    for (std::size_t from = 0; from <= inner.size();) {
        const std::size_t at = std::min(inner.find_first_of("+-", from), inner.size());
        const std::string term(trim(inner.substr(from, at - from)));
        if (from > 0) {
            t.operand.nasm += sign;
        }
        if (term == "bx" || term == "bp" || term == "si" || term == "di") {
            hasRegister = true;
            t.operand.nasm += term;
        } else if (isHexDigits(term)) {
            if (sign == '+' && from > 0) {
                t.operand.displacement = nasm::hexValue(term);
            }
            ++numbers;
            t.operand.nasm += "0x" + term;
        } else {
            return std::nullopt;
        }
        if (at == inner.size()) {
            break;
        }
        sign = inner[at];
        from = at + 1;
    }
    if (!hasRegister && numbers != 1) {
        return std::nullopt;
    }
    t.operand.nasm += "]";
    t.cls = hasRegister ? "m" : "a";
    return t;
}

std::optional<TranslatedOperand> translateOperand(std::string_view text) {
    int bits = 0;
    std::string_view rest = text;
    if (rest.starts_with("bptr") || rest.starts_with("wptr")) {
        bits = rest.front() == 'b' ? 8 : 16;
        rest = trim(rest.substr(4));
    }
    std::optional<TranslatedOperand> t;
    if (rest.size() >= 2 && rest.front() == '[' && rest.back() == ']') {
        t = translateMemory(rest.substr(1, rest.size() - 2));
    } else if (bits != 0) {
        return std::nullopt;
    } else if (const int size = registerBits(rest); size != 0) {
        t = TranslatedOperand{{std::string(rest), std::string(rest)}, "r" + std::to_string(size)};
    } else if (isHexDigits(rest)) {
        t = TranslatedOperand{{std::string(rest), "0x" + std::string(rest)}, "imm"};
    }
    if (t) {
        t->operand.kit = std::string(text);
        if (bits != 0) {
            t->operand.nasm = (bits == 8 ? "byte " : "word ") + t->operand.nasm;
            t->cls += std::to_string(bits);
        }
    }
    return t;
}

bool isAccumulator(const TranslatedOperand& t) {
    return t.operand.kit == "al" || t.operand.kit == "ax";
}

std::string accumulatorClass(const TranslatedOperand& t) {
    return t.cls == "r8" ? "acc8" : "acc16";
}

// Jumps, calls and loops to a label. The kit gives the conditional ones and the loops a byte
// displacement and JMP and CALL a word one; NASM is told the same, and refuses a target out
// of a short jump's reach.
std::optional<std::string> translateJumpToLabel(const std::string& mnemonic,
                                                const std::vector<std::string>& operands) {
    const bool near = mnemonic == "jmp" || mnemonic == "call";
    if (!near && !mnemonic.starts_with("j") && !mnemonic.starts_with("loop")) {
        return std::nullopt;
    }
    if (operands.size() != 1 || registerBits(operands[0]) != 0 || !isLabelName(operands[0])) {
        return std::nullopt;
    }
    // NASM knows LOOP and JCXZ in their one short form only, and refuses the keyword there.
    const bool onlyShort = mnemonic.starts_with("loop") || mnemonic == "jcxz";
    const std::string distance = near ? "near " : onlyShort ? "" : "short ";
    return mnemonic + " " + distance + nasmLabel(operands[0]);
}

enum class Kind { Nothing, Label, Instruction, Data };

struct SourceLine {
    int number = 0;  // 1-based, as the list file's "$N"
    Kind kind = Kind::Nothing;
    std::string text;  // as the kit reads it: lower case, without its comment
    std::string nasm;
    std::string nasmLabels;  // the labels the translation defines, "$next: " or ""
    Case instruction;        // what the table of deliberate differences looks at
    std::string problem;     // why the line has no NASM translation
};

void translateData(SourceLine& s, const std::string& directive, std::string_view items) {
    s.kind = Kind::Data;
    if (directive == "db" && items.size() >= 2 && items.front() == '\'' && items.back() == '\'' &&
        items.substr(1, items.size() - 2).find('\'') == std::string_view::npos) {
        s.nasm += "db " + std::string(items);
        return;
    }
    s.nasm += directive;
    const std::vector<std::string> values = splitAt(items, ',');
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!isHexDigits(values[i])) {
            s.problem = "data item \"" + values[i] + "\"";
            return;
        }
        s.nasm += (i == 0 ? " 0x" : ", 0x") + values[i];
    }
}

void translateInstruction(SourceLine& s, const std::string& mnemonic, std::string_view rest) {
    s.kind = Kind::Instruction;
    Case& c = s.instruction;
    c.mnemonic = mnemonic;
    c.kit = s.text;
    const std::vector<std::string> operands =
        rest.empty() ? std::vector<std::string>{} : splitAt(rest, ',');

    if (mnemonic.starts_with("rep")) {
        if (operands.size() != 1 || !isLabelName(operands[0])) {
            s.problem = "a prefix without a string instruction";
            return;
        }
        c.form = "string";
        c.nasm = mnemonic + " " + operands[0];
    } else if (const auto jump = translateJumpToLabel(mnemonic, operands)) {
        c.form = "label";
        c.nasm = *jump;
    } else {
        std::vector<TranslatedOperand> ts;
        for (const std::string& text : operands) {
            const auto t = translateOperand(text);
            if (!t) {
                s.problem = "operand \"" + text + "\"";
                return;
            }
            ts.push_back(*t);
        }
        // The kit takes a word at an address that PUSH, POP, CALL and JMP are given unsized.
        const bool wordOnly =
            mnemonic == "push" || mnemonic == "pop" || mnemonic == "call" || mnemonic == "jmp";
        if (wordOnly && ts.size() == 1 && (ts[0].cls == "m" || ts[0].cls == "a")) {
            ts[0].operand.nasm = "word " + ts[0].operand.nasm;
        }
        const bool accumulatorForms = nasm::isAlu(mnemonic) || mnemonic == "test";
        if (ts.size() == 2 && accumulatorForms && isAccumulator(ts[0]) && ts[1].cls == "imm") {
            ts[0].cls = accumulatorClass(ts[0]);
        }
        if (mnemonic == "in" && !ts.empty() && isAccumulator(ts[0])) {
            ts[0].cls = accumulatorClass(ts[0]);
        }
        if (mnemonic == "out" && ts.size() == 2 && isAccumulator(ts[1])) {
            ts[1].cls = accumulatorClass(ts[1]);
        }
        c.nasm = mnemonic;
        for (std::size_t i = 0; i < ts.size(); ++i) {
            c.form += (i == 0 ? "" : ",") + ts[i].cls;
            c.nasm += (i == 0 ? " " : ", ") + ts[i].operand.nasm;
            if (ts[i].cls == "imm" && !c.immediate) {
                c.immediate = nasm::hexValue(ts[i].operand.kit);
            }
            c.operands.push_back(ts[i].operand);
        }
    }
    s.nasm += c.nasm;
}

SourceLine translateLine(int number, std::string_view raw) {
    SourceLine s;
    s.number = number;
    std::string work(raw.substr(0, raw.find(';')));
    std::replace(work.begin(), work.end(), '\t', ' ');
    std::erase(work, '\r');
    s.text = toLower(trim(work));
    std::string_view rest = s.text;
    if (rest.empty()) {
        return s;
    }
    auto firstWord = [](std::string_view text) {
        return std::string(text.substr(0, text.find(' ')));
    };
    auto afterFirstWord = [](std::string_view text) {
        const std::size_t space = text.find(' ');
        return space == std::string_view::npos ? std::string_view() : trim(text.substr(space));
    };
    const std::string first = firstWord(rest);
    if (first == "endp" || first == "connect") {
        return s;
    }
    if (first == "proc") {
        const std::string_view name = afterFirstWord(rest);
        s.kind = Kind::Label;
        s.nasmLabels = nasmLabel(name) + ": ";
        s.nasm = s.nasmLabels;
        if (!isLabelName(name)) {
            s.problem = "procedure name \"" + std::string(name) + "\"";
        }
        return s;
    }
    if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
        const std::string_view label = trim(rest.substr(0, colon));
        s.kind = Kind::Label;
        s.nasmLabels = nasmLabel(label) + ": ";
        s.nasm = s.nasmLabels;
        if (!isLabelName(label)) {
            s.problem = "label \"" + std::string(label) + "\"";
            return s;
        }
        rest = trim(rest.substr(colon + 1));
        if (rest.empty()) {
            return s;
        }
    }
    const std::string mnemonic = firstWord(rest);
    if (mnemonic == "db" || mnemonic == "dw") {
        translateData(s, mnemonic, afterFirstWord(rest));
    } else {
        translateInstruction(s, mnemonic, afterFirstWord(rest));
    }
    return s;
}

std::vector<SourceLine> translateSource(const std::string& source) {
    std::vector<SourceLine> lines;
    std::istringstream in(source);
    int number = 0;
    for (std::string raw; std::getline(in, raw);) {
        lines.push_back(translateLine(++number, raw));
    }
    return lines;
}

// ---------------------------------------------------------------------------------------
// Run-mode list files

struct ListLine {
    std::size_t number = 0;  // 1-based line of the list file
    std::string text;
    std::uint16_t address = 0;
    Bytes bytes;
    std::optional<int> sourceLine;  // a code line's "$N"; data lines have none
    bool end = false;               // the address after the program, alone
};

// "1000: B0 80               $3", "1021: 3F 06 5B 4F" or "102C:".
std::optional<ListLine> parseListLine(std::size_t number, std::string_view text) {
    ListLine line;
    line.number = number;
    line.text = std::string(text);
    if (text.size() < 5 || text[4] != ':' || !isHexDigits(text.substr(0, 4))) {
        return std::nullopt;
    }
    line.address = static_cast<std::uint16_t>(nasm::hexValue(text.substr(0, 4)));
    std::string_view rest = text.substr(5);
    if (const std::size_t dollar = rest.find('$'); dollar != std::string_view::npos) {
        const std::string_view n = rest.substr(dollar + 1);
        if (n.empty() || !std::all_of(n.begin(), n.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c)) != 0;
            })) {
            return std::nullopt;
        }
        line.sourceLine = std::stoi(std::string(n));
        rest = rest.substr(0, dollar);
    }
    std::istringstream items{std::string(rest)};
    for (std::string item; items >> item;) {
        if (item.size() != 2 || !isHexDigits(item)) {
            return std::nullopt;
        }
        line.bytes.push_back(static_cast<std::uint8_t>(nasm::hexValue(item)));
    }
    line.end = line.bytes.empty() && !line.sourceLine;
    if (line.bytes.empty() && line.sourceLine) {
        return std::nullopt;
    }
    return line;
}

// ---------------------------------------------------------------------------------------
// The examples

std::set<std::string> namesIn(const fs::path& folder, std::string_view suffix) {
    std::set<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string file = entry.path().filename().string();
        if (file.size() > suffix.size() && file.ends_with(suffix)) {
            names.insert(file.substr(0, file.size() - suffix.size()));
        }
    }
    return names;
}

// Every example and every name with a golden file, so that either one missing its partner
// is a failing test of its own.
std::vector<std::string> exampleNames() {
    std::set<std::string> names = namesIn(examplesFolder(), ".asm");
    names.merge(namesIn(goldenFolder(), kRunSuffix));
    names.merge(namesIn(goldenFolder(), kListingSuffix));
    return {names.begin(), names.end()};
}

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

std::string describe(const SourceLine& s) {
    return "source line " + std::to_string(s.number) + " \"" + s.text + "\"";
}

std::string describe(const ListLine& l) {
    return "list line " + std::to_string(l.number) + " \"" + l.text + "\"";
}

struct Example {
    std::vector<SourceLine> source;
    std::vector<ListLine> list;  // the code and data lines
    ListLine end;                // the last line
};

std::vector<std::string> nasmStatements(const std::vector<SourceLine>& source) {
    std::vector<std::string> statements;
    for (const SourceLine& s : source) {
        if (s.kind != Kind::Nothing) {
            statements.push_back(s.nasm);
        }
    }
    return statements;
}

// A list line with the source statement it shows and that statement's place among NASM's.
struct Pair {
    const ListLine* list;
    const SourceLine* source;
    std::size_t statement;
};

bool isJumpToLabel(const SourceLine& s) {
    return s.kind == Kind::Instruction && s.instruction.form == "label";
}

std::string dataText(const Bytes& bytes) {
    std::string text = "db ";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text += (i == 0 ? "0x" : ", 0x") + nasm::hexText({bytes[i]});
    }
    return text;
}

// Reads the example and its run-mode list file; a missing partner fails here.
void load(const std::string& name, Example& example) {
    const fs::path sourcePath = examplesFolder() / (name + ".asm");
    const fs::path runPath = goldenFolder() / (name + std::string(kRunSuffix));
    const fs::path listingPath = goldenFolder() / (name + std::string(kListingSuffix));
    ASSERT_TRUE(fs::exists(sourcePath)) << "golden files for " << name << " but no " << sourcePath;
    EXPECT_TRUE(fs::exists(listingPath)) << sourcePath << " has no golden " << listingPath;
    ASSERT_TRUE(fs::exists(runPath)) << sourcePath << " has no golden " << runPath;

    example.source = translateSource(nasm::readText(sourcePath.string()));
    for (const SourceLine& s : example.source) {
        ASSERT_TRUE(s.problem.empty()) << describe(s) << " has no NASM translation: " << s.problem;
    }
    std::istringstream in(nasm::readText(runPath.string()));
    std::size_t number = 0;
    for (std::string text; std::getline(in, text);) {
        std::erase(text, '\r');
        const auto line = parseListLine(++number, text);
        ASSERT_TRUE(line) << runPath << " line " << number << " is not a run-mode line: \"" << text
                          << "\"";
        example.list.push_back(*line);
    }
    ASSERT_FALSE(example.list.empty()) << runPath << " is empty";
    example.end = example.list.back();
    example.list.pop_back();
    ASSERT_TRUE(example.end.end) << describe(example.end)
                                 << " should be the address after the program alone";
}

// The list lines and the source statements pair off in order. Once they fall out of step
// every later pair would be wrong too, so the first mismatch ends the test.
void pairOff(const Example& example, std::vector<Pair>& pairs) {
    std::map<int, std::size_t> statementOf;
    std::vector<const SourceLine*> expected;
    for (const SourceLine& s : example.source) {
        if (s.kind != Kind::Nothing) {
            const std::size_t next = statementOf.size();
            statementOf[s.number] = next;
        }
        if (s.kind == Kind::Instruction || s.kind == Kind::Data) {
            expected.push_back(&s);
        }
    }
    for (std::size_t k = 0; k < example.list.size(); ++k) {
        const ListLine& l = example.list[k];
        ASSERT_FALSE(l.end) << describe(l) << ": an end address before the last line";
        ASSERT_LT(k, expected.size()) << describe(l) << " has no source statement left";
        const SourceLine& s = *expected[k];
        if (l.sourceLine) {
            const auto named =
                std::find_if(example.source.begin(), example.source.end(),
                             [&](const SourceLine& x) { return x.number == *l.sourceLine; });
            ASSERT_TRUE(named != example.source.end() && named->kind == Kind::Instruction)
                << describe(l) << " names source line " << *l.sourceLine
                << ", which holds no instruction"
                << (named == example.source.end() ? std::string() : ": \"" + named->text + "\"");
            ASSERT_EQ(s.number, *l.sourceLine)
                << describe(l) << " comes where the list should show " << describe(s);
        } else {
            ASSERT_TRUE(s.kind == Kind::Data)
                << describe(l) << " is a data line where the list should show " << describe(s);
        }
        pairs.push_back({&l, &s, statementOf.at(s.number)});
    }
    for (std::size_t k = example.list.size(); k < expected.size(); ++k) {
        ADD_FAILURE() << describe(*expected[k]) << " has no list line";
    }
}

class GoldenNasm : public ::testing::TestWithParam<std::string> {};

TEST(GoldenFiles, ExamplesAreFound) {
    EXPECT_FALSE(namesIn(examplesFolder(), ".asm").empty()) << examplesFolder();
}

// Instructions other than jumps to labels have bytes of their own, whatever the layout: they
// are held to NASM's first. A deliberate difference that changes an instruction's length moves
// NASM's later addresses and jumps away from the kit's, so NASM then assembles the program
// again with the kit's bytes in its place, and addresses and jumps are held to that layout.
TEST_P(GoldenNasm, RunListFileAgreesWithNasm) {
    const std::string name = GetParam();
    Example example;
    ASSERT_NO_FATAL_FAILURE(load(name, example));
    std::vector<Pair> pairs;
    ASSERT_NO_FATAL_FAILURE(pairOff(example, pairs));

    nasm::TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string failure;
    const nasm::NasmOptions options{.origin = kProgramStart, .only8086 = true};
    std::vector<std::string> statements = nasmStatements(example.source);
    const std::optional<nasm::Assembly> first =
        nasm::assembleWithNasm(statements, dir, failure, options);
    ASSERT_TRUE(first) << failure;

    auto described = [](const Pair& p, const nasm::Assembly& assembly) {
        return describe(*p.list) + " for " + describe(*p.source) + ", NASM \"" + p.source->nasm +
               "\" at " + hex4(assembly.addresses[p.statement]) + ": " +
               hexText(assembly.bytes[p.statement]);
    };
    std::vector<std::size_t> candidates;  // into pairs
    std::vector<std::pair<Bytes, Bytes>> encodings;
    std::set<std::size_t> reported;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const Pair& p = pairs[k];
        const Bytes& theirs = first->bytes[p.statement];
        if (p.list->bytes == theirs || isJumpToLabel(*p.source)) {
            continue;
        }
        if (p.source->kind == Kind::Instruction &&
            nasm::deliberateDifferenceFor(p.source->instruction) != nullptr) {
            candidates.push_back(k);
            encodings.emplace_back(p.list->bytes, theirs);
        } else {
            ADD_FAILURE() << described(p, *first) << ": the bytes differ";
            reported.insert(k);
        }
    }
    const auto decoded = nasm::decodeAlike(encodings, dir, failure);
    ASSERT_TRUE(decoded) << failure;
    std::map<std::string_view, std::size_t> perDifference;
    std::set<std::size_t> deliberate;
    bool lengthChanged = false;
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        const Pair& p = pairs[candidates[c]];
        const nasm::DecodedPair& d = (*decoded)[c];
        if (!d.same) {
            ADD_FAILURE() << described(p, *first) << ": the list's bytes decode as \"" << d.first
                          << "\", NASM's as \"" << d.second << "\"";
            reported.insert(candidates[c]);
            continue;
        }
        ++perDifference[nasm::deliberateDifferenceFor(p.source->instruction)->name];
        deliberate.insert(candidates[c]);
        statements[p.statement] = p.source->nasmLabels + dataText(p.list->bytes);
        lengthChanged = lengthChanged || p.list->bytes.size() != encodings[c].second.size();
    }

    std::optional<nasm::Assembly> second;
    if (lengthChanged) {
        second = nasm::assembleWithNasm(statements, dir, failure, options);
        ASSERT_TRUE(second) << failure;
    }
    const nasm::Assembly& layout = second ? *second : *first;
    EXPECT_EQ(hex4(example.end.address), hex4(layout.end))
        << describe(example.end) << ": NASM's program ends elsewhere";
    std::size_t identical = 0;
    std::size_t codeLines = 0;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const Pair& p = pairs[k];
        codeLines += p.list->sourceLine ? 1u : 0u;
        if (p.list->address != layout.addresses[p.statement]) {
            ADD_FAILURE() << described(p, layout) << ": the address differs";
        } else if (deliberate.count(k) != 0) {
            continue;
        } else if (p.list->bytes == layout.bytes[p.statement]) {
            ++identical;
        } else if (reported.count(k) == 0) {
            ADD_FAILURE() << described(p, layout) << ": the bytes differ";
        }
    }

    std::cout << "[ golden   ] " << name << ": " << codeLines << " code and "
              << pairs.size() - codeLines << " data lines, " << identical << " identical to NASM";
    for (const auto& [difference, count] : perDifference) {
        std::cout << ", " << count << " " << difference;
    }
    std::cout << (second ? " (NASM assembled it again with the kit's bytes there)" : "") << "\n";
}

// Test names allow letters, digits and underscores only.
std::string testName(const ::testing::TestParamInfo<std::string>& example) {
    std::string name = example.param;
    for (char& c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            c = '_';
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenNasm, ::testing::ValuesIn(exampleNames()), testName);

}  // namespace
}  // namespace tarvix
