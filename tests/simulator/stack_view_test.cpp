// Which words of the stack are named: the address after a CALL, or after an INT under the 0
// of its frame's CS; never a data word that only equals an instruction's address.
#include "simulator/stack_view.h"

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

class StackViewTest : public KitFixture {};

TEST_F(StackViewTest, OnlyReturnAddressesAreNamed) {
    load(
        "start:  call sub\n"
        "        hlt\n"
        "proc sub\n"
        "        int 5\n"
        "        ret\n"
        "endp sub\n"
        "int5:   iret\n"
        "        call inner\n"
        "proc inner\n"
        "        nop\n"
        "        ret\n"
        "endp inner\n");
    ASSERT_TRUE(assembleAndLoad(kit, buffer.lineCount(), host));
    ASSERT_TRUE(buildProgramImage(kit, host.path));
    const struct {
        int line;  // whose address the word holds
        std::uint16_t above;
        const char* name;
    } cases[] = {
        {1, 0x1234, "start (line 2)"},  // after the CALL
        {4, 0, "sub (line 5)"},         // after the INT, in its frame
        {4, 0x0202, ""},                // no frame around it
        {9, 5, "inner (line 10)"},      // after a CALL and a procedure header
        {3, 0, ""},                     // after HLT
        {6, 0, ""},                     // after RET
        {0, 0, ""},                     // nothing before it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::uint16_t value = 0;
        ASSERT_TRUE(kit.image.addressAtOrAfterLine(c.line, value));
        std::array<std::uint8_t, kMemorySize> memory{};
        memory[0xFFC] = static_cast<std::uint8_t>(value);
        memory[0xFFD] = static_cast<std::uint8_t>(value >> 8);
        memory[0xFFE] = static_cast<std::uint8_t>(c.above);
        memory[0xFFF] = static_cast<std::uint8_t>(c.above >> 8);
        const std::vector<StackWord> words =
            stackWords(memory, 0x1FFC, kit.image, [this](int line) { return buffer.line(line); });
        ASSERT_EQ(words.size(), 2u);
        EXPECT_EQ(words[0].value, value);
        EXPECT_EQ(words[0].returnsInto, c.name);
        const std::vector<StackWord> first = stackWords(
            memory, 0x1FFC, kit.image, [this](int line) { return buffer.line(line); }, 1);
        ASSERT_EQ(first.size(), 1u);
        EXPECT_EQ(first[0].returnsInto, c.name);
    }
}

}  // namespace
}  // namespace tarvix
