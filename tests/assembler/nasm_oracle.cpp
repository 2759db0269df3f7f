#include "nasm_oracle.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace tarvix::nasm {

namespace {

bool regToReg(const Case& c) {
    return c.form == "r8,r8" || c.form == "r16,r16";
}

bool signExtends(unsigned value) {
    return value <= 0x7F || value >= 0xFF80;
}

bool run(const std::string& program, const std::string& arguments, const std::string& errorFile) {
    const std::string command = "'" + program + "' " + arguments + " 2>'" + errorFile + "'";
    return std::system(command.c_str()) == 0;
}

Bytes readBytes(const std::string& path) {
    const std::string text = readText(path);
    return Bytes(text.begin(), text.end());
}

std::size_t lineCount(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

struct Decoded {
    std::size_t length = 0;
    std::string text;
};

// ndisasm over one blob; each piece starts on a fixed stride, with NOPs in between so that
// a piece decoded wrongly cannot shift the next.
constexpr std::size_t kStride = 16;

std::optional<std::map<std::size_t, Decoded>> disassemble(const std::vector<Bytes>& pieces,
                                                          const TempDir& dir,
                                                          std::string& failure) {
    Bytes blob(pieces.size() * kStride, 0x90);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].size() >= kStride) {
            failure = "an instruction of " + std::to_string(pieces[i].size()) + " bytes";
            return std::nullopt;
        }
        std::copy(pieces[i].begin(), pieces[i].end(),
                  blob.begin() + static_cast<std::ptrdiff_t>(i * kStride));
    }
    const std::string input = dir.file("pieces.bin");
    const std::string output = dir.file("pieces.txt");
    if (!writeText(input, std::string(blob.begin(), blob.end()))) {
        failure = "cannot write " + input;
        return std::nullopt;
    }
    if (!run(TARVIX_NDISASM, "-b 16 '" + input + "' >'" + output + "'", dir.file("ndisasm.err"))) {
        failure = "ndisasm failed: " + readText(dir.file("ndisasm.err"));
        return std::nullopt;
    }
    // "00000010  8BC3              mov ax,bx"
    std::map<std::size_t, Decoded> lines;
    std::istringstream text(readText(output));
    for (std::string line; std::getline(text, line);) {
        std::istringstream fields(line);
        std::string offset;
        std::string hex;
        fields >> offset >> hex;
        if (offset.size() != 8 || hex.empty() || hex.front() == '-') {
            continue;
        }
        std::string rest;
        std::getline(fields, rest);
        rest.erase(0, rest.find_first_not_of(' '));
        lines[std::stoul(offset, nullptr, 16)] = {hex.size() / 2, rest};
    }
    return lines;
}

}  // namespace

unsigned hexValue(std::string_view text) {
    return static_cast<unsigned>(std::stoul(std::string(text), nullptr, 16));
}

std::string hexText(const Bytes& bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char item[4];
        std::snprintf(item, sizeof item, "%02X ", b);
        text += item;
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

Bytes parseByteText(std::string_view text) {
    Bytes bytes;
    std::istringstream in{std::string(text)};
    for (std::string item; in >> item;) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(item, nullptr, 16)));
    }
    return bytes;
}

bool isAlu(std::string_view mnemonic) {
    return std::find(kAluMnemonics.begin(), kAluMnemonics.end(), mnemonic) != kAluMnemonics.end();
}

// First matching entry wins. Each one is checked through ndisasm rather than skipped.
const std::array<DeliberateDifference, 7> kDeliberateDifferences{{
    {"reg,reg direction",
     "MOV and the ALU group between registers: the kit uses the d=1 opcode (reg = destination, "
     "r/m = source), NASM the d=0 one",
     [](const Case& c) { return (c.mnemonic == "mov" || isAlu(c.mnemonic)) && regToReg(c); }},
    {"test reg,reg order",
     "TEST between registers: the kit puts the first operand in reg, NASM in r/m",
     [](const Case& c) { return c.mnemonic == "test" && regToReg(c); }},
    {"AX immediate",
     "ALU group AX,imm: the kit keeps the 3-byte accumulator form where NASM shortens to 83 /r ib",
     [](const Case& c) {
         return isAlu(c.mnemonic) && c.form == "acc16,imm" && signExtends(*c.immediate);
     }},
    {"word immediate FF80..FFFF",
     "ALU group word immediates: the kit sign-extends a byte only for 0..7F, NASM also for "
     "FF80..FFFF",
     [](const Case& c) {
         return isAlu(c.mnemonic) && c.form.ends_with("16,imm") && *c.immediate >= 0xFF80;
     }},
    {"int 3", "the kit gives INT 3 the one-byte breakpoint opcode CC, NASM keeps CD 03",
     [](const Case& c) { return c.mnemonic == "int" && c.immediate == 3u; }},
    {"xchg ax,ax", "the kit uses the general 87 C0, NASM the one-byte 90 (NOP)",
     [](const Case& c) {
         return c.mnemonic == "xchg" && c.operands[0].kit == "ax" && c.operands[1].kit == "ax";
     }},
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

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvix-nasm-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

TempDir::~TempDir() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// Every statement behind a label of the form ..@sN, which cannot meet a label of the
// program, then a table of those labels' values, so that one run gives each statement's
// address and bytes.
std::optional<Assembly> assembleWithNasm(const std::vector<std::string>& statements,
                                         const TempDir& dir, std::string& failure,
                                         const NasmOptions& options) {
    std::string source = "bits 16\n";
    if (options.only8086) {
        source += "cpu 8086\n";
    }
    if (options.origin != 0) {
        source += "org " + std::to_string(options.origin) + "\n";
    }
    const std::size_t headerLines = lineCount(source);
    for (std::size_t i = 0; i < statements.size(); ++i) {
        source += "..@s" + std::to_string(i) + ":\n" + statements[i] + "\n";
    }
    source += "..@s" + std::to_string(statements.size()) + ":\n";
    for (std::size_t i = 0; i <= statements.size(); ++i) {
        source +=
            (i % 16 == 0 ? "dd ..@s" : ", ..@s") + std::to_string(i) + (i % 16 == 15 ? "\n" : "");
    }
    source += "\n";
    const std::string input = dir.file("cases.asm");
    const std::string output = dir.file("cases.bin");
    const std::string errors = dir.file("nasm.err");
    if (!writeText(input, source)) {
        failure = "cannot write " + input;
        return std::nullopt;
    }
    if (!run(TARVIX_NASM, "-f bin -o '" + output + "' '" + input + "'", errors)) {
        std::istringstream lines(readText(errors));
        failure = "nasm failed:\n";
        for (std::string line; std::getline(lines, line);) {
            failure += line + "\n";
            // "cases.asm:LINE: error: ..."; statement i is on line headerLines + 2 i + 2.
            const std::size_t colon = line.find(".asm:");
            if (colon != std::string::npos && line.find("error") != std::string::npos) {
                const std::size_t number = std::stoul(line.substr(colon + 5));
                if (number > headerLines && (number - headerLines) % 2 == 0 &&
                    (number - headerLines) / 2 - 1 < statements.size()) {
                    failure += "  for: " + statements[(number - headerLines) / 2 - 1] + "\n";
                }
            }
        }
        return std::nullopt;
    }

    const Bytes image = readBytes(output);
    const std::size_t tableSize = 4 * (statements.size() + 1);
    if (image.size() < tableSize) {
        failure = "nasm output too short";
        return std::nullopt;
    }
    const std::size_t codeSize = image.size() - tableSize;
    auto offset = [&](std::size_t i) {
        const std::size_t at = codeSize + 4 * i;
        const std::size_t value = static_cast<std::size_t>(image[at]) |
                                  static_cast<std::size_t>(image[at + 1]) << 8u |
                                  static_cast<std::size_t>(image[at + 2]) << 16u |
                                  static_cast<std::size_t>(image[at + 3]) << 24u;
        return value - options.origin;
    };
    if (offset(statements.size()) != codeSize) {
        failure = "nasm offset table does not match the code size";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < statements.size(); ++i) {
        if (offset(i) > offset(i + 1)) {
            failure = "nasm offset table out of order at statement " + std::to_string(i);
            return std::nullopt;
        }
    }
    Assembly assembly;
    for (std::size_t i = 0; i < statements.size(); ++i) {
        const auto first = image.begin() + static_cast<std::ptrdiff_t>(offset(i));
        const auto last = image.begin() + static_cast<std::ptrdiff_t>(offset(i + 1));
        assembly.bytes.emplace_back(first, last);
        assembly.addresses.push_back(static_cast<std::uint16_t>(options.origin + offset(i)));
    }
    assembly.end = static_cast<std::uint16_t>(options.origin + codeSize);
    return assembly;
}

std::optional<std::vector<DecodedPair>> decodeAlike(
    const std::vector<std::pair<Bytes, Bytes>>& pairs, const TempDir& dir, std::string& failure) {
    std::vector<Bytes> pieces;
    for (const auto& [first, second] : pairs) {
        pieces.push_back(first);
        pieces.push_back(second);
    }
    const auto decoded = disassemble(pieces, dir, failure);
    if (!decoded) {
        return std::nullopt;
    }
    std::vector<DecodedPair> result;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const auto first = decoded->find(2 * k * kStride);
        const auto second = decoded->find((2 * k + 1) * kStride);
        DecodedPair pair;
        pair.same = first != decoded->end() && second != decoded->end() &&
                    first->second.length == pairs[k].first.size() &&
                    second->second.length == pairs[k].second.size() &&
                    normalised(first->second.text) == normalised(second->second.text);
        pair.first = first == decoded->end() ? "?" : first->second.text;
        pair.second = second == decoded->end() ? "?" : second->second.text;
        result.push_back(std::move(pair));
    }
    return result;
}

std::string normalised(std::string text) {
    if (const std::size_t at = text.find("byte +0x"); at != std::string::npos) {
        text.erase(at, 6);
    }
    if (const std::size_t at = text.find("byte -0x"); at != std::string::npos) {
        const unsigned value = 0x10000u - hexValue(text.substr(at + 8));
        char word[8];
        std::snprintf(word, sizeof word, "0x%x", value & 0xFFFFu);
        text = text.substr(0, at) + word;
    }
    if (text == "int3") {
        text = "int 0x3";
    }
    if (text == "nop") {
        text = "xchg ax,ax";
    }
    if (text.starts_with("test ") || text.starts_with("xchg ")) {
        const std::size_t comma = text.find(',');
        std::string first = text.substr(5, comma - 5);
        std::string second = text.substr(comma + 1);
        if (second < first) {
            std::swap(first, second);
        }
        text = text.substr(0, 5) + first + "," + second;
    }
    return text;
}

}  // namespace tarvix::nasm
