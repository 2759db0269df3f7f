#include "assembler/template_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace tarvix {
namespace {

std::string bits3(int value) {
    std::string out;
    for (int bit = 2; bit >= 0; --bit) {
        out += ((value >> bit) & 1) ? '1' : '0';
    }
    return out;
}

// Bytes a pattern occupies with 8-bit data and no displacement, counted from its fields.
int sizeFromFields(std::string pattern) {
    int bits = 0;
    int bytes = 0;
    for (std::size_t i = 0; i < pattern.size();) {
        const std::string rest = pattern.substr(i);
        if (rest.rfind(">><<", 0) == 0) {
            i += 4;
        } else if (rest.rfind("addr", 0) == 0) {
            bytes += 2;
            i += 4;
        } else if (rest.rfind("data", 0) == 0 || rest.rfind("port", 0) == 0 ||
                   rest.rfind("tipe", 0) == 0) {
            bytes += 1;
            i += 4;
        } else if (rest.rfind("reg", 0) == 0 || rest.rfind("r/m", 0) == 0) {
            bits += 3;
            i += 3;
        } else if (rest.rfind("mod", 0) == 0) {
            bits += 2;
            i += 3;
        } else {
            bits += pattern[i] == ' ' ? 0 : 1;
            ++i;
        }
    }
    EXPECT_EQ(bits % 8, 0) << pattern;
    return bytes + bits / 8;
}

struct Key {
    std::string mnemonic;
    std::string first;
    std::string second;
};

Key splitKey(std::string_view name) {
    Key key;
    const std::size_t underscore = name.find('_');
    key.mnemonic = name.substr(0, underscore);
    const std::string classes(name.substr(underscore + 1));
    const std::size_t slash = classes.find('/');
    key.first = classes.substr(0, slash);
    key.second = slash == std::string::npos ? "" : classes.substr(slash + 1);
    return key;
}

bool isWord(const Key& k) {
    return k.first.find("16") != std::string::npos || k.second.find("16") != std::string::npos;
}

// The operation numbers of the 8086's instruction groups.
const std::map<std::string, int> kAluOps = {{"add", 0}, {"or", 1},  {"adc", 2}, {"sbb", 3},
                                            {"and", 4}, {"sub", 5}, {"xor", 6}, {"cmp", 7}};
const std::map<std::string, int> kUnaryOps = {{"inc", 0}, {"dec", 1},  {"not", 2}, {"neg", 3},
                                              {"mul", 4}, {"imul", 5}, {"div", 6}, {"idiv", 7}};
const std::map<std::string, int> kShiftOps = {{"rol", 0}, {"ror", 1}, {"rcl", 2}, {"rcr", 3},
                                              {"shl", 4}, {"sal", 4}, {"shr", 5}, {"sar", 7}};

// Pattern of a group-1 form: 00ooo d w with d = 1 when the register is the destination.
std::string aluPattern(const Key& k, int op) {
    const std::string o = bits3(op);
    const std::string w = isWord(k) ? "1" : "0";
    if (k.second == "imm") {
        if (k.first.rfind("acu", 0) == 0) {
            return "00" + o + "10" + w + " data";
        }
        const bool logic = k.mnemonic == "and" || k.mnemonic == "or" || k.mnemonic == "xor";
        const std::string sw = k.first == "reg16"  ? "y1"
                               : k.first == "reg8" ? (logic ? "00" : "y0")
                                                   : "yw";
        const std::string modrm = k.first == "addr" ? "00" + o + "110 addr" : "mod" + o + "r/m";
        return "100000" + sw + " " + modrm + " data";
    }
    const std::string d = k.first.rfind("reg", 0) == 0 ? "1" : "0";
    const bool direct = k.first == "addr" || k.second == "addr";
    return "00" + o + "0" + d + w + (direct ? " 00reg110 addr" : " modregr/m");
}

std::string unaryPattern(const Key& k, int op) {
    const std::string o = bits3(op);
    const std::string group = op < 2 ? "1111111" : "1111011";
    if (k.first == "reg16" && op < 2) {
        return "0100" + std::string(op == 1 ? "1" : "0") + "reg";
    }
    const std::string w = k.first == "reg16" ? "1" : k.first == "reg8" ? "0" : "w";
    return group + w + (k.first == "addr" ? " 00" + o + "110 addr" : " mod" + o + "r/m");
}

std::string shiftPattern(const Key& k, int op) {
    const std::string o = bits3(op);
    const std::string v = k.second == "reg8" ? "1" : "0";  // count in CL
    const std::string w = k.first == "reg16" ? "1" : k.first == "reg8" ? "0" : "w";
    if (k.first == "addr") {
        return "110100" + v + w + " 00" + o + "110>><< addr";
    }
    return "110100" + v + w + " mod" + o + "r/m>><<";
}

std::string conditionalJumpOpcode(const std::string& m) {
    static const std::map<std::string, int> conditions = {
        {"jo", 0},   {"jno", 1},  {"jb", 2},   {"jc", 2},   {"jae", 3},  {"jnb", 3},  {"jnc", 3},
        {"je", 4},   {"jz", 4},   {"jne", 5},  {"jnz", 5},  {"jbe", 6},  {"jna", 6},  {"ja", 7},
        {"js", 8},   {"jns", 9},  {"jp", 10},  {"jpe", 10}, {"jnp", 11}, {"jpo", 11}, {"jl", 12},
        {"jge", 13}, {"jnl", 13}, {"jle", 14}, {"jng", 14}, {"jg", 15}};
    static const std::map<std::string, std::string> loops = {{"loopne", "E0"}, {"loopnz", "E0"},
                                                             {"loope", "E1"},  {"loopz", "E1"},
                                                             {"loop", "E2"},   {"jcxz", "E3"}};
    if (const auto loop = loops.find(m); loop != loops.end()) {
        return loop->second;
    }
    static const char* hex = "0123456789ABCDEF";
    return std::string("7") + hex[conditions.at(m)];
}

TEST(TemplateTable, ShapeAndOrder) {
    std::set<std::string> keys;
    char previousLetter = 'a';
    for (std::size_t i = 0; i < kTemplateCount; ++i) {
        const std::string name(kTemplateTable[i].formName);
        ASSERT_FALSE(name.empty()) << "row " << i;
        EXPECT_TRUE(keys.insert(name).second) << "duplicate key " << name;
        EXPECT_GE(name.front(), previousLetter) << name << " breaks the letter groups";
        previousLetter = name.front();
        EXPECT_NE(name.find('_'), std::string::npos) << name;
    }
    EXPECT_TRUE(kTemplateTable[kTemplateCount].formName.empty());
    EXPECT_EQ(keys.size(), 365u);
}

TEST(TemplateTable, LetterIndexBoundsEachGroup) {
    const LetterIndex index = buildLetterIndex();
    EXPECT_EQ(index[26], kTemplateCount);
    for (std::size_t k = 0; k < 26; ++k) {
        for (std::size_t row = index[k]; row < index[k + 1]; ++row) {
            EXPECT_EQ(kTemplateTable[row].formName.front(), static_cast<char>('a' + k));
        }
    }
    EXPECT_EQ(index[1] - index[0], 52u);  // aaa, aad, aam, aas and three ALU families
    EXPECT_EQ(index['z' - 'a' + 1] - index['z' - 'a'], 0u);   // no z group
    EXPECT_EQ(index['s' - 'a' + 1] - index['s' - 'a'], 71u);  // the largest group
}

TEST(TemplateTable, EveryRowSizeMatchesItsFields) {
    for (std::size_t i = 0; i < kTemplateCount; ++i) {
        const InstructionTemplate& row = kTemplateTable[i];
        const Key k = splitKey(row.formName);
        if (k.first.empty() && k.mnemonic != "aam" && row.bitPattern.size() == 2) {
            continue;  // label jumps hold their opcode byte; their sizes are checked below
        }
        EXPECT_EQ(sizeFromFields(std::string(row.bitPattern)), row.baseSize) << row.formName;
    }
}

TEST(TemplateTable, FamiliesFollowTheOperationNumbers) {
    int derived = 0;
    for (std::size_t i = 0; i < kTemplateCount; ++i) {
        const InstructionTemplate& row = kTemplateTable[i];
        const Key k = splitKey(row.formName);
        std::string expected;
        if (const auto alu = kAluOps.find(k.mnemonic); alu != kAluOps.end()) {
            expected = aluPattern(k, alu->second);
        } else if (const auto unary = kUnaryOps.find(k.mnemonic); unary != kUnaryOps.end()) {
            expected = unaryPattern(k, unary->second);
        } else if (const auto shift = kShiftOps.find(k.mnemonic); shift != kShiftOps.end()) {
            expected = shiftPattern(k, shift->second);
        } else if (k.first.empty() &&
                   (k.mnemonic.front() == 'j' || k.mnemonic.rfind("loop", 0) == 0) &&
                   k.mnemonic != "jmp") {
            expected = conditionalJumpOpcode(k.mnemonic);
            EXPECT_EQ(row.baseSize, 2) << row.formName;
        } else {
            continue;
        }
        ++derived;
        EXPECT_EQ(row.bitPattern, expected) << row.formName;
    }
    EXPECT_EQ(derived, 128 + 32 + 64 + 32);
}

}  // namespace
}  // namespace tarvix
