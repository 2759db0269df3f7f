// Stepping: after Step, or after a Run stopped before a breakpoint's line. Every line a command
// executes is one step of the history Step Back returns through.
#include "simulator/execution_driver.h"

namespace tarvix {

namespace {

bool entersProcedure(Operation operation) {
    return operation == Operation::Call || operation == Operation::Int ||
           operation == Operation::Into;
}

}  // namespace

ExecutionDriver::Stretch ExecutionDriver::stepSession() {
    for (;;) {
        host_.setStatusText(dispatcher_.lastDispatchedText());
        host_.clearNextRequest();
        markLine(kit_.currentLine, false);
        host_.keepLineVisible(kit_.currentLine);
        const StepCommand command = waitForCommand();
        if (command == StepCommand::Stop) {
            return Stretch::Stopped;
        }
        if (command == StepCommand::StepBack) {
            stepBack();
            continue;
        }
        dispatcher_.followBreakpoints();
        const Stretch end = perform(command);
        if (end != Stretch::Paused) {
            return end;
        }
    }
}

StepCommand ExecutionDriver::waitForCommand() {
    for (;;) {
        const StepCommand command = host_.takeStepCommand();
        if (command != StepCommand::None) {
            return command;
        }
    }
}

// Every command executes the current line first, as Next does; those that run on then run as
// Run does until their line, a breakpoint or the end.
ExecutionDriver::Stretch ExecutionDriver::perform(StepCommand command) {
    const std::uint16_t sp = kit_.cpu.regs[Reg16::SP];
    const DecodedInstruction* line = dispatcher_.nextInstruction();
    const Operation operation = line != nullptr ? line->operation : Operation::None;
    history_.record(dispatcher_.stateBefore(instructions_));
    switch (executeLine(true)) {
        case LineStep::Continue:
            break;
        case LineStep::LimitReached:
            return Stretch::Limit;
        default:
            return Stretch::Over;
    }
    if (command == StepCommand::Next) {
        return Stretch::Paused;
    }
    const Dispatcher::Watch watch = watchFor(command, operation, sp);
    if (watch && watch()) {
        return Stretch::Paused;
    }
    return runFree(watch ? &watch : nullptr);
}

Dispatcher::Watch ExecutionDriver::watchFor(StepCommand command, Operation executed,
                                            std::uint16_t spBefore) {
    switch (command) {
        case StepCommand::StepOver: {
            // Back on the line the call returns to, with its return address popped: a
            // recursive call reaching that line deeper down the stack goes on.
            const std::uint16_t sp = kit_.cpu.regs[Reg16::SP];
            const std::size_t top = sp - std::size_t{kMemoryFirst};
            if (!entersProcedure(executed) || sp >= spBefore || top + 1 >= kMemorySize) {
                return [] { return true; };  // nothing entered: as Next
            }
            const auto& bytes = kit_.cpu.memory.bytes();
            int returnLine = -1;
            if (!kit_.image.lineOfAddress(
                    static_cast<std::uint16_t>(bytes[top] | bytes[top + 1] << 8), returnLine)) {
                return [] { return true; };
            }
            return [this, returnLine, spBefore] {
                return kit_.currentLine == returnLine && kit_.cpu.regs[Reg16::SP] >= spBefore;
            };
        }
        case StepCommand::StepOut:
            return [this, spBefore] {
                const DecodedInstruction* last = dispatcher_.lastDispatched();
                return last != nullptr &&
                       (last->operation == Operation::Ret || last->operation == Operation::Iret) &&
                       kit_.cpu.regs[Reg16::SP] > spBefore;
            };
        case StepCommand::RunToCursor:
            return [this, line = host_.cursorLine()] { return kit_.currentLine == line; };
        default:
            return {};  // Continue: to the next breakpoint
    }
}

void ExecutionDriver::stepBack() {
    const std::optional<StepHistory::Undone> undone = history_.undo(kit_.ports.accesses);
    if (!undone) {
        host_.showNote("Step Back: there is no step to take back");
        return;
    }
    instructions_ = dispatcher_.restore(undone->state);
    if (undone->reachedDevice) {
        host_.showNote("Step Back: the devices keep what the line did");
    }
    host_.refreshRegisters();
    host_.invalidateMemory();
}

}  // namespace tarvix
