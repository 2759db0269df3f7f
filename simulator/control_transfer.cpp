// Executors that move currentLine other than by falling through. Targets end as source lines:
// labels as the decoder found them, machine addresses through the program image's line map.
#include "simulator/cpu8086.h"

namespace tarvix {

namespace {

bool conditionHolds(JumpKind kind, const CpuRegisters& regs) {
    const bool cf = regs.testFlag(kCarryFlag);
    const bool zf = regs.testFlag(kZeroFlag);
    const bool sf = regs.testFlag(kSignFlag);
    const bool of = regs.testFlag(kOverflowFlag);
    const bool pf = regs.testFlag(kParityFlag);
    switch (kind) {
        case JumpKind::Je:
            return zf;
        case JumpKind::Jne:
            return !zf;
        case JumpKind::Ja:
            return !cf && !zf;
        case JumpKind::Jae:
            return !cf;
        case JumpKind::Jb:
            return cf;
        case JumpKind::Jbe:
            return cf || zf;
        case JumpKind::Jg:
            return !zf && sf == of;
        case JumpKind::Jge:
            return sf == of;
        case JumpKind::Jl:
            return sf != of;
        case JumpKind::Jle:
            return zf || sf != of;
        case JumpKind::Jo:
            return of;
        case JumpKind::Jno:
            return !of;
        case JumpKind::Js:
            return sf;
        case JumpKind::Jns:
            return !sf;
        case JumpKind::Jp:
            return pf;
        case JumpKind::Jnp:
            return !pf;
        default:
            return true;  // JMP direct
    }
}

// The symbol messages name no line, but a failed lookup leaves the line pointer past the
// transfer, so that the dispatcher marks the line the student must correct.
bool transfer(Cpu8086& cpu, const LineTarget& target) {
    if (target.line == -1) {
        return cpu.pane().reportError(target.error, WithLine::No);
    }
    cpu.currentLine() = target.line;
    return true;
}

// A conditional transfer that is taken: it costs more than one that falls through.
bool takeTransfer(Cpu8086& cpu, const DecodedInstruction& ins) {
    cpu.cycles += ins.clocks.extra;
    return transfer(cpu, ins.target);
}

}  // namespace

bool Cpu8086::execJump(const DecodedInstruction& ins, JumpKind kind) {
    switch (kind) {
        case JumpKind::JmpIndirect: {
            const OperandForm& dest = ins.dest;
            std::uint16_t address = 0;
            if (dest.registerSize == 1) {
                return fail("Please use 16-bit register");
            }
            if (dest.registerSize == 0) {
                address = operandAddress(dest);
                if (address == 0) {
                    return false;
                }
            }
            std::uint16_t next = 0;
            if (!image_.addressAtOrAfterLine(currentLine_, next)) {
                return fail("Invalid IP");
            }
            const std::uint16_t target =
                dest.registerSize == 2 ? regs[dest.word()] : memory.readWord(address);
            int line = -1;
            if (!image_.lineOfAddress(target, line)) {
                return fail("Invalid IP for jump");
            }
            currentLine_ = line;
            return true;
        }
        case JumpKind::Loop:
        case JumpKind::LoopE:
        case JumpKind::LoopNE: {
            const auto cx = static_cast<std::uint16_t>(regs[Reg16::CX] - 1);
            regs[Reg16::CX] = cx;
            const bool zf = regs.testFlag(kZeroFlag);
            const bool taken =
                cx != 0 && (kind == JumpKind::Loop || (kind == JumpKind::LoopE) == zf);
            return taken ? takeTransfer(*this, ins) : true;
        }
        case JumpKind::Jcxz:
            return regs[Reg16::CX] == 0 ? takeTransfer(*this, ins) : true;
        default:
            return conditionHolds(kind, regs) ? takeTransfer(*this, ins) : true;
    }
}

bool Cpu8086::execCallRet(const DecodedInstruction& ins, CallKind kind) {
    if (kind == CallKind::Ret) {
        std::uint16_t address = 0;
        if (!pop(address)) {
            return false;
        }
        int line = -1;
        if (!image_.lineOfAddress(address, line)) {
            return fail(MessageId::InvalidIpFromStack);
        }
        currentLine_ = line;
        return true;
    }

    const OperandForm& dest = ins.dest;
    int targetLine = -1;
    std::uint16_t address = 0;
    if (kind == CallKind::Direct) {
        if (ins.target.line == -1) {
            return transfer(*this, ins.target);
        }
        targetLine = ins.target.line;
    } else if (dest.registerSize == 1) {
        return fail("Please use 16-bit register");
    } else if (dest.registerSize == 0) {
        address = operandAddress(dest);
        if (address == 0) {
            return false;
        }
    }

    if (!pushReturnAddress()) {
        return false;
    }
    if (kind == CallKind::Indirect) {
        // Read after the push, as the kit does: CALL SP sees the lowered SP.
        const std::uint16_t target =
            dest.registerSize == 2 ? regs[dest.word()] : memory.readWord(address);
        if (!image_.lineOfAddress(target, targetLine)) {
            return fail("Invalid IP for call");
        }
    }
    currentLine_ = targetLine;
    return true;
}

// The address of the next instruction, where RET and IRET come back to.
bool Cpu8086::pushReturnAddress() {
    std::uint16_t returnAddress = 0;
    if (!image_.addressAtOrAfterLine(currentLine_, returnAddress)) {
        return fail("Invalid IP");
    }
    return push(returnAddress);
}

bool Cpu8086::execInt(const LineTarget& handler) {
    if (handler.line == -1) {
        return transfer(*this, handler);
    }
    if (!push(regs.FLAGS) || !push(0)) {
        return false;
    }
    if (!pushReturnAddress()) {
        return false;
    }
    currentLine_ = handler.line;
    regs.setFlag(kInterruptFlag | kTrapFlag, false);
    return true;
}

bool Cpu8086::execIret() {
    std::uint16_t ip = 0;
    int line = -1;
    if (!pop(ip)) {
        return false;
    }
    if (!image_.lineOfAddress(ip, line)) {
        return fail(MessageId::InvalidIpFromStack);
    }
    std::uint16_t cs = 0;
    if (!pop(cs)) {
        return false;
    }
    if (cs != 0) {
        return fail("CS can only be 0000H (from stack)");
    }
    std::uint16_t flags = 0;
    if (!pop(flags)) {
        return false;
    }
    regs.FLAGS = flags;  // IF and TF come back as they were before the interrupt
    currentLine_ = line;
    return true;
}

bool Cpu8086::divideFaults(std::uint32_t dividend, std::uint16_t divisor, bool isWord) {
    // A byte division sees only the divisor's low byte; 0 there is a division by zero too.
    const std::uint32_t effectiveDivisor = isWord ? divisor : divisor & 0xFFu;
    if (effectiveDivisor == 0) {
        fail("type-0 interrupt (Divide by zero)");
        return true;
    }
    const std::uint32_t quotient =
        isWord ? dividend / effectiveDivisor : (dividend & 0xFFFFu) / effectiveDivisor;
    if (quotient > (isWord ? 0xFFFFu : 0xFFu)) {
        fail("type-0 interrupt (result overflow)");
        return true;
    }
    return false;
}

}  // namespace tarvix
