// The run host of a kit without a screen: the source is already saved at its path, nobody
// needs to see anything, Next is always pressed and Stop never is. Batch tools and tests
// derive from it to add what they need (a time limit, scripted keys).
#pragma once

#include <string>
#include <utility>

#include "simulator/run_host.h"

namespace tarvix {

class HeadlessRunHost : public RunHost {
public:
    explicit HeadlessRunHost(std::string path) : path_(std::move(path)) {}

    std::string saveDocument() override { return path_; }
    std::string documentPath() override { return path_; }
    void openDialog(bool) override {}
    void closeDialog() override {}
    void setStatusText(std::string_view) override {}
    void pump() override {}
    bool takeStopRequest() override { return false; }
    bool takeNextRequest() override { return !takeStopRequest(); }
    void clearNextRequest() override {}
    bool takeKey(std::uint8_t&) override { return false; }
    void refreshRegisters() override {}
    void invalidateMemory() override {}
    void scrollToTop() override {}
    void keepLineVisible(int) override {}
    void playDoneSound() override {}

private:
    std::string path_;
};

}  // namespace tarvix
