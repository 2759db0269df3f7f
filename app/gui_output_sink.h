// The output pane reporter of the desktop program: one for the process, over a sink that
// writes the "Output" bar, reads the view's current line, puts the error marker in the editor
// and plays the error sound. The frame attaches its parts when it is created and detaches
// them when it goes; in between, and without a frame, the text is still kept.
#pragma once

#include <functional>
#include <string>

#include <QPointer>

#include "app/output_bar.h"
#include "common/output_pane.h"

namespace tarvix {

class GuiOutputSink : public OutputSink {
public:
    struct Parts {
        OutputBar* bar = nullptr;
        const int* currentLine = nullptr;
        std::function<void(int)> markErrorLine;
        std::function<void()> playErrorSound;
    };

    void attach(Parts parts);
    void detach() { attach({}); }

    std::string paneText() const override { return text_; }
    void setPaneText(std::string_view text) override;
    std::optional<int> currentLine() const override;
    void markErrorLine(int lineIndex) override;
    void playErrorSound() override;

private:
    std::string text_;
    QPointer<OutputBar> bar_;
    Parts parts_;
};

GuiOutputSink& applicationOutputSink();
// The process-wide reporter over applicationOutputSink().
OutputPane& applicationOutputPane();

}  // namespace tarvix
