#include "panels/peripheral_commands.h"

#include <array>
#include <optional>

#include "panels/kit_panels.h"
#include "simulator/kit.h"

namespace tarvix {

namespace {

struct PanelCommand {
    int id;
    Panel panel;
    bool onPortA;  // the three devices of 8255 port A exclude each other
    MessageId ports;
    std::optional<MessageId> hint;
};

constexpr std::array<PanelCommand, 5> kPanelCommands{{
    {kStepperCommand, Panel::Stepper, true, MessageId::Ppi8255Ports, MessageId::StepperHint},
    {kLed8255Command, Panel::Led8255, true, MessageId::Ppi8255Ports, MessageId::Led8255Hint},
    {kScopeCommand, Panel::Scope, true, MessageId::Ppi8255Ports, MessageId::DacHint},
    {kLed8279Command, Panel::Led8279, false, MessageId::Kbd8279Ports, std::nullopt},
    {kSpeakerCommand, Panel::Speaker, false, MessageId::Timer8254Ports, std::nullopt},
}};

constexpr std::array<Panel, 3> kPortADevices{Panel::Scope, Panel::Stepper, Panel::Led8255};

const PanelCommand* findPanelCommand(int commandId) {
    for (const PanelCommand& command : kPanelCommands) {
        if (command.id == commandId) {
            return &command;
        }
    }
    return nullptr;
}

// Shows the panel if hidden, hides it if shown, and tells the user its ports.
void togglePanel(const PanelCommand& command, OutputPane& pane, KitPanels& panels) {
    if (command.onPortA) {
        for (const Panel other : kPortADevices) {
            if (other != command.panel) {
                panels.setVisible(other, false);
            }
        }
    }
    panels.setVisible(command.panel, !panels.isVisible(command.panel));
    pane.clearStatus();
    pane.showMessage(command.ports);
    if (command.hint) {
        pane.appendMessage(*command.hint);
    }
}

}  // namespace

bool runPeripheralCommand(int commandId, Kit& kit, KitPanels& panels) {
    if (const PanelCommand* command = findPanelCommand(commandId)) {
        togglePanel(*command, kit.pane, panels);
        return true;
    }
    switch (commandId) {
        case kKeyboardCommand:  // the keyboard byte at 50H needs no panel
            return true;
        case kHwTimerCommand:
            kit.hwTimerEnabled = !kit.hwTimerEnabled;
            return true;
        case kTerminalCommand:  // exactly what the program's own connect statement does
            kit.ports.connect(PortBus::deviceNamed("terminal"));
            return true;
        default:
            return false;
    }
}

bool peripheralChecked(int commandId, const Kit& kit, const KitPanels& panels) {
    if (const PanelCommand* command = findPanelCommand(commandId)) {
        return panels.isVisible(command->panel);
    }
    return commandId == kHwTimerCommand && kit.hwTimerEnabled;
}

}  // namespace tarvix
