// What pass one writes. Every intermediate line goes to the intermediate file and, as pass two
// shows it, into the list text at once: only a line holding "#1", a jump, call or loop to a
// label, needs the labels of the whole program. Such a line is kept in the list text, in the
// room its resolved form will take, for pass two to resolve in place.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvix {

class PassOneOutput {
public:
    struct PendingJump {
        std::size_t offset;    // of its room in the list text
        std::size_t length;    // of the intermediate line kept at the start of the room
        std::size_t room;      // what its resolved list line takes
        int intermediateLine;  // its number, counted from 1
        int sourceLine;        // the source line it comes from, counted from 1
    };

    // Starts the list text with `header`, sized for a source of that many bytes and lines, and
    // writes the intermediate lines to the open descriptor `file`.
    void start(int file, bool listingMode, std::string header, std::size_t sourceBytes,
               int sourceLines);

    // One whole intermediate line; `lineEnd` false for the last, which has none. A jump line
    // gives its source line, which pass two marks when its label is unknown.
    void addLine(std::string_view text, bool lineEnd = true, int sourceLine = 0);
    // The start of a line that pass one then refuses: the file keeps it, as written so far.
    void addRefusedLine(std::string_view text);
    // Hands what is still buffered to the file, whether pass one succeeded or not; false, with
    // errno set, when this or an earlier write to the file failed.
    bool finish();

    int lineCount() const { return lines_; }
    const std::vector<PendingJump>& pendingJumps() const { return pendingJumps_; }
    std::string& list() { return list_; }

private:
    void write(std::string_view text, std::string_view lineEnd);
    void flush();
    // Faults the list text's next pages in, many in one call, before the text reaches them: a
    // page faulted in one at a time as the text grows cost more than the lines written on it.
    void prefaultList();

    int file_ = -1;
    int writeError_ = 0;      // errno of the first failed write, or 0
    std::string fileBuffer_;  // the file's text, handed to it in large pieces
    bool listingMode_ = false;
    int lines_ = 0;
    std::string list_;
    const char* prefaultedText_ = nullptr;  // the list text's buffer when last faulted in
    std::size_t prefaulted_ = 0;            // bytes of that buffer faulted in from its start
    std::vector<PendingJump> pendingJumps_;
    std::string resolved_;  // a jump's list line, measured for its room
};

}  // namespace tarvix
