#include "nasm_oracle.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace tarvix::nasm {

namespace {

bool run(const std::string& program, const std::string& arguments, const std::string& errorFile) {
    const std::string command = "'" + program + "' " + arguments + " 2>'" + errorFile + "'";
    return std::system(command.c_str()) == 0;
}

// Two decodings of the same instruction in one form: a sign-extended byte immediate as its
// 16-bit value, INT3 as INT 3, NOP as XCHG AX,AX and the operands of the commutative TEST and
// XCHG in order.
std::string normalised(std::string text) {
    if (const std::size_t at = text.find("byte +0x"); at != std::string::npos) {
        text.erase(at, 6);
    }
    if (const std::size_t at = text.find("byte -0x"); at != std::string::npos) {
        const unsigned value =
            0x10000u - static_cast<unsigned>(std::stoul(text.substr(at + 8), nullptr, 16));
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

struct Decoded {
    std::size_t length = 0;
    std::string text;
};

// ndisasm over one blob; each piece starts on a fixed stride, with NOPs in between so that
// a piece decoded wrongly cannot shift the next.
constexpr std::size_t kStride = 16;

std::optional<std::map<std::size_t, Decoded>> disassemble(const std::vector<Bytes>& pieces,
                                                          const ScratchFolder& dir,
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
    const std::string input = (dir / "pieces.bin").string();
    const std::string output = (dir / "pieces.txt").string();
    writeFile(input, std::string(blob.begin(), blob.end()));
    if (!run(TARVIX_NDISASM, "-b 16 '" + input + "' >'" + output + "'",
             (dir / "ndisasm.err").string())) {
        failure = "ndisasm failed: " + readFile((dir / "ndisasm.err").string());
        return std::nullopt;
    }
    // "00000010  8BC3              mov ax,bx"
    std::map<std::size_t, Decoded> lines;
    std::istringstream text(readFile(output));
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

// Every statement behind a label of the form ..@sN, which cannot meet a label of the
// program, then a table of those labels' values, so that one run gives each statement's bytes.
std::optional<std::vector<Bytes>> assembleWithNasm(const std::vector<std::string>& statements,
                                                   const ScratchFolder& dir, std::string& failure) {
    std::string source = "bits 16\n";
    for (std::size_t i = 0; i < statements.size(); ++i) {
        source += "..@s" + std::to_string(i) + ":\n" + statements[i] + "\n";
    }
    source += "..@s" + std::to_string(statements.size()) + ":\n";
    for (std::size_t i = 0; i <= statements.size(); ++i) {
        source += "dd ..@s" + std::to_string(i) + "\n";
    }
    const std::string input = (dir / "cases.asm").string();
    const std::string output = (dir / "cases.bin").string();
    const std::string errors = (dir / "nasm.err").string();
    writeFile(input, source);
    if (!run(TARVIX_NASM, "-f bin -o '" + output + "' '" + input + "'", errors)) {
        std::istringstream lines(readFile(errors));
        failure = "nasm failed:\n";
        for (std::string line; std::getline(lines, line);) {
            // "cases.asm:LINE: error: ..."; statement i is on line 2 i + 3.
            const std::size_t colon = line.find(".asm:");
            const std::size_t number =
                colon == std::string::npos ? 0 : std::stoul(line.substr(colon + 5));
            failure += line + "\n";
            if (number >= 3 && number % 2 == 1 && (number - 3) / 2 < statements.size()) {
                failure += "  for: " + statements[(number - 3) / 2] + "\n";
            }
        }
        return std::nullopt;
    }
    const std::string image = readFile(output);
    const std::size_t tableSize = 4 * (statements.size() + 1);
    if (image.size() < tableSize) {
        failure = "nasm output too short";
        return std::nullopt;
    }
    const std::size_t codeSize = image.size() - tableSize;
    const auto offset = [&](std::size_t i) {
        std::size_t value = 0;
        for (std::size_t k = 4; k-- > 0;) {
            value = value << 8u | static_cast<std::uint8_t>(image[codeSize + 4 * i + k]);
        }
        return value;
    };
    std::vector<Bytes> bytes;
    for (std::size_t i = 0; i < statements.size(); ++i) {
        if (offset(i) > offset(i + 1) || offset(i + 1) > codeSize) {
            failure = "nasm offset table out of order at statement " + std::to_string(i);
            return std::nullopt;
        }
        bytes.emplace_back(image.begin() + static_cast<std::ptrdiff_t>(offset(i)),
                           image.begin() + static_cast<std::ptrdiff_t>(offset(i + 1)));
    }
    return bytes;
}

std::optional<std::vector<DecodedPair>> decodeAlike(
    const std::vector<std::pair<Bytes, Bytes>>& pairs, const ScratchFolder& dir,
    std::string& failure) {
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

}  // namespace tarvix::nasm
