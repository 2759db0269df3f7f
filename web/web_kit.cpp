#include "web/web_kit.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "cli/json_text.h"
#include "common/format.h"
#include "common/source_limits.h"
#include "simulator/program_loader.h"
#include "simulator/register_text.h"
#include "simulator/stack_view.h"
#include "web/control_block.h"

namespace tarvix::web {

namespace {

// The folder of the page's one document, in the module's in-memory file system.
constexpr const char* kFolder = "/kit";
constexpr double kScopeSampleMilliseconds = 10;
// A state posted less often than this many samples keeps only the latest ones.
constexpr std::size_t kMaxScopeSamples = 500;
// The stack's rows from SP that a state carries: deeper than any program of the kit's goes,
// and a post 25 times a second stays small.
constexpr std::size_t kMaxStackRows = 256;

std::string hexArray(const auto& bytes) {
    std::string text = "[";
    for (const std::uint8_t byte : bytes) {
        text += formatText(text.size() == 1 ? "%u" : ",%u", byte);
    }
    return text + "]";
}

std::string stringArray(const auto& texts) {
    std::string json = "[";
    for (const std::string& text : texts) {
        json += (json.size() == 1 ? "" : ",") + jsonText(text);
    }
    return json + "]";
}

// The 0-based line whose flags hold `marker`, or -1.
int markedLine(const CX86TextBuffer& buffer, std::uint32_t marker) {
    for (int i = 0; i < buffer.lineCount(); ++i) {
        if ((buffer.lineFlags(i) & ~kBreakpointMarker) == marker) {
            return i;
        }
    }
    return -1;
}

}  // namespace

WebKit::WebKit()
    : sourcePath_(std::string(kFolder) + "/program.asm"),
      host_(
          sourcePath_, [this] { return state(); }, [this] { pump(); }),
      driver_(kit_, buffer_, host_, clock_) {
    std::filesystem::create_directories(kFolder);
    clock_.kit.follow(kit_.cpu);
    sink_.lineSource = &kit_.currentLine;
    buffer_.initEmpty();
}

bool WebKit::setSource(const std::string& text, const std::string& breakpoints) {
    std::ofstream(sourcePath_, std::ios::binary | std::ios::trunc) << text;
    if (!buffer_.loadFile(sourcePath_, kDetectLineEnd, kMaxSourceLines + 1)) {
        return false;
    }
    buffer_.setNeedsAssembly(true);
    pageBreakpointRevision_ = readCell(Cell::BreakpointRevision);
    for (std::string_view rest = breakpoints; !rest.empty();) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        int line = -1;
        std::from_chars(item.data(), item.data() + item.size(), line);
        if (line >= 0 && line < buffer_.lineCount()) {
            buffer_.setLineFlags(line, buffer_.lineFlags(line) | kBreakpointMarker);
        }
        rest = comma == rest.npos ? std::string_view() : rest.substr(comma + 1);
    }
    return true;
}

void WebKit::setSpeed(int speed, int megahertz, int linesPerSecond) {
    const auto chosen = static_cast<RunSpeed>(speed);
    clock_.kit.setMegahertz(megahertz);
    host_.setMegahertz(clock_.kit.megahertz());
    clock_.useKitTime(chosen == RunSpeed::KitClock);
    driver_.setSpeed(chosen, &wallClock_);
    driver_.setLinesPerSecond(linesPerSecond);
}

void WebKit::pump() {
    followPageBreakpoints();
    if (const int code = takeCell(Cell::Edit); code != 0) {
        edit(code);
    }
    panels_.expireBlankTimers(kit_.devices.ppi);
    if (!panels_.isVisible(Panel::Scope)) {
        return;
    }
    const double now = wallMilliseconds();
    if (now - nextScopeSample_ > kScopeSampleMilliseconds * kMaxScopeSamples) {
        nextScopeSample_ = now;  // a wait between runs is no stretch of samples
    }
    for (; nextScopeSample_ <= now; nextScopeSample_ += kScopeSampleMilliseconds) {
        scopeSamples_.push_back(panels_.dac());
    }
    if (scopeSamples_.size() > kMaxScopeSamples) {
        scopeSamples_.erase(scopeSamples_.begin(),
                            scopeSamples_.end() - static_cast<std::ptrdiff_t>(kMaxScopeSamples));
    }
}

// The run's dispatcher follows the text's breakpoints, as it follows the desktop editor's.
void WebKit::followPageBreakpoints() {
    const int revision = readCell(Cell::BreakpointRevision);
    if (revision == pageBreakpointRevision_) {
        return;
    }
    pageBreakpointRevision_ = revision;
    for (int line = 0; line < buffer_.lineCount(); ++line) {
        const std::uint32_t flags = buffer_.lineFlags(line) & ~kBreakpointMarker;
        buffer_.setLineFlags(line, pageBreakpoint(line) ? flags | kBreakpointMarker : flags);
    }
}

void WebKit::edit(int code) {
    const auto value = static_cast<std::uint16_t>(code & 0xFFFF);
    const int index = (code >> 16) & 0xFFF;
    switch (static_cast<EditKind>(code >> 28)) {
        case EditKind::Register:
            if (index < 8) {
                kit_.cpu.regs[static_cast<Reg16>(index)] = value;
            }
            break;
        case EditKind::Flag:
            if (index < 16) {
                kit_.cpu.regs.setFlag(static_cast<std::uint16_t>(1U << index), value != 0);
            }
            break;
        case EditKind::Memory:
            if (const auto refused =
                    kit_.cpu.memory.editByte(static_cast<std::uint16_t>(kMemoryFirst + index),
                                             static_cast<std::uint8_t>(value))) {
                kit_.pane.showRefusal(*refused);
            }
            break;
    }
    host_.refreshRegisters();
    host_.invalidateMemory();
}

void WebKit::resetCpu() {
    driver_.resetCpu();
    sound_.stop();
}

void WebKit::resetMemory() {
    driver_.resetMemory();
}

std::string WebKit::assemble() {
    std::string listPath;
    if (!assembleForListing(kit_, buffer_, host_, listPath)) {
        return {};
    }
    std::ifstream list(listPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(list), std::istreambuf_iterator<char>()};
}

std::string WebKit::state() {
    const bool running = host_.running();
    const std::uint16_t ip = running ? kit_.image.displayedIP(kit_.currentLine) : driver_.lastIP();
    std::string memory;
    memory.reserve(kMemorySize * 2);
    for (const std::uint8_t byte : kit_.cpu.memory.bytes()) {
        memory += formatText("%02X", byte);
    }
    std::array<std::uint8_t, kPanelCount> visible{};
    for (int i = 0; i < kPanelCount; ++i) {
        visible[static_cast<std::size_t>(i)] = panels_.isVisible(static_cast<Panel>(i)) ? 1 : 0;
    }
    std::string angles = "[";
    for (const int angle : panels_.rotor.toothAngles()) {
        angles += (angles.size() == 1 ? "" : ",") + std::to_string(angle);
    }
    const std::string scope = hexArray(scopeSamples_);
    scopeSamples_.clear();
    const std::string terminal = terminal_.text.substr(terminalShown_);
    terminalShown_ = terminal_.text.size();
    const int errorLine = markedLine(buffer_, kErrorMarker);
    std::vector<std::string> stack;
    for (const StackWord& word : stackWords(
             kit_.cpu.memory.bytes(), kit_.cpu.regs[Reg16::SP], kit_.image,
             [this](int line) { return buffer_.line(line); }, kMaxStackRows)) {
        stack.push_back(stackRowText(word, stack.empty()));
    }
    return "{\"running\":" + std::string(running ? "true" : "false") +
           ",\"stepping\":" + (host_.stepping() ? "true" : "false") +
           ",\"pane\":" + jsonText(sink_.text) + ",\"status\":" + jsonText(host_.statusText()) +
           ",\"pace\":" + jsonText(host_.paceText()) +
           ",\"registers\":" + stringArray(registerLines(kit_.cpu.regs, ip)) +
           ",\"flagsLegend\":" + jsonText(kFlagsLegend) + ",\"stack\":" + stringArray(stack) +
           ",\"ip\":" + std::to_string(ip) +
           ",\"line\":" + std::to_string(markedLine(buffer_, kExecutionMarker)) +
           ",\"errorLine\":" +
           std::to_string(errorLine >= 0 ? errorLine : sink_.markedLine.value_or(-1)) +
           ",\"visibleLine\":" + std::to_string(host_.visibleLine()) +
           ",\"errorSounds\":" + std::to_string(sink_.soundsPlayed) +
           ",\"instructions\":" + std::to_string(driver_.lastInstructionCount()) +
           ",\"memory\":\"" + memory + "\",\"visible\":" + hexArray(visible) +
           ",\"led8255\":" + hexArray(panels_.led8255()) +
           ",\"led8279\":" + hexArray(panels_.led8279()) +
           ",\"coils\":" + std::to_string(panels_.coils()) +
           ",\"dac\":" + std::to_string(panels_.dac()) + ",\"scope\":" + scope +
           ",\"rotor\":" + angles + "],\"speakerHz\":" + std::to_string(sound_.frequency) +
           ",\"terminal\":" + jsonBytes(terminal) + "}";
}

}  // namespace tarvix::web
