// What a Run or Step needs from the front end: the execution dialog (its pump, Stop, Next and
// the key it captured), the register and RAM views, and the editor that shows the program.
// The GUI implements it with widgets; the command line with a scripted host that never waits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "simulator/run_pace.h"
#include "simulator/step_command.h"

namespace tarvix {

class RunHost {
public:
    virtual ~RunHost() = default;

    // Saves the source and gives its path; empty when it has none.
    virtual std::string saveDocument() = 0;
    // The document's file name, for the rule that list files show no markers.
    virtual std::string documentPath() = 0;

    virtual void openDialog(bool singleStep) = 0;
    virtual void closeDialog() = 0;
    virtual void setStatusText(std::string_view text) = 0;
    // Lets windows repaint and buttons work; never waits.
    virtual void pump() = 0;
    virtual bool takeStopRequest() = 0;
    virtual bool takeNextRequest() = 0;
    virtual void clearNextRequest() = 0;
    // The last key captured while running, and whether one is pending (then cleared).
    virtual bool takeKey(std::uint8_t& key) = 0;

    virtual void refreshRegisters() = 0;
    virtual void invalidateMemory() = 0;
    virtual void scrollToTop() = 0;
    virtual void keepLineVisible(int line) = 0;
    // The closing sound of a Run.
    virtual void playDoneSound() = 0;

    // The command the student gave while stepping or stopped at a breakpoint, if any (then
    // cleared). A host with only Next and Stop gives those.
    virtual StepCommand takeStepCommand() {
        if (takeStopRequest()) {
            return StepCommand::Stop;
        }
        return takeNextRequest() ? StepCommand::Next : StepCommand::None;
    }
    // The 0-based line of the editor's caret, where Run to Cursor runs to; -1 for none.
    virtual int cursorLine() { return -1; }
    // A Run stopped at a breakpoint goes on as stepping: the dialog offers the step commands.
    virtual void enterStepping() {}
    // A passing note for the status bar, such as that a stepped-back line's output stays.
    virtual void showNote(std::string_view text) { static_cast<void>(text); }

    // Lets up to `seconds` of real time pass with the windows alive; a paced Run waits here.
    // A host without windows may return at once.
    virtual void rest(double seconds) { static_cast<void>(seconds); }
    // How the kit's time keeps up with real time, during a Kit clock run.
    virtual void showPace(const PaceReport& report) { static_cast<void>(report); }
};

}  // namespace tarvix
