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
#include "tests/simulator/fake_clock.h"
#include "tests/simulator/recording_run_host.h"

namespace tarvix {

class DeviceKitFixture : public ::testing::Test {
protected:
    DeviceKitFixture() {
        folder = std::filesystem::temp_directory_path() /
                 ("device_test_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        sink.lineSource = &kit.currentLine;
        host.path = (folder / "prog.asm").string();
    }
    ~DeviceKitFixture() override { std::filesystem::remove_all(folder); }

    void run(const std::string& source) {
        std::ofstream(host.path, std::ios::binary) << source;
        ASSERT_TRUE(buffer.loadFile(host.path));
        driver.run();
    }

    bool visible(Panel panel) const { return panels.isVisible(panel); }

    std::filesystem::path folder;
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
