#include "panels/speaker_panel.h"

#include "panels/speaker_schematic.h"

namespace tarvix {

SpeakerPanel::SpeakerPanel(QWidget* owner)
    : DevicePanelWindow(owner, {"Audio Speaker - 8254", {93, 55}, {230, 150}}) {
    auto* schematic = new SpeakerSchematic(this);
    schematic->move((width() - schematic->width()) / 2, (height() - schematic->height()) / 2);
}

}  // namespace tarvix
