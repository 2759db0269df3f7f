#include "simulator/cpu8086.h"

#include "common/text.h"

namespace tarvix {

Cpu8086::Cpu8086(OutputPane& pane, ProgramImage& image, int& currentLine,
                 const SymbolTable& symbols)
    : memory(pane, image),
      pane_(pane),
      image_(image),
      currentLine_(currentLine),
      symbols_(symbols) {}

void Cpu8086::reset() {
    regs.reset();
    memory.clear(false);
}

LineTarget Cpu8086::findLine(std::string_view name) const {
    const std::string lower = toLower(name);
    const std::uint16_t address = symbols_.lookup(lower);
    if (address == 0) {
        return {-1, "Undefined Symbol '" + lower + "'"};
    }
    int line = -1;
    if (!image_.lineOfAddress(address, line)) {
        return {-1, "Unable to jump to Symbol '" + lower + "'"};
    }
    return {line, {}};
}

LineTarget Cpu8086::findHandler(std::string_view type) const {
    return findLine("int" + std::string(trim(type)));
}

bool Cpu8086::push(std::uint16_t value) {
    if (regs[Reg16::SP] <= kMemoryFirst) {
        return fail(MessageId::OutOfStackSpace);
    }
    regs[Reg16::SP] = static_cast<std::uint16_t>(regs[Reg16::SP] - 2);
    if (!memory.writeWord(regs[Reg16::SP], value)) {
        return fail(MessageId::OutOfStackSpace);
    }
    return true;
}

bool Cpu8086::pop(std::uint16_t& value) {
    if (regs[Reg16::SP] >= kStackTop) {
        return fail(MessageId::StackEmpty);
    }
    value = memory.readWord(regs[Reg16::SP]);
    regs[Reg16::SP] = static_cast<std::uint16_t>(regs[Reg16::SP] + 2);
    return true;
}

}  // namespace tarvix
