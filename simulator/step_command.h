// What a student asks of a run that is stepping or stopped at a breakpoint.
#pragma once

namespace tarvix {

enum class StepCommand {
    None,         // nothing yet
    Next,         // execute the current line
    Continue,     // run on to the next breakpoint
    StepOver,     // a CALL or INT runs through to the line after it
    StepOut,      // run until the current procedure returns
    RunToCursor,  // run until the caret's line
    StepBack,     // undo the last executed line
    Stop,
};

}  // namespace tarvix
