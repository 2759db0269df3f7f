#include "cli/device_report.h"

#include <array>
#include <span>
#include <string_view>

#include "cli/json_text.h"
#include "common/format.h"

namespace tarvix {

namespace {

struct PanelName {
    Panel panel;
    std::string_view name;  // as the connect statement names it
};

constexpr std::array<PanelName, kPanelCount> kPanelNames{{
    {Panel::Scope, "scope"},
    {Panel::Stepper, "stepper"},
    {Panel::Led8255, "led55"},
    {Panel::Led8279, "led79"},
    {Panel::Speaker, "speaker"},
}};

std::string hexList(std::span<const std::uint8_t> bytes, const char* format) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text += formatText(format, byte);
    }
    return text;
}

std::string jsonHexArray(std::span<const std::uint8_t> bytes) {
    std::string text = hexList(bytes, "\"%02X\", ");
    return "[" + text.substr(0, text.size() - 2) + "]";
}

std::string spaced(std::span<const std::uint8_t> bytes) {
    std::string text = hexList(bytes, "%02X ");
    text.pop_back();
    return text;
}

}  // namespace

std::string devicesJson(const BatchDevices& devices) {
    const RecordedPanels& panels = devices.panels;
    std::string connected;
    for (const PanelName& entry : kPanelNames) {
        if (panels.isVisible(entry.panel)) {
            connected += (connected.empty() ? "\"" : ", \"") + std::string(entry.name) + "\"";
        }
    }
    return "{\"led8255\": " + jsonHexArray(panels.led8255()) +
           ", \"led8279\": " + jsonHexArray(panels.led8279()) +
           formatText(", \"stepper\": \"%02X\", \"dac\": \"%02X\", \"speakerHz\": %d",
                      panels.coils(), panels.dac(), devices.sound.frequency) +
           ", \"terminal\": " + jsonBytes(devices.terminalText()) + ", \"connected\": [" +
           connected + "]}";
}

std::vector<std::string> deviceLines(const BatchDevices& devices) {
    const RecordedPanels& panels = devices.panels;
    std::vector<std::string> lines;
    for (const PanelName& entry : kPanelNames) {
        if (!panels.isVisible(entry.panel)) {
            continue;
        }
        std::string state;
        switch (entry.panel) {
            case Panel::Scope:
                state = formatText("DAC %02X", panels.dac());
                break;
            case Panel::Stepper:
                state = formatText("coils %02X", panels.coils());
                break;
            case Panel::Led8255:
                state = spaced(panels.led8255());
                break;
            case Panel::Led8279:
                state = spaced(panels.led8279());
                break;
            case Panel::Speaker:
                state = devices.sound.frequency != 0 ? formatText("%d Hz", devices.sound.frequency)
                                                     : std::string("silent");
                break;
        }
        lines.push_back(std::string(entry.name) + ": " + state);
    }
    if (!devices.terminalText().empty()) {
        lines.push_back("terminal: " + devices.terminalText());
    }
    return lines;
}

}  // namespace tarvix
