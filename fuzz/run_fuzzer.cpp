// A run of any source, as tarvix-run makes it: its devices, its kit time, a bounded number of
// instructions, and a JSON report that must stay plain ASCII. The first byte picks the options.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cli/batch_devices.h"
#include "cli/device_report.h"
#include "cli/json_text.h"
#include "editor/x86_text_buffer.h"
#include "fuzz/fuzz_source.h"
#include "simulator/execution_driver.h"
#include "simulator/headless_run_host.h"
#include "simulator/kit.h"
#include "simulator/kit_clock.h"

namespace {

constexpr std::uint64_t kMaxInstructions = 20000;

bool isPlainAscii(const std::string& text) {
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvix;
    if (size == 0) {
        return 0;
    }
    const std::uint8_t options = data[0];
    writeFuzzSource(data + 1, size - 1);
    CX86TextBuffer buffer;
    if (!buffer.loadFile(fuzzSourcePath(), kDetectLineEnd, kMaxSourceLines + 1)) {
        return 0;
    }
    MemoryOutputSink sink;
    OutputPane pane(sink);
    KitClock clock;
    std::string problem;
    BatchDevices devices(clock, (options & 1) != 0 ? BatchTerminal::Socket : BatchTerminal::None,
                         problem);
    Kit kit(pane, devices.host());
    clock.follow(kit.cpu);
    sink.lineSource = &kit.currentLine;
    kit.hwTimerEnabled = (options & 2) != 0;
    HeadlessRunHost host(fuzzSourcePath());
    ExecutionDriver driver(kit, buffer, host, clock);
    driver.setInstructionLimit(kMaxInstructions);
    if ((options & 4) != 0) {
        driver.setScriptedKeys("a1\r", 7);
    }
    (options & 8) != 0 ? driver.step() : driver.run();
    devices.settle(kit.devices.ppi);
    if (!isPlainAscii(jsonText(sink.text)) || !isPlainAscii(devicesJson(devices))) {
        std::abort();  // the report would not be plain, valid JSON text
    }
    return 0;
}
