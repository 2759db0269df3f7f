#include <gtest/gtest.h>

#include <string>

#include "assembler/assembler8086.h"

namespace tarvix {
namespace {

class EncoderTest : public ::testing::Test {
protected:
    EncoderTest() { sink.lineSource = &currentLine; }

    // Encodes one statement from the origin; the byte text without its trailing space.
    std::string encode(const std::string& line) {
        assembler.locationCounter = kProgramOrigin;
        sink.text.clear();
        pane.clearStatus();
        std::string bytes;
        ok = assembler.encodeSingleStatement(line, bytes);
        if (!bytes.empty()) {
            bytes.pop_back();
        }
        return bytes;
    }

    int advanced() const { return assembler.locationCounter - kProgramOrigin; }

    int currentLine = 4;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    Assembler8086 assembler{pane};
    bool ok = false;
};

// What the NASM cross-check cannot say: the kit's numbers, data directives, labels and
// comments. Every instruction form is held to NASM there.
TEST_F(EncoderTest, DataLabelsAndNumbers) {
    struct Case {
        const char* statement;
        const char* bytes;
    };
    const Case cases[] = {
        {"mov ax,12345", "B8 45 23"},  // numbers are taken modulo 10000H
        {"mov ax,0012", "B8 12 00"},
        {"MOV AX, [SI+BX]", "8B 00"},
        {"again: daa", "27"},
        {"db 41 ; letter", "41"},
        {"db 1 ; a,b", "01"},
        {"msg: db 'Hi'", "68 69"},
        {"db 'Hi',0D", "00 0D"},
        {"db 'AB' ; text", "61 62"},
        {"dw 1234,5", "34 12 05 00"},
        {"again:", ""},
        {"; nothing", ""},
    };
    for (const Case& c : cases) {
        const std::string bytes = encode(c.statement);
        EXPECT_TRUE(ok) << c.statement << ": " << sink.text;
        EXPECT_EQ(bytes, c.bytes) << c.statement;
        EXPECT_EQ(static_cast<std::size_t>(advanced()), (bytes.size() + 1) / 3) << c.statement;
    }
}

TEST_F(EncoderTest, RefusedStatements) {
    const std::string unsupported = "Line 4 Error: Unrecognized/unsupported instruction";
    const std::string noSize =
        "Line 4 Error: Specify 'BPTR'  or 'WPTR' for pointer to byte or word resptly";
    struct Case {
        const char* statement;
        std::string message;
    };
    const Case cases[] = {
        {"shl al,2", unsupported},
        {"shl al,bl", unsupported},
        {"inc [bx]", noSize},
        {"shl [bx],cl", noSize},
        {"rep", unsupported},
        {"rep mov ax,bx", unsupported},
        {"lea ax,[bx]", unsupported},
        {"mov al,80h", unsupported},
        {"mov ax,table", unsupported},
        {"mov ax,[bx+si-2]", unsupported},
        {"mov ax,[bx][si]", unsupported},
        {"mov ax,[cx]", unsupported},
        {"mov ax,[bx]+2", unsupported},
        {"7up ax", unsupported},
        {"push al", unsupported},
        {"my label: nop", "Line 4 Error: Labels should not have space(s)"},
        {"mov ax, es:[bx]", "Line 4 Error: Labels should not have space(s)"},
        {"abcdefghij: nop", "Line 4 Error: Label's length should be < 10"},
        {"jz nowhere", "Error: Unrecognized symbol nowhere"},  // names no line, but marks it
    };
    for (const Case& c : cases) {
        sink.markedLine.reset();
        encode(c.statement);
        EXPECT_FALSE(ok) << c.statement;
        EXPECT_EQ(sink.text, c.message) << c.statement;
        EXPECT_EQ(sink.markedLine, 3) << c.statement;
    }
    encode("abcdefghi: nop");
    EXPECT_TRUE(ok) << "a nine-character label is accepted";
}

}  // namespace
}  // namespace tarvix
