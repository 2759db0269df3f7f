// A kit with a source file on disk, its buffer, a recording host and a fake clock: what the
// driver and loader tests run programs on.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "editor/x86_text_buffer.h"
#include "simulator/execution_driver.h"
#include "simulator/kit.h"
#include "tests/simulator/fake_clock.h"
#include "tests/simulator/recording_run_host.h"

namespace tarvix {

class KitFixture : public ::testing::Test {
protected:
    KitFixture() {
        folder = std::filesystem::temp_directory_path() /
                 ("kit_test_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        sink.lineSource = &kit.currentLine;
        host.path = (folder / "prog.asm").string();
    }
    ~KitFixture() override { std::filesystem::remove_all(folder); }

    // Saves the program and loads it into the buffer, as a document just opened.
    void load(const std::string& source) {
        std::ofstream(host.path, std::ios::binary) << source;
        ASSERT_TRUE(buffer.loadFile(host.path));
    }

    void run(const std::string& source) {
        load(source);
        driver.run();
    }

    std::filesystem::path folder;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    Kit kit{pane};
    CX86TextBuffer buffer;
    RecordingRunHost host;
    FakeClock clock;
    ExecutionDriver driver{kit, buffer, host, clock};
};

}  // namespace tarvix
