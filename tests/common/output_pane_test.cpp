// The one status and error reporter: the error forms, the latch, the sound, the marker, the
// joins and the length of a pane line.
#include "common/output_pane.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvix {
namespace {

TEST(OutputPane, ErrorFormsAndLineNumbers) {
    const struct {
        bool view;  // a line number to read
        int line;
        WithLine withLine;
        MessageId message;
        const char* expected;
        int marked;  // -1: none
    } cases[] = {
        {true, 7, WithLine::Yes, MessageId::OutOfStackSpace, "Line 7 Error: Out of stack space", 6},
        {true, 0, WithLine::Yes, MessageId::OutOfStackSpace, "Line 1 Error: Out of stack space", 0},
        {true, 7, WithLine::No, MessageId::AddressOutsideMemory,
         "Error: Bytes can be placed only between 1000H and 1FFFH", -1},
        {true, 7, WithLine::MarkOnly, MessageId::AddressOutsideMemory,
         "Error: Bytes can be placed only between 1000H and 1FFFH", 6},
        {false, 7, WithLine::Yes, MessageId::TypeProgram,
         "Error: Please type the Assembly Language Program", -1},
        {false, 7, WithLine::MarkOnly, MessageId::TypeProgram,
         "Error: Please type the Assembly Language Program", -1},
    };
    for (const auto& c : cases) {
        int currentLine = c.line;
        MemoryOutputSink sink;
        sink.lineSource = c.view ? &currentLine : nullptr;
        OutputPane pane{sink};
        EXPECT_FALSE(pane.reportError(c.message, c.withLine));
        EXPECT_EQ(sink.text, c.expected);
        EXPECT_EQ(sink.markedLine.value_or(-1), c.marked);
        EXPECT_EQ(sink.soundsPlayed, 1);
    }
}

TEST(OutputPane, TheFirstErrorStaysUntilClearedAndAppendsJoinOnce) {
    int currentLine = 3;
    MemoryOutputSink sink;
    sink.lineSource = &currentLine;
    OutputPane pane{sink};
    pane.reportError("Duplicate symbol found", WithLine::Yes);
    currentLine = 9;
    pane.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
    pane.showStatus("Done.");
    pane.appendStatus("more");
    pane.showMessage(MessageId::DacHint);
    EXPECT_EQ(sink.text, "Line 3 Error: Duplicate symbol found");
    EXPECT_EQ(sink.soundsPlayed, 2);
    EXPECT_EQ(sink.markedLine, 8);
    EXPECT_TRUE(pane.errorLatched());

    // The memory hint writes through the latch and keeps it; after a clear it frees the pane.
    pane.showMemoryHint();
    EXPECT_EQ(sink.text, " CS=DS=SS=ES=0000. Use 1000<=address<=1FFF for memory");
    EXPECT_TRUE(pane.errorLatched());
    pane.clearStatus();
    pane.showMemoryHint();
    pane.appendStatus("next");
    EXPECT_FALSE(pane.errorLatched());
    EXPECT_EQ(sink.text, " CS=DS=SS=ES=0000. Use 1000<=address<=1FFF for memory ;next");

    // A text already there is not appended again; an empty one adds no separator.
    pane.showStatus("Simulating...");
    pane.appendStatus(" 1 Hz Timer enabled.");
    pane.appendStatus(" 1 Hz Timer enabled.");
    pane.appendStatus("");
    pane.appendMessage(MessageId::Led8255Hint);
    EXPECT_EQ(
        sink.text,
        "Simulating... ; 1 Hz Timer enabled. ;B selects a display; A gives data to the display");
}

TEST(OutputPane, LongTextIsShortenedToThePaneLine) {
    int currentLine = 12345;
    MemoryOutputSink sink;
    sink.lineSource = &currentLine;
    OutputPane pane{sink};
    pane.reportError("Unrecognized symbol " + std::string(1000, 'x'), WithLine::Yes);
    EXPECT_EQ(sink.text.size(), OutputPane::kMaxLineLength);
    EXPECT_EQ(sink.text.rfind("Line 12345 Error: Unrecognized symbol xxx", 0), 0u);
    EXPECT_EQ(sink.text.substr(sink.text.size() - 3), "...");
}

}  // namespace
}  // namespace tarvix
