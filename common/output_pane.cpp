#include "common/output_pane.h"

#include <string>

#include "common/text.h"

namespace tarvix {

namespace {

constexpr std::string_view kEllipsis = "...";

std::string shortened(std::string text) {
    if (text.size() > OutputPane::kMaxLineLength) {
        text.resize(OutputPane::kMaxLineLength - kEllipsis.size());
        text += kEllipsis;
    }
    return text;
}

}  // namespace

bool OutputPane::reportError(MessageId id, WithLine withLine) {
    return reportError(messageText(id), withLine);
}

bool OutputPane::reportError(std::string_view text, WithLine withLine) {
    std::string line;
    const std::optional<int> current = sink_.currentLine();
    if (withLine != WithLine::No && current) {
        const int number = *current < 1 ? 1 : *current;
        line = withLine == WithLine::Yes ? "Line " + std::to_string(number) + " Error: "
                                         : std::string("Error: ");
        line += text;
        sink_.markErrorLine(number - 1);
    } else {
        // Without an active view there is no line to name or mark.
        line = "Error: " + std::string(text);
    }
    showStatus(line);
    errorLatched_ = true;
    sink_.playErrorSound();
    return false;
}

void OutputPane::showRefusal(MessageId id) {
    showStatus("Error: " + messageText(id));
    sink_.playErrorSound();
}

void OutputPane::showStatus(std::string_view text) {
    if (!errorLatched_) {
        setPane(text);
    }
}

void OutputPane::showMessage(MessageId id) {
    showStatus(messageText(id));
}

void OutputPane::appendStatus(std::string_view text) {
    if (errorLatched_ || text.empty()) {
        return;
    }
    const std::string current = sink_.paneText();
    if (!contains(current, text)) {
        setPane(current + " ;" + std::string(text));
    }
}

void OutputPane::appendMessage(MessageId id) {
    appendStatus(messageText(id));
}

void OutputPane::clearStatus() {
    setPane("");
    errorLatched_ = false;
}

void OutputPane::showMemoryHint() {
    setPane(messageText(MessageId::MemoryHint));
}

void OutputPane::setPane(std::string_view text) {
    sink_.setPaneText(shortened(std::string(text)));
}

}  // namespace tarvix
