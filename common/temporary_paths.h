// Temporary files and folders that must not outlive the program, even when a signal ends it.
// Each is recorded while it exists; a program that calls removeTemporaryPathsOnSignals() at its
// start has them removed when SIGTERM, SIGINT or SIGHUP ends it.
#pragma once

#include <signal.h>

#include <string>

namespace tarvix {

// Records a path for as long as it lives; it removes nothing itself, its owner does.
class TemporaryPath {
public:
    explicit TemporaryPath(const std::string& path);
    ~TemporaryPath();

    TemporaryPath(const TemporaryPath&) = delete;
    TemporaryPath& operator=(const TemporaryPath&) = delete;

private:
    int slot_;  // -1 when there was no room
};

// While one lives, SIGTERM, SIGINT and SIGHUP wait in this thread: a path is made and recorded
// in between, so that no signal ends the program after the path exists but before it is known.
class HeldSignals {
public:
    HeldSignals();
    ~HeldSignals();

    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t previous_;
};

// On SIGTERM, SIGINT or SIGHUP: removes every recorded file, then every recorded (by then
// empty) folder, and ends the program as the signal would have. A signal ignored at the start
// stays ignored.
void removeTemporaryPathsOnSignals();

}  // namespace tarvix
