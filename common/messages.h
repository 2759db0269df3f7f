// The kit's string table: every message that has a fixed id. Callers pass these ids to
// OutputPane so that a message reads the same wherever it is raised.
#pragma once

#include <string>
#include <string_view>

namespace tarvix {

enum class MessageId : int {
    CannotFindString = 8606,  // a format: the search text in double quotes
    ErrorInInstructionFormat = 61206,
    SpecifyPointerSize = 61207,
    UnsupportedInstruction = 61208,
    AddressOutsideMemory = 61209,
    OutOfStackSpace = 61210,
    StackEmpty = 61213,
    PortNotSupported = 61215,
    NoPeripheralConnected = 61219,
    DelayTwoLoops = 61220,    // a format: delay, error, outer count, inner count
    DelaySingleLoop = 61221,  // a format: delay, error, count
    TypeProgram = 61222,
    MemoryHint = 61223,
    LabelHasSpaces = 61225,
    Ppi8255Ports = 61226,
    StepperHint = 61227,
    Led8255Hint = 61228,
    DacHint = 61229,
    Kbd8279Ports = 61231,
    Timer8254Ports = 61232,
    InvalidIpFromStack = 61233,
    SelectDevice = 61234,
    Usart8251Ports = 61235,
    CannotReplaceOpcode = 61236,
};

// The text of a message. The memory-window message comes already filled with the window's
// bounds; the formats (8606, 61220, 61221) come as formats for their callers to fill.
std::string messageText(MessageId id);

}  // namespace tarvix
