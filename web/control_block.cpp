#include "web/control_block.h"

#include <emscripten.h>

#include <string>

// The page gives the module `control`, an Int32Array (over a SharedArrayBuffer when it can), and
// `post`, which forwards a message. clang-format would break the script's operators.
// clang-format off
EM_JS(int, tarvix_take_cell, (int index), {
    return Module.control ? Atomics.exchange(Module.control, index, 0) : 0;
});
EM_JS(int, tarvix_read_cell, (int index), {
    return Module.control ? Atomics.load(Module.control, index) : 0;
});
EM_JS(void, tarvix_sleep, (int index, double milliseconds), {
    const cells = Module.control;
    if (cells && typeof SharedArrayBuffer == 'function' &&
        cells.buffer instanceof SharedArrayBuffer) {
        Atomics.wait(cells, index, Atomics.load(cells, index), milliseconds);
    }
});
EM_JS(void, tarvix_post, (const char* text, int length), {
    if (Module.post) {
        Module.post(UTF8ToString(text, length));
    }
});
// clang-format on

namespace tarvix::web {

int takeCell(Cell cell) {
    return tarvix_take_cell(static_cast<int>(cell));
}

int readCell(Cell cell) {
    return tarvix_read_cell(static_cast<int>(cell));
}

bool pageBreakpoint(int line) {
    if (line < 0 || line / 32 >= kControlCells - static_cast<int>(Cell::BreakpointBits)) {
        return false;
    }
    const int word = tarvix_read_cell(static_cast<int>(Cell::BreakpointBits) + line / 32);
    return ((static_cast<unsigned>(word) >> (line % 32)) & 1U) != 0;
}

void sleepUntilWoken(double seconds) {
    tarvix_sleep(static_cast<int>(Cell::Wake), seconds * 1000.0);
}

void postToPage(std::string_view json) {
    tarvix_post(json.data(), static_cast<int>(json.size()));
}

double wallMilliseconds() {
    return emscripten_get_now();
}

}  // namespace tarvix::web
