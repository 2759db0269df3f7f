// Executes one source line: strips the comment and the label, splits the mnemonic from its
// operand texts, advances the line pointer and calls the mnemonic's executor.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/x86_text_buffer.h"
#include "simulator/kit.h"
#include "simulator/run_host.h"

namespace tarvix {

// What an executor tells the dispatcher.
enum class Outcome {
    Failed,           // an error has been reported; the run stops
    Executed,         // done; the views are refreshed by the usual rule
    ExecutedQuietly,  // done, without any refresh (connect, INTO without overflow)
    Halted,           // HLT: the run stops without a message
};

// Executors reach the whole kit: the processor, and for IN, OUT and connect its devices.
using Executor = Outcome (*)(Kit&);

// The executor of a mnemonic in any case, or null for a mnemonic the kit does not know.
Executor findExecutor(std::string_view mnemonic);

// One source line as the dispatcher reads it. A line's reading depends on its text alone, and
// the text cannot change during a run, so each line is read once per run.
struct DecodedLine {
    bool hasInstruction = false;  // false for blank, comment-only and label-only lines
    std::string text;             // normalised, for the execution dialog's status line
    std::string mnemonic;
    std::string dest;
    std::string source;
    Executor executor = nullptr;
};

DecodedLine decodeLine(std::string_view line);

class Dispatcher {
public:
    enum Result { Stop = 0, Executed = 1, NoInstruction = 2 };

    // `markError` puts the error marker on a 0-based line.
    Dispatcher(Kit& kit, const CX86TextBuffer& buffer, RunHost& host,
               std::function<void(int)> markError)
        : kit_(kit), buffer_(buffer), host_(host), markError_(std::move(markError)) {}

    // Forgets the lines read during an earlier run.
    void startRun();

    Result executeNextLine(bool refreshEachInstruction);

private:
    const DecodedLine& decoded(int line);

    Kit& kit_;
    const CX86TextBuffer& buffer_;
    RunHost& host_;
    std::function<void(int)> markError_;
    std::vector<std::optional<DecodedLine>> lines_;
};

}  // namespace tarvix
