#include "cli/batch_devices.h"

#include <cstdlib>
#include <system_error>

namespace tarvix {

namespace {

constexpr int kSettleRounds = 1000;

const std::string kNoText;

}  // namespace

BatchDevices::BatchDevices(Clock& clock, BatchTerminal terminal, std::string& problem)
    : panels(clock), clock_(clock) {
    if (terminal == BatchTerminal::Collecting) {
        return;
    }
    std::string pattern =
        (socketFolderBase("tarvix-run-XXXXXX/CRTClass") / "tarvix-run-XXXXXX").string();
    const HeldSignals held;
    if (::mkdtemp(pattern.data()) == nullptr) {
        problem = "cannot make a folder for the terminal's socket";
        socket_ = std::make_unique<SocketTerminalLink>("");
        link_ = socket_.get();
        return;
    }
    folder_ = pattern;
    const std::string path = (folder_ / "CRTClass").string();
    for (const std::string& recorded : {folder_.string(), path, path + ".lock"}) {
        recorded_.push_back(std::make_unique<TemporaryPath>(recorded));
    }
    socket_ = std::make_unique<SocketTerminalLink>(path);
    link_ = socket_.get();
    if (terminal == BatchTerminal::Socket) {
        receiver_ = std::make_unique<TerminalReceiver>(path);
        problem = receiver_->listen();
        if (!problem.empty()) {
            receiver_.reset();
        }
    }
}

BatchDevices::~BatchDevices() {
    socket_.reset();
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
        const bool allSent = socket_->flush();
        receiver_->poll();
        if (allSent) {
            return;
        }
    }
}

const std::string& BatchDevices::terminalText() const {
    if (link_ == &collecting_) {
        return collecting_.text;
    }
    return receiver_ ? receiver_->text() : kNoText;
}

}  // namespace tarvix
