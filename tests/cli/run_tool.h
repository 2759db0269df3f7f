// Runs one of the command-line tools and collects what it printed and its exit status.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/scratch_folder.h"

struct Outcome {
    int status;
    std::string output;  // standard output and standard error together
};

inline Outcome runTool(const std::string& tool, const std::string& arguments) {
    const std::string command = tool + " " + arguments + " 2>&1";
    Outcome outcome{-1, ""};
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return outcome;
    }
    std::array<char, 4096> chunk{};
    std::size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
        outcome.output.append(chunk.data(), got);
    }
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// A test of a tool, with a folder for the sources it is given.
class ToolTest : public ::testing::Test {
protected:
    // Writes a source and gives its path, quoted for the shell.
    std::string source(const std::string& name, const std::string& text) {
        tarvix::writeFile(folder / name, text);
        return "'" + (folder / name).string() + "'";
    }

    tarvix::ScratchFolder folder;
};
