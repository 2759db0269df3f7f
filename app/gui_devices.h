// What the kit's chips drive in the desktop program: the panel windows, the speaker, the
// socket to tarvix-terminal and the launcher that starts it from the program's own folder.
// The frame owns them for its whole life and hands them to the kit.
#pragma once

#include <QCoreApplication>

#include "devices/kit_devices.h"
#include "panels/kit_panels.h"
#include "panels/qt_sound_output.h"
#include "panels/speaker_panel.h"
#include "simulator/run_clock.h"

namespace tarvix {

class GuiDevices {
public:
    GuiDevices(QWidget* owner, OutputPane& pane, MessageBoxSink& boxes)
        : panels(owner),
          launcher(QCoreApplication::applicationDirPath().toStdString(), terminal, pane, boxes) {
        sound.setToneHandler([this](int frequency) { panels.speaker().describeTone(frequency); });
    }

    DeviceHost host() { return {panels, sound, terminal, launcher, clock}; }

    RunClock clock;
    KitPanels panels;
    QtSoundOutput sound;
    SocketTerminalLink terminal;
    ProgramTerminalLauncher launcher;
};

}  // namespace tarvix
