// What the output pane needs from a front end: the one-line pane text, the line being worked
// on, the editor's error marker and the error sound. The GUI implements it with widgets; the
// command-line tools and the tests with MemoryOutputSink.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvix {

class OutputSink {
public:
    virtual ~OutputSink() = default;

    virtual std::string paneText() const = 0;
    virtual void setPaneText(std::string_view text) = 0;

    // The 1-based number of the line being assembled or executed (the "current line"), or
    // nothing when no simulation view is active.
    virtual std::optional<int> currentLine() const = 0;

    // Puts the error marker on a 0-based line of the source.
    virtual void markErrorLine(int lineIndex) = 0;

    // Must not block the caller; no sound device is not an error.
    virtual void playErrorSound() = 0;
};

// A sink that keeps everything in memory: the pane text, the marks and a count of sounds.
// The current line is read through a pointer to the owner's counter.
class MemoryOutputSink : public OutputSink {
public:
    std::string text;
    const int* lineSource = nullptr;
    std::optional<int> markedLine;
    int soundsPlayed = 0;

    std::string paneText() const override { return text; }
    void setPaneText(std::string_view newText) override { text = newText; }
    std::optional<int> currentLine() const override {
        return lineSource ? std::optional<int>(*lineSource) : std::nullopt;
    }
    void markErrorLine(int lineIndex) override { markedLine = lineIndex; }
    void playErrorSound() override { ++soundsPlayed; }
};

}  // namespace tarvix
