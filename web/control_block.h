// The page's side of a run in the worker: a block of 32-bit cells the page writes while the
// kit runs (Stop, the step commands, a key), shared with the worker when the page is
// cross-origin isolated, and the messages the worker posts to the page.
#pragma once

#include <string_view>

#include "common/source_limits.h"

namespace tarvix::web {

enum class Cell : int {
    Stop = 0,                // 1: Stop was pressed
    Command = 1,             // a StepCommand, 0 for none
    Key = 2,                 // the key pressed plus 1, 0 for none
    Wake = 3,                // bumped by the page after each write; the worker sleeps on it
    Cursor = 4,              // the 0-based line of the caret, for Run to Cursor
    BreakpointRevision = 5,  // bumped by the page after it rewrites the breakpoint bits
    Edit = 6,                // an edit of the stepping kit's state, as WebKit::edit takes it
    // From here a bit a line, bit line % 32 of cell BreakpointBits + line / 32: the breakpoints
    // the page shows, which the student may set and clear while the kit runs.
    BreakpointBits = 8,
};

// The block's size in cells: a bit for every line a program may have.
inline constexpr int kControlCells =
    static_cast<int>(Cell::BreakpointBits) + (kMaxSourceLines + 32) / 32;

// Reads a cell and leaves 0 in it.
int takeCell(Cell cell);
int readCell(Cell cell);
// Whether the page shows a breakpoint on a 0-based line.
bool pageBreakpoint(int line);
// Sleeps until the page writes a cell or `seconds` pass.
void sleepUntilWoken(double seconds);
// Hands the page a message (JSON text).
void postToPage(std::string_view json);
double wallMilliseconds();

}  // namespace tarvix::web
