// Pictures of the panels for the README and for looking at them: runs the kit's examples into
// the panel windows in kit time, as Kit clock at 5 MHz runs them, and saves each panel as a
// PNG in the folder given on the command line.
#include <QApplication>
#include <QDir>
#include <QListView>
#include <functional>

#include "common/output_sink.h"
#include "devices/kit_devices.h"
#include "editor/x86_text_buffer.h"
#include "panels/kit_panels.h"
#include "panels/led8255_panel.h"
#include "panels/led8279_panel.h"
#include "panels/memory_list.h"
#include "panels/ram_registers_panel.h"
#include "panels/scope_panel.h"
#include "panels/speaker_panel.h"
#include "panels/stepper_panel.h"
#include "simulator/execution_driver.h"
#include "simulator/headless_run_host.h"
#include "simulator/kit.h"
#include "simulator/kit_clock.h"
#include "simulator/register_text.h"

namespace tarvix {
namespace {

constexpr int kMaxSteps = 2'000'000;

// A kit whose chips drive the panel windows, with nobody at the other end of anything else.
struct PanelKit {
    PanelKit() {
        sink.lineSource = &kit.currentLine;
        panels.attachPpi(&kit.devices.ppi);
        clock.follow(kit.cpu);
    }

    MemoryOutputSink sink;
    OutputPane pane{sink};
    KitPanels panels{nullptr};
    RecordedSound sound;
    AbsentTerminal terminal;
    NoTerminalLauncher launcher;
    KitClock clock;
    DeviceHost host{panels, sound, terminal, launcher, clock};
    Kit kit{pane, host};
};

// An example run to its end (or to a step limit) on a kit with panel windows.
struct Example {
    PanelKit kit;
    CX86TextBuffer buffer;
    std::string path;
    HeadlessRunHost host;
    ExecutionDriver driver;

    // `watch` is called after every instruction, for a panel that samples as time passes.
    explicit Example(const std::string& name, const std::function<void(PanelKit&)>& watch = {})
        : path(std::string(TARVIX_SOURCE_DIR) + "/examples/" + name + ".asm"),
          host(path),
          driver(kit.kit, buffer, host, kit.clock) {
        if (!buffer.loadFile(path)) {
            qFatal("cannot read %s", path.c_str());
        }
        driver.setInstructionLimit(kMaxSteps);
        if (watch) {
            driver.setInstructionObserver([this, &watch](int) { watch(kit); });
        }
        driver.run();
    }
};

void save(QWidget& widget, const QDir& folder, const char* name) {
    widget.grab().save(folder.filePath(QString(name) + ".png"));
}

}  // namespace
}  // namespace tarvix

int main(int argc, char** argv) {
    using namespace tarvix;
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? argv[1] : ".");

    Example counter("led_counter");
    RamRegistersPanel ramRegisters;
    ramRegisters.resize(240, 320);
    ramRegisters.setMemory(&counter.kit.kit.cpu.memory.bytes());
    ramRegisters.showRegisters(registerLines(counter.kit.kit.cpu.regs, counter.driver.lastIP()));
    QListView* rows = ramRegisters.memoryList()->view();
    rows->scrollTo(rows->model()->index(0x8FC, 0), QAbstractItemView::PositionAtTop);
    rows->setCurrentIndex(rows->model()->index(0x901, 0));
    save(ramRegisters, folder, "ram_registers");
    save(counter.kit.panels.led8255(), folder, "led8255");

    Example message("message8279");
    save(message.kit.panels.led8279(), folder, "led8279");

    Example stepper("stepper");
    save(stepper.kit.panels.stepper(), folder, "stepper");

    Example tone("tone");
    save(tone.kit.panels.speaker(), folder, "speaker");

    // The scope samples every 10 ms of kit time, as its window does every 10 ms in Kit clock.
    std::uint64_t nextSample = 0;
    Example waves("dac_waves", [&nextSample](PanelKit& kit) {
        if (kit.clock.milliseconds() >= nextSample) {
            kit.panels.scope().sample();
            nextSample += 10;
        }
    });
    save(waves.kit.panels.scope(), folder, "scope");
    return 0;
}
