#include "panels/led8279_panel.h"

#include "devices/device_panels.h"

namespace tarvix {

Led8279Panel::Led8279Panel(QWidget* owner)
    : LedPanel(owner, {"Display2 -8279", {288, 22}, {250, 90}}, kLed8279Digits) {}

}  // namespace tarvix
