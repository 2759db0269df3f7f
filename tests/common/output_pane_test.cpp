#include "common/output_pane.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvix {
namespace {

class OutputPaneTest : public ::testing::Test {
protected:
    OutputPaneTest() { sink.lineSource = &currentLine; }

    int currentLine = 0;
    MemoryOutputSink sink;
    OutputPane pane{sink};
};

TEST_F(OutputPaneTest, ErrorFormsAndLineNumbers) {
    struct Case {
        int line;
        WithLine withLine;
        const char* expected;
        int marked;
    };
    const Case cases[] = {
        {7, WithLine::Yes, "Line 7 Error: Out of stack space", 6},
        {0, WithLine::Yes, "Line 1 Error: Out of stack space", 0},
        {-3, WithLine::Yes, "Line 1 Error: Out of stack space", 0},
        {7, WithLine::No, "Error: Out of stack space", -1},
    };
    for (const Case& c : cases) {
        pane.clearStatus();
        sink.markedLine.reset();
        currentLine = c.line;
        EXPECT_FALSE(pane.reportError(MessageId::OutOfStackSpace, c.withLine));
        EXPECT_EQ(sink.text, c.expected);
        EXPECT_EQ(sink.markedLine.value_or(-1), c.marked);
    }
}

TEST_F(OutputPaneTest, FirstErrorStaysAndEveryErrorSounds) {
    currentLine = 3;
    pane.reportError("Duplicate symbol found", WithLine::Yes);
    currentLine = 9;
    pane.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
    pane.showStatus("Done.");
    pane.appendStatus("more");
    pane.showMessage(MessageId::DacHint);
    EXPECT_EQ(sink.text, "Line 3 Error: Duplicate symbol found");
    EXPECT_EQ(sink.soundsPlayed, 2);
    EXPECT_EQ(sink.markedLine, 8);  // the marker follows every error
    EXPECT_TRUE(pane.errorLatched());
}

TEST_F(OutputPaneTest, MemoryHintWritesThroughTheLatchAndKeepsIt) {
    pane.reportError(MessageId::OutOfStackSpace, WithLine::No);
    pane.showMemoryHint();
    EXPECT_EQ(sink.text, " CS=DS=SS=ES=0000. Use 1000<=address<=1FFF for memory");
    EXPECT_TRUE(pane.errorLatched());

    // Reset CPU: clear, then the hint, and the pane is free again.
    pane.clearStatus();
    pane.showMemoryHint();
    pane.appendStatus("next");
    EXPECT_FALSE(pane.errorLatched());
    EXPECT_EQ(sink.text, " CS=DS=SS=ES=0000. Use 1000<=address<=1FFF for memory ;next");
}

TEST_F(OutputPaneTest, AppendJoinsOnceAndSkipsEmptyText) {
    pane.showStatus("Simulating...");
    pane.appendStatus(" 1 Hz Timer enabled.");
    pane.appendStatus(" 1 Hz Timer enabled.");
    pane.appendStatus("");
    pane.appendMessage(MessageId::Led8255Hint);
    EXPECT_EQ(
        sink.text,
        "Simulating... ; 1 Hz Timer enabled. ;B selects a display; A gives data to the display");
}

TEST_F(OutputPaneTest, MemoryMessageIsFilledWithTheWindow) {
    pane.reportError(MessageId::AddressOutsideMemory, WithLine::No);
    EXPECT_EQ(sink.text, "Error: Bytes can be placed only between 1000H and 1FFFH");
}

TEST_F(OutputPaneTest, LongTextIsShortenedToThePaneLine) {
    currentLine = 12345;
    const std::string label(1000, 'x');
    pane.reportError("Unrecognized symbol " + label, WithLine::Yes);
    EXPECT_EQ(sink.text.size(), OutputPane::kMaxLineLength);
    EXPECT_EQ(sink.text.rfind("Line 12345 Error: Unrecognized symbol xxx", 0), 0u);
    EXPECT_EQ(sink.text.substr(sink.text.size() - 3), "...");
}

TEST(OutputPaneWithoutView, LineErrorFallsBackToPlainError) {
    MemoryOutputSink sink;
    OutputPane pane(sink);
    pane.reportError(MessageId::TypeProgram, WithLine::Yes);
    EXPECT_EQ(sink.text, "Error: Please type the Assembly Language Program");
    EXPECT_FALSE(sink.markedLine.has_value());
}

}  // namespace
}  // namespace tarvix
