// The Peripherals menu: each command's action on the kit and its panels, and whether its
// entry carries a check mark.
#pragma once

namespace tarvix {

class Kit;
class KitPanels;

enum PeripheralCommand : int {
    kStepperCommand = 40048,
    kLed8255Command = 40049,
    kScopeCommand = 40055,
    kLed8279Command = 40058,
    kSpeakerCommand = 40061,
    kKeyboardCommand = 40062,
    kTerminalCommand = 40065,
    kHwTimerCommand = 40066,
};

// False for an id that is not a Peripherals command.
bool runPeripheralCommand(int commandId, Kit& kit, KitPanels& panels);
bool peripheralChecked(int commandId, const Kit& kit, const KitPanels& panels);

}  // namespace tarvix
