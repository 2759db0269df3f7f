// The run host of the browser's kit: the execution dialog is the page, which writes Stop, the
// step commands and keys into the control block; its windows are kept up to date by posting
// the kit's state every few tens of milliseconds of real time, and whenever the run waits.
#pragma once

#include <functional>
#include <string>

#include "simulator/run_host.h"

namespace tarvix::web {

class WebRunHost : public RunHost {
public:
    // `state` gives the JSON the page draws; `pump` lets the devices' time pass.
    WebRunHost(std::string path, std::function<std::string()> state, std::function<void()> pump)
        : path_(std::move(path)), state_(std::move(state)), pump_(std::move(pump)) {}

    // Runs a command, with the page told when it starts and ends.
    void during(const std::function<void()>& command);
    bool running() const { return running_; }
    bool stepping() const { return stepping_; }
    const std::string& statusText() const { return status_; }
    // "Kit clock 5 MHz · 1.00× · 2.35 s" during a Kit clock run; empty otherwise.
    const std::string& paceText() const { return pace_; }
    void setMegahertz(int megahertz) { megahertz_ = megahertz; }
    int visibleLine() const { return visibleLine_; }

    std::string saveDocument() override { return path_; }
    std::string documentPath() override { return path_; }
    void openDialog(bool singleStep) override;
    void closeDialog() override;
    void setStatusText(std::string_view text) override { status_ = text; }
    void pump() override;
    bool takeStopRequest() override;
    bool takeNextRequest() override;
    void clearNextRequest() override;
    bool takeKey(std::uint8_t& key) override;
    void refreshRegisters() override { changed_ = true; }
    void invalidateMemory() override { changed_ = true; }
    void scrollToTop() override { visibleLine_ = 0; }
    void keepLineVisible(int line) override { visibleLine_ = line; }
    void playDoneSound() override {}
    StepCommand takeStepCommand() override;
    int cursorLine() override;
    void enterStepping() override;
    void rest(double seconds) override;
    void showPace(const PaceReport& report) override { pace_ = kitClockText(megahertz_, report); }

private:
    void post();

    std::string path_;
    std::function<std::string()> state_;
    std::function<void()> pump_;
    std::string status_;
    std::string pace_;
    int megahertz_ = 5;
    bool running_ = false;
    bool stepping_ = false;
    bool changed_ = false;
    int visibleLine_ = 0;
    double lastPost_ = 0;
};

}  // namespace tarvix::web
