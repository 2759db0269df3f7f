// The simulation view: the source editor that also owns the kit and drives it. Run, Step,
// Reset CPU, Reset Memory and Assemble are its commands; as the run host it gives the driver
// the execution dialog, the register and RAM pane, the markers and the scrolling. While a Run
// goes flat out the panes are brought up to date at each pump rather than at each refresh;
// in Animate at every line. While stepping it takes the debugger's commands from the dialog,
// keeps the current line out from under it, and marks what each step changed.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QList>
#include <QPointer>

#include "app/execution_dialog.h"
#include "app/progress_dialog.h"
#include "app/sample_doc.h"
#include "app/user_prompts.h"
#include "common/clock.h"
#include "editor/ui/x86_edit_view.h"
#include "panels/ram_registers_panel.h"
#include "panels/stack_panel.h"
#include "simulator/execution_driver.h"
#include "simulator/kit.h"
#include "simulator/run_host.h"

namespace tarvix {

class CSampleView : public CX86EditView, public RunHost {
    Q_OBJECT

public:
    CSampleView(CSampleDoc& document, const DeviceHost& devices, UserPrompts& prompts,
                QWidget* parent = nullptr);
    ~CSampleView() override;

    Kit& kit() { return kit_; }
    const Kit& kit() const { return kit_; }
    ExecutionDriver& driver() { return driver_; }
    void setRegisterPanel(RamRegistersPanel* panel);
    void setStackPanel(StackPanel* panel);
    // The sound at the end of a Run and of an assembly.
    void setDoneSound(std::function<void()> sound) { doneSound_ = std::move(sound); }
    // How Run spends time; the kit's time comes from the devices' clock, real time from the
    // view's own.
    void setSpeed(RunSpeed speed, int linesPerSecond);
    // Where a Kit clock run reports its pace.
    void setPaceSink(std::function<void(const PaceReport&)> sink) { paceSink_ = std::move(sink); }
    // The window's commands whose keys work while stepping, such as the breakpoints'.
    void setSteppingActions(const QList<QAction*>& actions) { steppingActions_ = actions; }

    void run();
    void step();
    void resetCpu();
    void resetMemory();
    // Writes the listing of the source; its path, or empty after the reason was reported.
    QString assembleListing();

    // Breakpoints: on the caret's line, on any line (a margin click), or none at all.
    void toggleBreakpoint();
    void toggleBreakpointAt(int line);
    void clearBreakpoints();
    // Runs until the caret's line, then goes on as stepping.
    void runToCursor();
    // Puts the error marker on a 0-based line, and the caret too when the assembler refused it.
    void markErrorLine(int line);

    bool isRunning() const { return running_; }
    // Whether the run is stopped, stepping or at a breakpoint, waiting for a step command.
    bool awaitingStep() const { return awaitingStep_; }
    // Ends a Run or Step as Stop does.
    void requestStop();
    ExecutionDialog* executionDialog() const { return dialog_.get(); }
    ProgressDialog* progressDialog() const { return progress_.dialog(); }

    // RunHost
    std::string saveDocument() override;
    std::string documentPath() override;
    void openDialog(bool singleStep) override;
    void closeDialog() override;
    void setStatusText(std::string_view text) override;
    void pump() override;
    bool takeStopRequest() override;
    bool takeNextRequest() override;
    void clearNextRequest() override;
    bool takeKey(std::uint8_t& key) override;
    void refreshRegisters() override;
    void invalidateMemory() override;
    void scrollToTop() override;
    void keepLineVisible(int line) override;
    void playDoneSound() override;
    void rest(double seconds) override;
    void showPace(const PaceReport& report) override;
    StepCommand takeStepCommand() override;
    int cursorLine() override;
    void enterStepping() override;
    void showNote(std::string_view text) override;

signals:
    void runningChanged(bool running);
    void noteShown(const QString& text);

private:
    // Runs a command of the kit with the view marked busy and the progress dialog closed after.
    template <typename Command>
    void busy(Command command);
    bool deferring() const;
    void flushDeferred();
    std::array<std::string, 4> currentRegisterLines() const;
    void showStack();
    // What the panes show as changed is measured from here: the state when the student last
    // sent the kit on.
    void markStop();
    // While stepping the editor takes clicks (the caret for Run to Cursor, the margin) and
    // the registers and RAM take edits.
    void allowEditsWhileStepping();
    void setStateEditable(bool editable);
    void editRegister(const QString& name, std::uint16_t value);
    void toggleFlag(int bit);
    void editMemory(std::uint16_t address, std::uint8_t value);

    CSampleDoc& document_;
    UserPrompts& prompts_;
    PromptMessageBoxes boxes_;
    SteadyClock wallClock_;
    Kit kit_;
    ExecutionDriver driver_;
    AssemblyProgress progress_;
    std::unique_ptr<ExecutionDialog> dialog_;
    QPointer<RamRegistersPanel> panel_;
    QPointer<StackPanel> stack_;
    std::function<void()> doneSound_;
    std::function<void(const PaceReport&)> paceSink_;
    QList<QAction*> steppingActions_;
    bool running_ = false;
    bool stopWanted_ = false;
    bool awaitingStep_ = false;

    // The register lines of the last refresh, as they were at that instruction.
    std::optional<std::array<std::string, 4>> pendingRegisters_;
    bool memoryDirty_ = false;
    std::optional<std::string> pendingStatus_;
    QElapsedTimer sinceFlush_;
};

}  // namespace tarvix
