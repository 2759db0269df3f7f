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
    mnemonic.clear();
    source.clear();
    dest.clear();
    regs.reset();
    memory.clear(false);
}

int Cpu8086::lineOfSymbol(std::string_view name) {
    const std::string lower = toLower(name);
    const std::uint16_t address = symbols_.lookup(lower);
    if (address == 0) {
        pane_.reportError("Undefined Symbol '" + lower + "'", WithLine::No);
        return -1;
    }
    int line = -1;
    if (!image_.lineOfAddress(address, line)) {
        pane_.reportError("Unable to jump to Symbol '" + lower + "'", WithLine::No);
        return -1;
    }
    return line;
}

bool Cpu8086::push(std::uint16_t value) {
    if (regs.SP <= kMemoryFirst) {
        return fail(MessageId::OutOfStackSpace);
    }
    regs.SP = static_cast<std::uint16_t>(regs.SP - 2);
    if (!memory.writeWord(regs.SP, value)) {
        return fail(MessageId::OutOfStackSpace);
    }
    return true;
}

bool Cpu8086::pop(std::uint16_t& value) {
    if (regs.SP >= kStackTop) {
        return fail(MessageId::StackEmpty);
    }
    value = memory.readWord(regs.SP);
    regs.SP = static_cast<std::uint16_t>(regs.SP + 2);
    return true;
}

}  // namespace tarvix
