#include "tests/assembler/nasm_oracle.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <utility>

#include "common/format.h"
#include "tests/scratch_folder.h"

namespace tarvix::nasm {

namespace {

// Runs a tool with its error output in `dir`; the messages go to `failure` when it fails.
bool run(const std::string& command, const ScratchFolder& dir, std::string& failure) {
    const std::string errors = (dir / "errors.txt").string();
    if (std::system((command + " 2>'" + errors + "'").c_str()) == 0) {
        return true;
    }
    failure = command + " failed:\n" + readFile(errors);
    return false;
}

std::string hexText(std::string_view bytes) {
    std::string text;
    for (const char b : bytes) {
        text += formatText(text.empty() ? "%02X" : " %02X", static_cast<unsigned char>(b));
    }
    return text;
}

// One text for two encodings of the same instruction: a sign-extended byte immediate as its
// 16-bit value, INT3 as INT 3, NOP as XCHG AX,AX and the operands of the commutative TEST and
// XCHG in order.
std::string normalised(std::string text) {
    if (const std::size_t at = std::min(text.find("byte +"), text.find("byte -"));
        at != std::string::npos) {
        const long value = std::stol(text.substr(at + 5), nullptr, 16);  // "+0x7f", "-0x80"
        text = text.substr(0, at) + formatText("0x%x", static_cast<unsigned>(value) & 0xFFFF);
    }
    if (text == "int3") {
        text = "int 0x3";
    }
    if (text == "nop") {
        text = "xchg ax,ax";
    }
    if (const std::size_t comma = text.find(',');
        comma != std::string::npos && (text.starts_with("test ") || text.starts_with("xchg "))) {
        std::string first = text.substr(5, comma - 5);
        std::string second = text.substr(comma + 1);
        if (second < first) {
            std::swap(first, second);
        }
        text = text.substr(0, 5) + first + "," + second;
    }
    return text;
}

}  // namespace

// Each statement goes through a macro that puts its length in a byte before it.
std::optional<std::vector<std::string>> assemble(const std::vector<std::string>& statements,
                                                 std::string& failure) {
    constexpr std::size_t kFirstStatementLine = 7;
    std::string source = "bits 16\n%macro s 1+\ndb %%e-%%b\n%%b: %1\n%%e:\n%endmacro\n";
    for (const std::string& statement : statements) {
        source += "s " + statement + "\n";
    }
    const ScratchFolder dir;
    writeFile(dir / "cases.asm", source);
    const std::string output = (dir / "cases.bin").string();
    if (!run("'" TARVIX_NASM "' -f bin -o '" + output + "' '" + (dir / "cases.asm").string() + "'",
             dir, failure)) {
        // "cases.asm:LINE: error: ..."
        std::istringstream messages(failure);
        for (std::string line; std::getline(messages, line);) {
            const std::size_t at = line.find(".asm:");
            const std::size_t number =
                at == std::string::npos ? 0 : std::stoul(line.substr(at + 5));
            if (number >= kFirstStatementLine && number - kFirstStatementLine < statements.size()) {
                failure += "  for: " + statements[number - kFirstStatementLine] + "\n";
            }
        }
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

// The pieces go on a fixed stride with NOPs between, so that a piece decoded wrongly cannot
// shift the next.
std::optional<std::vector<std::string>> disassemble(const std::vector<std::string>& pieces,
                                                    std::string& failure) {
    constexpr std::size_t kStride = 16;
    std::string blob(pieces.size() * kStride, '\x90');
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        for (std::size_t at = 0; at < pieces[i].size(); at += 3) {
            blob[i * kStride + at / 3] =
                static_cast<char>(std::stoul(pieces[i].substr(at, 2), nullptr, 16));
        }
    }
    const ScratchFolder dir;
    writeFile(dir / "pieces.bin", blob);
    const std::string output = (dir / "pieces.txt").string();
    if (!run("'" TARVIX_NDISASM "' -b 16 '" + (dir / "pieces.bin").string() + "' >'" + output + "'",
             dir, failure)) {
        return std::nullopt;
    }
    std::vector<std::string> texts(pieces.size(), "?");
    std::istringstream lines(readFile(output));
    // "00000010  8BC3              mov ax,bx"
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string offset;
        std::string hex;
        std::string text;
        fields >> offset >> hex >> std::ws;
        std::getline(fields, text);
        const std::size_t at = offset.size() == 8 ? std::stoul(offset, nullptr, 16) : 1;
        if (at % kStride != 0 || at / kStride >= pieces.size()) {
            continue;
        }
        std::string piece = pieces[at / kStride];
        std::erase(piece, ' ');
        if (hex == piece) {
            texts[at / kStride] = normalised(text);
        }
    }
    return texts;
}

}  // namespace tarvix::nasm
