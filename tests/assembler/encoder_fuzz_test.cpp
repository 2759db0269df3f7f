// Random and mutated statements through the scanner and the encoder: whatever the text, each
// statement either encodes (with as many bytes as the location counter advanced) or is refused
// with a message, and nothing reads or writes out of bounds (the test build runs sanitized).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "assembler/assembler8086.h"
#include "tests/line_mutations.h"

namespace tarvix {
namespace {

TEST(EncoderFuzz, AnyTextEncodesConsistentlyOrIsRefused) {
    MemoryOutputSink sink;
    int line = 1;
    sink.lineSource = &line;
    OutputPane pane(sink);
    Assembler8086 assembler(pane);
    std::mt19937 rng(20261206);

    for (int i = 0; i < 60000; ++i) {
        std::string text = mutatedLine(rng);
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
