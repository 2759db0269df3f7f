// The front end's side of a kit, faked: a clock that moves when told, a run host that never
// waits and records, panels that log, a terminal that collects, a launcher that counts.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/format.h"
#include "devices/device_panels.h"
#include "devices/terminal_launcher.h"
#include "devices/terminal_link.h"
#include "simulator/run_host.h"

namespace tarvix {

// Moves only when the test moves it, or by a fixed step at every reading.
class FakeClock : public Clock {
public:
    std::int64_t ticks = 0;
    std::int64_t ticksPerSecond = 1000;
    std::uint64_t millis = 0;
    std::uint64_t millisPerReading = 0;
    std::int64_t ticksPerReading = 0;

    std::int64_t counter() override {
        const std::int64_t now = ticks;
        ticks += ticksPerReading;
        return now;
    }
    std::int64_t frequency() override { return ticksPerSecond; }
    std::uint64_t milliseconds() override {
        const std::uint64_t now = millis;
        millis += millisPerReading;
        return now;
    }
};

// Never waits (a rest only moves `wallClock` on); records what the driver asked of it;
// presses Stop after a number of pumps or rests; while stepping, gives scripted commands.
class RecordingRunHost : public RunHost {
public:
    std::string path;
    int stopAfterPumps = -1;         // -1: never
    int stopAfterRests = -1;         // -1: never
    FakeClock* wallClock = nullptr;  // the real time a rest lets pass
    std::vector<std::uint8_t> keys;  // delivered one per pump
    // When set, the commands given while stepping, in order, then Stop; else Next until Stop.
    std::vector<StepCommand> stepCommands;
    int cursor = -1;

    int pumps = 0;
    int registerRefreshes = 0;
    int doneSounds = 0;
    bool dialogOpen = false;
    std::vector<std::string> statusTexts;
    int rests = 0;
    double rested = 0;  // seconds
    double longestRest = 0;
    std::vector<PaceReport> paces;
    std::vector<int> shownLines;
    std::size_t stepCommandsTaken = 0;
    int steppingEntered = 0;
    std::vector<std::string> notes;
    std::function<void()> onPump;  // what the student does while the windows are pumped

    std::string saveDocument() override { return path; }
    std::string documentPath() override { return path; }
    void openDialog(bool) override { dialogOpen = true; }
    void closeDialog() override { dialogOpen = false; }
    void setStatusText(std::string_view text) override { statusTexts.emplace_back(text); }
    void pump() override {
        ++pumps;
        if (onPump) {
            onPump();
        }
    }
    bool takeStopRequest() override {
        return (stopAfterPumps >= 0 && pumps >= stopAfterPumps) ||
               (stopAfterRests >= 0 && rests >= stopAfterRests);
    }
    bool takeNextRequest() override {
        ++pumps;
        return !takeStopRequest();
    }
    void clearNextRequest() override {}
    bool takeKey(std::uint8_t& key) override {
        if (keys.empty()) {
            return false;
        }
        key = keys.front();
        keys.erase(keys.begin());
        return true;
    }
    void refreshRegisters() override { ++registerRefreshes; }
    void invalidateMemory() override {}
    void scrollToTop() override {}
    void keepLineVisible(int line) override { shownLines.push_back(line); }
    void playDoneSound() override { ++doneSounds; }
    void rest(double seconds) override {
        ++rests;
        rested += seconds;
        longestRest = std::max(longestRest, seconds);
        if (wallClock != nullptr) {  // a rest always takes some time, as a real one does
            wallClock->ticks += std::max<std::int64_t>(
                1, std::llround(seconds * static_cast<double>(wallClock->ticksPerSecond)));
        }
    }
    void showPace(const PaceReport& report) override { paces.push_back(report); }
    StepCommand takeStepCommand() override {
        if (stepCommands.empty()) {
            return RunHost::takeStepCommand();
        }
        return stepCommandsTaken < stepCommands.size() ? stepCommands[stepCommandsTaken++]
                                                       : StepCommand::Stop;
    }
    int cursorLine() override { return cursor; }
    void enterStepping() override { ++steppingEntered; }
    void showNote(std::string_view text) override { notes.emplace_back(text); }
};

// Keeps the state as RecordedPanels does, and a log of the calls that drive a device:
// "d7=3F" (8255 digit), "arm3", "coils=01", "dac=80".
class LoggingPanels : public RecordedPanels {
public:
    using RecordedPanels::RecordedPanels;

    std::string log;

    void setLed8255Digit(int digit, std::uint8_t pattern) override {
        add(formatText("d%d=%02X", digit, pattern));
        RecordedPanels::setLed8255Digit(digit, pattern);
    }
    void armBlankTimer(int digit) override {
        add(formatText("arm%d", digit));
        RecordedPanels::armBlankTimer(digit);
    }
    void setCoils(std::uint8_t coils) override {
        add(formatText("coils=%02X", coils));
        RecordedPanels::setCoils(coils);
    }
    void setDacValue(std::uint8_t value) override {
        add(formatText("dac=%02X", value));
        RecordedPanels::setDacValue(value);
    }

private:
    void add(const std::string& entry) { log += (log.empty() ? "" : " ") + entry; }
};

class FakeTerminal : public TerminalLink {
public:
    bool there = true;
    std::string received;

    bool isThere() override { return there; }
    void post(std::uint8_t character) override { received += static_cast<char>(character); }
};

class CountingLauncher : public TerminalLauncher {
public:
    int launches = 0;
    void launch() override { ++launches; }
};

}  // namespace tarvix
