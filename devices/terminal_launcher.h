// Starting the terminal program at the other end of the 8251 link: the CRT Terminal command
// and the statement `connect terminal`.
#pragma once

#include <filesystem>

#include "common/message_box.h"
#include "common/output_pane.h"
#include "devices/terminal_link.h"

namespace tarvix {

class TerminalLauncher {
public:
    virtual ~TerminalLauncher() = default;
    virtual void launch() = 0;
};

// A host whose terminal is already there, such as tarvix-run's receiver.
class NoTerminalLauncher : public TerminalLauncher {
public:
    void launch() override {}
};

// Starts tarvix-terminal from a folder (the kit's own) as a program of its own, and gives it
// up to half a second to start listening.
class ProgramTerminalLauncher : public TerminalLauncher {
public:
    static constexpr const char* kProgram = "tarvix-terminal";

    ProgramTerminalLauncher(std::filesystem::path folder, TerminalLink& link, OutputPane& pane,
                            MessageBoxSink& boxes)
        : folder_(std::move(folder)), link_(link), pane_(pane), boxes_(boxes) {}

    void launch() override;

private:
    bool start(const std::filesystem::path& program);
    void waitForTerminal();

    std::filesystem::path folder_;
    TerminalLink& link_;
    OutputPane& pane_;
    MessageBoxSink& boxes_;
};

}  // namespace tarvix
