#include "devices/terminal_launcher.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

namespace tarvix {

namespace {

constexpr auto kWaitForTerminal = std::chrono::milliseconds(500);
constexpr auto kWaitSlice = std::chrono::milliseconds(10);

}  // namespace

void ProgramTerminalLauncher::launch() {
    // One terminal is enough: a second could not listen on the socket the first one holds.
    if (link_.isThere()) {
        return;
    }
    const std::filesystem::path program = folder_ / kProgram;
    if (::access(program.c_str(), X_OK) != 0 || !start(program)) {
        boxes_.showMessageBox(std::string("'") + kProgram +
                              "' not found. Find and run it manually.");
        return;
    }
    pane_.showStatus(std::string("Waiting for ") + kProgram + "...");
    waitForTerminal();
}

// Detached, with the folder as its working folder: the grandchild of a child that exits at
// once belongs to init, so the kit leaves no zombie behind.
bool ProgramTerminalLauncher::start(const std::filesystem::path& program) {
    const std::string path = program.string();
    const std::string folder = folder_.string();
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::setsid();
        if (::fork() == 0) {
            if (::chdir(folder.c_str()) == 0) {
                ::execv(path.c_str(), argv);
            }
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    pid_t reaped = 0;
    do {
        reaped = ::waitpid(child, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    return reaped == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ProgramTerminalLauncher::waitForTerminal() {
    const auto until = std::chrono::steady_clock::now() + kWaitForTerminal;
    while (!link_.isThere() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(kWaitSlice);
    }
}

}  // namespace tarvix
