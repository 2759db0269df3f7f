#include <gtest/gtest.h>

#include <string>

#include "assembler/assembler8086.h"
#include "assembler/line_scanner.h"

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

TEST_F(EncoderTest, WorkedExamplesAndEdgeCases) {
    struct Case {
        const char* statement;
        const char* bytes;
    };
    const Case cases[] = {
        {"mov ax,1234", "B8 34 12"},
        {"mov al,5", "B0 05"},
        {"mov ax,bx", "8B C3"},
        {"mov [bx],al", "88 07"},
        {"mov ax,[1200]", "A1 00 12"},
        {"mov bx,[1200]", "8B 1E 00 12"},
        {"add wptr [bx],5", "83 07 05"},
        {"add wptr [bx],80", "81 07 80 00"},
        {"mov bptr [si+4],7", "C6 44 04 07"},
        {"inc bptr [bp]", "FE 46 00"},
        {"mov ax,[bx-2]", "8B 47 FE"},
        {"shl ax,cl", "D3 E0"},
        {"in al,20", "E4 20"},
        {"out dx,al", "EE"},
        {"int 3", "CC"},
        {"rep stosb", "F3 AA"},
        {"mov ah,5", "B4 05"},
        {"add ah,5", "80 C4 05"},
        {"add bx,7F", "83 C3 7F"},
        {"add bx,80", "81 C3 80 00"},
        {"add ax,7F", "05 7F 00"},
        {"adc al,5", "14 05"},
        {"add al,5", "04 05"},
        {"mov al,[bx+7F]", "8A 47 7F"},
        {"mov al,[bx+80]", "8A 87 80 00"},
        {"mov al,[bx-80]", "8A 47 80"},
        {"mov al,[bx-100]", "8A 87 00 FF"},
        {"mov al,[bx+0]", "8A 07"},
        {"mov al,[bp]", "8A 46 00"},
        {"shl al,1", "D0 E0"},
        {"shl wptr [bx],cl", "D3 27"},
        {"inc wptr [bx]", "FF 07"},
        {"mov ax,0012", "B8 12 00"},
        {"mov ax,12345", "B8 45 23"},
        {"int 21", "CD 21"},
        {"rep movsb", "F3 A4"},
        {"xchg ax,bx", "93"},
        {"xchg bx,ax", "93"},
        {"xchg ax,ax", "87 C0"},
        {"test bx,[1200]", "85 1E 00 12"},
        {"test bl,[1200]", "84 1E 00 12"},
        {"MOV AX, [SI+BX]", "8B 00"},
        {"mov bptr [1200],5", "C6 06 00 12 05"},
        {"mov wptr [1200],1234", "C7 06 00 12 34 12"},
        {"again: daa", "27"},
        {"call bx", "FF D3"},
        {"jmp [1200]", "FF 26 00 12"},
        {"push ax", "50"},
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
        {"jz nowhere", "Error: Unrecognized symbol nowhere"},
        {"jmp 1200", "Error: Unrecognized symbol 1200"},
    };
    for (const Case& c : cases) {
        encode(c.statement);
        EXPECT_FALSE(ok) << c.statement;
        EXPECT_EQ(sink.text, c.message) << c.statement;
    }
    encode("abcdefghi: nop");
    EXPECT_TRUE(ok) << "a nine-character label is accepted";
}

TEST_F(EncoderTest, AccumulatorRetryFallsBackOnRegisterForms) {
    struct Case {
        const char* statement;
        const char* pattern;
        const char* class1;
        const char* class2;
        int size;
    };
    const Case cases[] = {
        {"mov al,5", "10110reg data", "reg8", "imm", 2},
        {"mov ax,[1200]", "10100001 addr", "acu16", "addr", 3},
        {"xchg ax,bx", "10010reg", "acu16", "reg16", 1},
        {"xchg ax,ax", "10000111 modregr/m", "reg16", "reg16", 2},
        {"test bx,[1200]", "10000101 00reg110 addr", "reg16", "addr", 4},
        {"push ax", "01010reg", "reg16", "", 1},
    };
    for (const Case& c : cases) {
        assembler.statement = Statement{};
        assembler.locationCounter = kProgramOrigin;
        ASSERT_TRUE(scanLine(c.statement, assembler.statement));
        ASSERT_TRUE(assembler.findTemplate()) << c.statement;
        EXPECT_EQ(assembler.statement.pattern, c.pattern) << c.statement;
        EXPECT_EQ(assembler.statement.class1, c.class1) << c.statement;
        EXPECT_EQ(assembler.statement.class2, c.class2) << c.statement;
        EXPECT_EQ(advanced(), c.size) << c.statement;
    }
}

TEST_F(EncoderTest, NoRowLeavesPatternAndCounterAlone) {
    for (const char* line : {"lea ax,[bx]", "mov ax,table", "sahf"}) {
        assembler.statement = Statement{};
        assembler.locationCounter = kProgramOrigin;
        scanLine(line, assembler.statement);
        EXPECT_FALSE(assembler.findTemplate()) << line;
        EXPECT_EQ(assembler.statement.pattern, "") << line;
        EXPECT_EQ(advanced(), 0) << line;
    }
}

TEST_F(EncoderTest, LabelJumpSizes) {
    struct Case {
        const char* statement;
        int size;
    };
    const Case cases[] = {{"jmp done", 3}, {"call delay", 3}, {"jz done", 2},   {"loopne x", 2},
                          {"jcxz x", 2},   {"jmp bx", 0},     {"call [si]", 0}, {"mov ax,bx", 0}};
    for (const Case& c : cases) {
        assembler.statement = Statement{};
        scanLine(c.statement, assembler.statement);
        EXPECT_EQ(assembler.labelJumpSize(), c.size) << c.statement;
    }
}

TEST(PatternToBytes, ReadsWholeBytesAndDropsTheRest) {
    EXPECT_EQ(patternToBytes("1011100000000000"), "B8 00 ");
    EXPECT_EQ(patternToBytes("11001100101"), "CC ");
    EXPECT_EQ(patternToBytes("1111111"), "");
}

}  // namespace
}  // namespace tarvix
