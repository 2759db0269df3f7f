// The sixteen-digit display on the 8279; the controller's display RAM holds the patterns.
#pragma once

#include "panels/led_panel.h"

namespace tarvix {

class Led8279Panel : public LedPanel {
    Q_OBJECT

public:
    explicit Led8279Panel(QWidget* owner);
};

}  // namespace tarvix
