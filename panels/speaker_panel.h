// The speaker on counter 2 of the 8254: a picture of the circuit. The timer's ports work
// only while it is shown.
#pragma once

#include "panels/device_panel_window.h"

namespace tarvix {

class SpeakerPanel : public DevicePanelWindow {
    Q_OBJECT

public:
    explicit SpeakerPanel(QWidget* owner);

    // The pitch the speaker is given, in words for screen readers; 0 is silence.
    void describeTone(int frequency);
};

}  // namespace tarvix
