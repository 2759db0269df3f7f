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
#include "tests/scratch_folder.h"
#include "tests/simulator/fake_clock.h"
#include "tests/simulator/recording_run_host.h"

namespace tarvix {

class KitFixture : public ::testing::Test {
protected:
    KitFixture() {
        sink.lineSource = &kit.currentLine;
        host.path = (folder / "prog.asm").string();
    }

    // Saves the program and loads it into the buffer, as a document just opened.
    void load(const std::string& source) {
        writeFile(host.path, source);
        ASSERT_TRUE(buffer.loadFile(host.path));
    }

    void run(const std::string& source) {
        load(source);
        driver.run();
    }

    ScratchFolder folder;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    Kit kit{pane};
    CX86TextBuffer buffer;
    RecordingRunHost host;
    FakeClock clock;
    ExecutionDriver driver{kit, buffer, host, clock};
};

}  // namespace tarvix
