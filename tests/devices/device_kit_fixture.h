// A kit whose devices are fakes on one fake clock, with the driver to run programs on it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "editor/x86_text_buffer.h"
#include "simulator/execution_driver.h"
#include "simulator/kit.h"
#include "tests/devices/device_fakes.h"
#include "tests/scratch_folder.h"
#include "tests/simulator/fake_clock.h"
#include "tests/simulator/recording_run_host.h"

namespace tarvix {

class DeviceKitFixture : public ::testing::Test {
protected:
    DeviceKitFixture() {
        sink.lineSource = &kit.currentLine;
        host.path = (folder / "prog.asm").string();
    }

    void run(const std::string& source) {
        writeFile(host.path, source);
        ASSERT_TRUE(buffer.loadFile(host.path));
        driver.run();
    }

    bool visible(Panel panel) const { return panels.isVisible(panel); }

    ScratchFolder folder;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    FakeClock clock;
    LoggingPanels panels{clock};
    RecordedSound sound;
    FakeTerminal terminal;
    CountingLauncher launcher;
    Kit kit{pane, DeviceHost{panels, sound, terminal, launcher, clock}};
    CX86TextBuffer buffer;
    RecordingRunHost host;
    ExecutionDriver driver{kit, buffer, host, clock};
};

}  // namespace tarvix
