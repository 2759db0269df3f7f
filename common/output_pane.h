// The single status and error reporter. The first error of an operation latches the pane so
// that follow-up messages cannot hide the cause; the next operation clears it.
#pragma once

#include <string_view>

#include "common/messages.h"
#include "common/output_sink.h"

namespace tarvix {

// Whether an error names its line in the text ("Line 12 Error: ..."), and marks it. Some
// messages keep their text without a number but still mark the line (MarkOnly).
enum class WithLine { No, Yes, MarkOnly };

class OutputPane {
public:
    // The pane line is a fixed 256-character buffer on the kit; longer texts are shortened.
    static constexpr std::size_t kMaxLineLength = 255;

    explicit OutputPane(OutputSink& sink) : sink_(sink) {}

    OutputPane(const OutputPane&) = delete;
    OutputPane& operator=(const OutputPane&) = delete;

    // Always false, so that a failing operation can report and fail in one statement.
    bool reportError(MessageId id, WithLine withLine);
    bool reportError(std::string_view text, WithLine withLine);

    // A student's edit the kit's rules refuse: the message a program would get, without a line,
    // and the error sound; nothing latches, so the operation it was made in goes on.
    void showRefusal(MessageId id);

    void showStatus(std::string_view text);
    void showMessage(MessageId id);
    void appendStatus(std::string_view text);
    void appendMessage(MessageId id);
    void clearStatus();
    void showMemoryHint();

    bool errorLatched() const { return errorLatched_; }

private:
    void setPane(std::string_view text);

    OutputSink& sink_;
    bool errorLatched_ = false;
};

}  // namespace tarvix
