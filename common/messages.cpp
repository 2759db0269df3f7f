#include "common/messages.h"

#include <array>
#include <cstdio>
#include <utility>

namespace tarvix {

namespace {

constexpr unsigned kMemoryFirst = 0x1000;
constexpr unsigned kMemoryLast = 0x1FFF;

constexpr std::array<std::pair<MessageId, std::string_view>, 24> kStringTable{{
    {MessageId::CannotFindString, "Cannot find the string \"%s\""},
    {MessageId::ErrorInInstructionFormat, "Error in instruction format"},
    {MessageId::SpecifyPointerSize,
     "Specify 'BPTR'  or 'WPTR' for pointer to byte or word resptly"},
    {MessageId::UnsupportedInstruction, "Unrecognized/unsupported instruction"},
    {MessageId::AddressOutsideMemory, "Bytes can be placed only between %XH and %XH"},
    {MessageId::OutOfStackSpace, "Out of stack space"},
    {MessageId::StackEmpty, "Stack empty for 'Pop' to function"},
    {MessageId::PortNotSupported, "Port number not supported."},
    {MessageId::NoPeripheralConnected, "No peripheral device connected"},
    {MessageId::DelayTwoLoops,
     ";Delay of %d msecs. Error: \xC2\xB1%d \xC2\xB5Sec.\r\nProc\tDelay\r\n\tPush Bx\r\n"
     "\tPush Cx\r\n\tMov Bx,%04X\r\nCNTDN1:\tMov Cx,%04X\r\nCNTDN2:\tLoop CNTDN2\r\n"
     "\tDec Bx\r\n\tJnz CNTDN1\r\n\tPop Cx\r\n\tPop Bx\r\n\tRet\r\nEndP\tDelay\r\n"},
    {MessageId::DelaySingleLoop,
     ";Delay of %d msec. Error = %d \xC2\xB5sec\r\nProc\tDelay\r\n\tPush\tCX\r\n"
     "\tMov\tCX,%X\r\nCNTDN:\tLoop\tCNTDN\r\n\tPop\tCX\r\n\tRet"},
    {MessageId::TypeProgram, "Please type the Assembly Language Program"},
    {MessageId::MemoryHint, " CS=DS=SS=ES=0000. Use 1000<=address<=1FFF for memory"},
    {MessageId::LabelHasSpaces, "Labels should not have space(s)"},
    {MessageId::Ppi8255Ports, "8255 Ports: A= 20H,B= 22H,C= 24H,Ctrl= 26H"},
    {MessageId::StepperHint, "Lower 4 bits of A for turning the 4 magnets On/Off"},
    {MessageId::Led8255Hint, "B selects a display; A gives data to the display"},
    {MessageId::DacHint, "Port A to give data to the DAC"},
    {MessageId::Kbd8279Ports, "8279 Ports: Data= 30H,Ctrl= 31H"},
    {MessageId::Timer8254Ports, "8254 Ports: Ctrl= 43H,Data= 42H"},
    {MessageId::InvalidIpFromStack, "Invalid IP from stack. ( Push,Pop not called equally ) "},
    {MessageId::SelectDevice, "select scope/stepper/speaker/led79/led55/terminal/hwtimer"},
    {MessageId::Usart8251Ports, "8251 Ports: Data= 60H, Ctrl= 61H"},
    {MessageId::CannotReplaceOpcode, "Cannot replace opcode"},
}};

std::string_view rawText(MessageId id) {
    for (const auto& [key, text] : kStringTable) {
        if (key == id) {
            return text;
        }
    }
    return {};
}

}  // namespace

std::string messageText(MessageId id) {
    if (id == MessageId::AddressOutsideMemory) {
        char filled[64];
        std::snprintf(filled, sizeof filled, rawText(id).data(), kMemoryFirst, kMemoryLast);
        return filled;
    }
    return std::string(rawText(id));
}

}  // namespace tarvix
