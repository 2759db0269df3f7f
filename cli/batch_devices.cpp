#include "cli/batch_devices.h"

#include <cstdlib>
#include <system_error>

namespace tarvix {

namespace {

constexpr int kSettleRounds = 1000;

const std::string kNoText;

}  // namespace

BatchDevices::BatchDevices(Clock& clock, bool withTerminal, std::string& problem)
    : panels(clock), clock_(clock) {
    std::string pattern =
        (socketFolderBase("tarvix-run-XXXXXX/CRTClass") / "tarvix-run-XXXXXX").string();
    const HeldSignals held;
    if (::mkdtemp(pattern.data()) == nullptr) {
        problem = "cannot make a folder for the terminal's socket";
        link_ = std::make_unique<SocketTerminalLink>("");
        return;
    }
    folder_ = pattern;
    const std::string path = (folder_ / "CRTClass").string();
    for (const std::string& recorded : {folder_.string(), path, path + ".lock"}) {
        recorded_.push_back(std::make_unique<TemporaryPath>(recorded));
    }
    link_ = std::make_unique<SocketTerminalLink>(path);
    if (withTerminal) {
        receiver_ = std::make_unique<TerminalReceiver>(path);
        problem = receiver_->listen();
        if (!problem.empty()) {
            receiver_.reset();
        }
    }
}

BatchDevices::~BatchDevices() {
    link_.reset();
    receiver_.reset();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

void BatchDevices::pump(Ppi8255& ppi) {
    panels.expireBlankTimers(ppi);
    if (receiver_) {
        receiver_->poll();
    }
}

void BatchDevices::settle(Ppi8255& ppi) {
    panels.expireBlankTimers(ppi);
    if (!receiver_) {
        return;
    }
    for (int round = 0; round < kSettleRounds; ++round) {
        const bool allSent = link_->flush();
        receiver_->poll();
        if (allSent) {
            return;
        }
    }
}

const std::string& BatchDevices::terminalText() const {
    return receiver_ ? receiver_->text() : kNoText;
}

}  // namespace tarvix
