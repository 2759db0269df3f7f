#include "app/gui_output_sink.h"

namespace tarvix {

void GuiOutputSink::attach(Parts parts) {
    parts_ = std::move(parts);
    bar_ = parts_.bar;
    if (bar_) {
        bar_->setText(QString::fromStdString(text_));
    }
}

void GuiOutputSink::setPaneText(std::string_view text) {
    text_ = text;
    if (bar_) {
        bar_->setText(QString::fromStdString(text_));
    }
}

std::optional<int> GuiOutputSink::currentLine() const {
    return parts_.currentLine ? std::optional<int>(*parts_.currentLine) : std::nullopt;
}

void GuiOutputSink::markErrorLine(int lineIndex) {
    if (parts_.markErrorLine) {
        parts_.markErrorLine(lineIndex);
    }
}

void GuiOutputSink::playErrorSound() {
    if (parts_.playErrorSound) {
        parts_.playErrorSound();
    }
}

GuiOutputSink& applicationOutputSink() {
    static GuiOutputSink sink;
    return sink;
}

OutputPane& applicationOutputPane() {
    static OutputPane pane(applicationOutputSink());
    return pane;
}

}  // namespace tarvix
