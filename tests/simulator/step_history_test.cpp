// Step Back's history keeps the newest steps within its bounds, and gives back each step's
// state and bytes in reverse order.
#include "simulator/step_history.h"

#include <gtest/gtest.h>

#include "common/output_pane.h"

namespace tarvix {
namespace {

class StepHistoryTest : public ::testing::Test {
protected:
    // Step `line` writes `line`'s low byte at 1100H, or over the whole window.
    void takeSteps(int first, int count, bool wholeWindow) {
        for (int line = first; line < first + count; ++line) {
            StepHistory::State state;
            state.line = line;
            history.begin(state, memory);
            const auto value = static_cast<std::uint8_t>(line);
            for (unsigned a = wholeWindow ? 0x1000 : 0x1100; a <= (wholeWindow ? 0x1FFF : 0x1100);
                 ++a) {
                ASSERT_TRUE(memory.writeByte(static_cast<std::uint16_t>(a), value));
            }
            history.end(memory, 0);
        }
    }

    MemoryOutputSink sink;
    OutputPane pane{sink};
    ProgramImage image;
    KitMemory memory{pane, image};
    StepHistory history;
};

TEST_F(StepHistoryTest, KeepsTheLastTenThousandSteps) {
    takeSteps(1, 10'005, false);
    ASSERT_EQ(history.size(), StepHistory::kMaxSteps);
    for (int line = 10'005; line > 5; --line) {
        const auto undone = history.undo(memory);
        ASSERT_TRUE(undone.has_value());
        ASSERT_EQ(undone->state.line, line);
        ASSERT_EQ(memory.bytes()[0x100], static_cast<std::uint8_t>(line - 1));
    }
    EXPECT_FALSE(history.undo(memory).has_value());
}

TEST_F(StepHistoryTest, BoundsTheBytesItKeeps) {
    takeSteps(1, 300, true);  // 300 x 4096 changed bytes
    EXPECT_EQ(history.size(), StepHistory::kMaxBytes / kMemorySize);
    // The budget is full: the first small step pushes one big step out, the others none.
    takeSteps(301, 10, false);
    EXPECT_EQ(history.size(), StepHistory::kMaxBytes / kMemorySize - 1 + 10);
}

}  // namespace
}  // namespace tarvix
