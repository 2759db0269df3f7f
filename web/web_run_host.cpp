#include "web/web_run_host.h"

#include "web/control_block.h"

namespace tarvix::web {

namespace {

// The page's panels follow a run at about 25 frames a second.
constexpr double kMillisecondsBetweenPosts = 40;
// A stepping kit looks at the page's commands at least this often.
constexpr double kCommandWaitSeconds = 0.05;

}  // namespace

void WebRunHost::during(const std::function<void()>& command) {
    takeCell(Cell::Stop);  // a Stop pressed while nothing ran is no Stop of this run
    takeCell(Cell::Command);
    pace_.clear();
    running_ = true;
    post();
    command();
    running_ = false;
    stepping_ = false;
    post();
}

void WebRunHost::openDialog(bool singleStep) {
    stepping_ = singleStep;
    post();
}

void WebRunHost::closeDialog() {
    stepping_ = false;
}

void WebRunHost::post() {
    changed_ = false;
    lastPost_ = wallMilliseconds();
    postToPage(state_());
}

void WebRunHost::pump() {
    pump_();
    if (wallMilliseconds() - lastPost_ >= kMillisecondsBetweenPosts) {
        post();
    }
}

bool WebRunHost::takeStopRequest() {
    return takeCell(Cell::Stop) != 0;
}

bool WebRunHost::takeNextRequest() {
    return static_cast<StepCommand>(takeCell(Cell::Command)) == StepCommand::Next;
}

void WebRunHost::clearNextRequest() {
    takeCell(Cell::Command);
}

bool WebRunHost::takeKey(std::uint8_t& key) {
    const int pressed = takeCell(Cell::Key);
    if (pressed == 0) {
        return false;
    }
    key = static_cast<std::uint8_t>(pressed - 1);
    return true;
}

StepCommand WebRunHost::takeStepCommand() {
    // A kit waiting for a command is stepping; one that runs on after Continue, Step Over, Step
    // Out or Run to Cursor is not, until it waits again.
    if (!stepping_) {
        stepping_ = true;
        changed_ = true;
    }
    if (takeStopRequest()) {
        return StepCommand::Stop;
    }
    if (const int command = takeCell(Cell::Command); command != 0) {
        pump_();  // breakpoints the page changed before the command count for it
        const auto taken = static_cast<StepCommand>(command);
        stepping_ = taken == StepCommand::Next || taken == StepCommand::StepBack;
        return taken;
    }
    pump_();
    if (changed_ || wallMilliseconds() - lastPost_ >= kMillisecondsBetweenPosts) {
        post();
    }
    sleepUntilWoken(kCommandWaitSeconds);
    return StepCommand::None;
}

int WebRunHost::cursorLine() {
    return readCell(Cell::Cursor);
}

void WebRunHost::enterStepping() {
    stepping_ = true;
    post();
}

void WebRunHost::rest(double seconds) {
    pump();
    sleepUntilWoken(seconds);
}

}  // namespace tarvix::web
