// A run host for tests: it never waits, records what the driver asked of it, and can be told
// to press Stop after a number of pumps or to hold back Next.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/run_host.h"

namespace tarvix {

class RecordingRunHost : public RunHost {
public:
    std::string path;
    int stopAfterPumps = -1;         // -1: never
    std::vector<std::uint8_t> keys;  // delivered one per pump

    int pumps = 0;
    int registerRefreshes = 0;
    int memoryRepaints = 0;
    int doneSounds = 0;
    bool dialogOpen = false;
    bool dialogWasSingleStep = false;
    std::vector<std::string> statusTexts;
    std::vector<int> visibleLines;

    std::string saveDocument() override { return path; }
    std::string documentPath() override { return path; }
    void openDialog(bool singleStep) override {
        dialogOpen = true;
        dialogWasSingleStep = singleStep;
    }
    void closeDialog() override { dialogOpen = false; }
    void setStatusText(std::string_view text) override { statusTexts.emplace_back(text); }
    void pump() override { ++pumps; }
    bool takeStopRequest() override { return stopAfterPumps >= 0 && pumps >= stopAfterPumps; }
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
    void invalidateMemory() override { ++memoryRepaints; }
    void scrollToTop() override {}
    void keepLineVisible(int line) override { visibleLines.push_back(line); }
    void playDoneSound() override { ++doneSounds; }
};

}  // namespace tarvix
