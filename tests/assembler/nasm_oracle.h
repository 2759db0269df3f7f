// NASM and ndisasm as oracles for the kit's machine code, shared by the tests that compare
// the kit with them: one nasm run assembles many statements and reports each one's bytes and
// address; one ndisasm run tells whether two encodings are the same instruction. The table of
// the kit's deliberate encoding differences from NASM lives here too, so that every test
// accepts exactly the same ones.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvix::nasm {

using Bytes = std::vector<std::uint8_t>;

unsigned hexValue(std::string_view text);

// "B0 80": upper-case pairs with one space between.
std::string hexText(const Bytes& bytes);
Bytes parseByteText(std::string_view text);

// ---------------------------------------------------------------------------------------
// Statements, as the table of deliberate differences looks at them

struct Operand {
    std::string kit;            // kit source text: bare hexadecimal, BPTR/WPTR
    std::string nasm;           // the same operand for NASM
    unsigned displacement = 0;  // a "+" displacement as written, for the wrap-around entry
};

// The form names operand classes in order: "r8"/"r16" registers, "acc8"/"acc16" AL/AX in the
// ALU group, TEST, IN and OUT, "imm", "m8"/"m16" (sized) or "m" memory through a base
// register, "a8"/"a16" or "a" a direct address; e.g. "r16,r16", "acc16,imm", "m8,cl".
struct Case {
    std::string mnemonic;
    std::string form;
    std::vector<Operand> operands;
    std::optional<unsigned> immediate;
    std::string kit;   // the statement as typed
    std::string nasm;  // its NASM translation
};

inline constexpr std::array<std::string_view, 8> kAluMnemonics{"add", "adc", "sub", "sbb",
                                                               "cmp", "and", "or",  "xor"};

bool isAlu(std::string_view mnemonic);

struct DeliberateDifference {
    std::string_view name;
    std::string_view reason;
    bool (*applies)(const Case&);
};

extern const std::array<DeliberateDifference, 7> kDeliberateDifferences;

// The first entry that applies, or null. Bytes accepted under an entry must still decode to
// NASM's instruction (decodeAlike).
const DeliberateDifference* deliberateDifferenceFor(const Case& c);

// ---------------------------------------------------------------------------------------
// Files and tools

// A fresh private folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !path_.empty(); }
    std::string file(std::string_view name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string readText(const std::string& path);
bool writeText(const std::string& path, const std::string& text);

struct NasmOptions {
    std::uint16_t origin = 0;  // ORG of the program, and so of every address reported
    bool only8086 = false;     // CPU 8086: NASM refuses later instructions and near Jcc
};

struct Assembly {
    std::vector<Bytes> bytes;              // each statement's bytes
    std::vector<std::uint16_t> addresses;  // where each statement starts
    std::uint16_t end = 0;                 // the address after the last statement
};

// Assembles the statements in order in one nasm run, each one on its own line behind a label
// of its own; a statement may define labels of its own ("$next: add al,[si]") or be a label
// alone. Fails with NASM's messages, each with the statement it names.
std::optional<Assembly> assembleWithNasm(const std::vector<std::string>& statements,
                                         const TempDir& dir, std::string& failure,
                                         const NasmOptions& options = {});

struct DecodedPair {
    bool same = false;  // the same instruction, each decoding spanning all of its bytes
    std::string first;  // ndisasm's text, "?" when it gave none
    std::string second;
};

// Decodes both encodings of every pair in one ndisasm run.
std::optional<std::vector<DecodedPair>> decodeAlike(
    const std::vector<std::pair<Bytes, Bytes>>& pairs, const TempDir& dir, std::string& failure);

// Puts two decodings of the same instruction into one form: a sign-extended byte immediate
// as its 16-bit value, INT3 as INT 3, NOP as XCHG AX,AX and the operands of the commutative
// TEST and XCHG in order.
std::string normalised(std::string text);

}  // namespace tarvix::nasm
