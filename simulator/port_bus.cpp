#include "simulator/port_bus.h"

#include <array>
#include <optional>

#include "common/text.h"

namespace tarvix {

namespace {

using OutOperation = bool (*)(KitDevices&, std::uint8_t value);
using InOperation = bool (*)(KitDevices&, std::uint8_t lastKey, std::uint8_t& value);

template <std::uint16_t port>
bool ppiWrite(KitDevices& d, std::uint8_t value) {
    return d.ppi.write(port, value);
}
template <std::uint16_t port>
bool ppiRead(KitDevices& d, std::uint8_t, std::uint8_t& value) {
    return d.ppi.read(port, value);
}
bool kbdData(KitDevices& d, std::uint8_t value) {
    return d.kbd.writeData(value);
}
bool kbdCommand(KitDevices& d, std::uint8_t value) {
    return d.kbd.writeCommand(value);
}
bool timerData(KitDevices& d, std::uint8_t value) {
    return d.timer.writeData(value);
}
bool timerControl(KitDevices& d, std::uint8_t value) {
    return d.timer.writeControl(value);
}
bool keyboard(KitDevices&, std::uint8_t lastKey, std::uint8_t& value) {
    value = lastKey;  // not consumed: read it again and it is still there
    return true;
}
bool usartData(KitDevices& d, std::uint8_t value) {
    return d.usart.writeData(value);
}
bool usartControl(KitDevices& d, std::uint8_t value) {
    return d.usart.writeControl(value);
}
bool usartStatus(KitDevices& d, std::uint8_t, std::uint8_t& value) {
    value = d.usart.readStatus();
    return true;
}

struct PortEntry {
    std::uint16_t port;
    OutOperation out;            // null: OUT to this port is unsupported
    InOperation in;              // null: IN from this port is unsupported
    std::optional<Panel> panel;  // the device an OUT needs connected, where the bus checks it
};

// Ports are compared as full 16-bit numbers; every other port is unsupported both ways. The
// 8255 checks its devices itself; the 8251 needs no panel.
constexpr std::array<PortEntry, 11> kPortMap{{
    {0x20, ppiWrite<0x20>, ppiRead<0x20>, std::nullopt},
    {0x22, ppiWrite<0x22>, ppiRead<0x22>, std::nullopt},
    {0x24, ppiWrite<0x24>, ppiRead<0x24>, std::nullopt},
    {0x26, ppiWrite<0x26>, nullptr, std::nullopt},
    {0x30, kbdData, nullptr, Panel::Led8279},
    {0x31, kbdCommand, nullptr, Panel::Led8279},
    {0x42, timerData, nullptr, Panel::Speaker},
    {0x43, timerControl, nullptr, Panel::Speaker},
    {0x50, nullptr, keyboard, std::nullopt},
    {0x60, usartData, nullptr, std::nullopt},
    {0x61, usartControl, usartStatus, std::nullopt},
}};

const PortEntry* findPort(std::uint16_t port) {
    for (const PortEntry& entry : kPortMap) {
        if (entry.port == port) {
            return &entry;
        }
    }
    return nullptr;
}

// The three devices of 8255 port A exclude each other.
constexpr std::array<Panel, 3> kPortADevices = {Panel::Scope, Panel::Stepper, Panel::Led8255};

enum class ConnectAction { ShowPortADevice, Show, LaunchTerminal, EnableHwTimer };

struct ConnectEntry {
    std::string_view name;
    ConnectAction action;
    std::optional<Panel> panel;
};

constexpr std::array<ConnectEntry, 7> kConnectTable{{
    {"scope", ConnectAction::ShowPortADevice, Panel::Scope},
    {"stepper", ConnectAction::ShowPortADevice, Panel::Stepper},
    {"led55", ConnectAction::ShowPortADevice, Panel::Led8255},
    {"led79", ConnectAction::Show, Panel::Led8279},
    {"speaker", ConnectAction::Show, Panel::Speaker},
    {"terminal", ConnectAction::LaunchTerminal, std::nullopt},
    {"hwtimer", ConnectAction::EnableHwTimer, std::nullopt},
}};

}  // namespace

bool PortBus::portOperand(const OperandForm& operand, std::uint16_t& port) {
    if (operand.is(Reg16::DX)) {
        port = regs_[Reg16::DX];
        return true;
    }
    if (!operand.isNumber) {
        return pane_.reportError(MessageId::ErrorInInstructionFormat, WithLine::Yes);
    }
    // Modulo 10000H, as every number of the kit and as the assembler encodes it.
    port = operand.number;
    return true;
}

bool PortBus::execInOut(bool isIn, const OperandForm& dest, const OperandForm& source) {
    ++accesses;
    if (!(isIn ? dest : source).is(Reg8::AL)) {
        return pane_.reportError("Use AL", WithLine::Yes);
    }
    std::uint16_t port = 0;
    if (!portOperand(isIn ? source : dest, port)) {
        return false;
    }
    return isIn ? in(port) : out(port);
}

bool PortBus::out(std::uint16_t port) {
    const PortEntry* entry = findPort(port);
    if (entry == nullptr || entry->out == nullptr) {
        return pane_.reportError(MessageId::PortNotSupported, WithLine::Yes);
    }
    if (entry->panel && !devices_.host.panels.isVisible(*entry->panel)) {
        return pane_.reportError("No Device connected", WithLine::Yes);
    }
    return entry->out(devices_, regs_[Reg8::AL]);
}

bool PortBus::in(std::uint16_t port) {
    const PortEntry* entry = findPort(port);
    if (entry == nullptr || entry->in == nullptr) {
        return pane_.reportError(MessageId::PortNotSupported, WithLine::Yes);
    }
    std::uint8_t value = 0;
    if (!entry->in(devices_, lastKey_, value)) {
        return false;  // AL keeps its value
    }
    regs_[Reg8::AL] = value;
    return true;
}

int PortBus::deviceNamed(std::string_view name) {
    for (std::size_t i = 0; i < kConnectTable.size(); ++i) {
        if (equalsIgnoreCase(name, kConnectTable[i].name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void PortBus::connect(int device) {
    ++accesses;
    if (device < 0) {
        pane_.reportError(MessageId::SelectDevice, WithLine::Yes);
        return;
    }
    const ConnectEntry& entry = kConnectTable[static_cast<std::size_t>(device)];
    DevicePanels& panels = devices_.host.panels;
    switch (entry.action) {
        case ConnectAction::ShowPortADevice:
            for (const Panel other : kPortADevices) {
                panels.setVisible(other, other == *entry.panel);
            }
            break;
        case ConnectAction::Show:
            panels.setVisible(*entry.panel, true);
            break;
        case ConnectAction::LaunchTerminal:
            devices_.usart.launchTerminal();
            break;
        case ConnectAction::EnableHwTimer:
            hwTimerEnabled_ = true;
            break;
    }
}

}  // namespace tarvix
