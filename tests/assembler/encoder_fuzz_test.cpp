// Random and mutated statements through the scanner and the encoder: whatever the text, each
// statement either encodes (with as many bytes as the location counter advanced) or is refused
// with a message, and nothing reads or writes out of bounds (the test build runs sanitized).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "assembler/assembler8086.h"

namespace tarvix {
namespace {

const std::vector<std::string> kSeeds = {
    "mov ax,1234",   "add wptr [bx+si+7f],80",
    "rep movsb",     "shl bptr [bp-2],cl",
    "xchg ax,bx",    "db 'Hi',0d ; text",
    "dw 1,2,3",      "again: jnz again",
    "in al,dx",      "out 20,al",
    "int 3",         "test bl,[1200]",
    "Proc\tDelay",   "mov al,[bx-100]",
    "pop wptr [di]",
};

const std::string kAlphabet = "axbxcldhsidibpsp[]+-,:;'\t 0123456789abcdefwptrbptr\xff\x80";

std::string mutate(std::string text, std::mt19937& rng) {
    std::uniform_int_distribution<int> op(0, 2);
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < edits; ++i) {
        const std::size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
        switch (op(rng)) {
            case 0:
                text.insert(at, 1, kAlphabet[pick(rng)]);
                break;
            case 1:
                if (at < text.size()) {
                    text.erase(at, 1);
                }
                break;
            default:
                if (at < text.size()) {
                    text[at] = kAlphabet[pick(rng)];
                }
                break;
        }
    }
    return text;
}

TEST(EncoderFuzz, AnyTextEncodesConsistentlyOrIsRefused) {
    MemoryOutputSink sink;
    int line = 1;
    sink.lineSource = &line;
    OutputPane pane(sink);
    Assembler8086 assembler(pane);
    std::mt19937 rng(20261206);

    for (int i = 0; i < 60000; ++i) {
        std::string text = mutate(kSeeds[static_cast<std::size_t>(i) % kSeeds.size()], rng);
        if (i % 10 == 0) {
            text.assign(rng() % 300, '\0');
            for (char& c : text) {
                c = static_cast<char>(rng());
            }
        }
        pane.clearStatus();
        assembler.locationCounter = kProgramOrigin;
        std::string bytes;
        if (assembler.encodeSingleStatement(text, bytes)) {
            const std::size_t moved =
                static_cast<std::uint16_t>(assembler.locationCounter - kProgramOrigin);
            ASSERT_EQ(bytes.size() % 3, 0u) << text;
            // A DB/DW line may hold any number of items; instructions are at most six bytes.
            if (assembler.statement.mnemonic != "db" && assembler.statement.mnemonic != "dw") {
                ASSERT_EQ(moved, bytes.size() / 3) << text;
                ASSERT_LE(moved, 6u) << text;
            }
        } else {
            ASSERT_TRUE(pane.errorLatched()) << text;
            ASSERT_FALSE(sink.text.empty()) << text;
            ASSERT_LE(sink.text.size(), OutputPane::kMaxLineLength) << text;
        }
    }
}

}  // namespace
}  // namespace tarvix
