#include "cli/expectations.h"

#include <algorithm>
#include <regex>

#include <nlohmann/json.hpp>

#include "common/format.h"

namespace tarvix {

namespace {

using nlohmann::json;

std::uint16_t registerValue(const RunReport& report, std::string_view name) {
    for (const RegisterValue& reg : report.registers) {
        if (reg.name == name) {
            return reg.value;
        }
    }
    return 0;
}

// What a device value of the report reads as, in the words of DeviceCheck::want.
std::string deviceText(const json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (!value.is_array()) {
        return value.dump();
    }
    std::vector<std::string> names;
    for (const json& name : value) {
        names.push_back(name.get<std::string>());
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const std::string& name : names) {
        list += (list.empty() ? "" : ", ") + name;
    }
    return "[" + list + "]";
}

std::string registersMiss(const Expectation& expect, const RunReport& report) {
    for (const auto& [name, want] : expect.registers) {
        const std::uint16_t have = registerValue(report, name);
        if (have != want) {
            return formatText("%s=%04X, want %04X", name.c_str(), have, want);
        }
    }
    const std::uint16_t flags = registerValue(report, "FLAGS");
    for (const auto& [name, want] : expect.flags) {
        for (const FlagName& flag : flagNames()) {
            const bool have = (flags & flag.mask) != 0;
            if (flag.name == name && have != want) {
                return formatText("%s=%d, want %d", name.c_str(), have, want);
            }
        }
    }
    return {};
}

std::string memoryMiss(const Expectation& expect, const RunReport& report) {
    for (const MemoryBytes& bytes : expect.memory) {
        for (std::size_t i = 0; i < bytes.bytes.size(); ++i) {
            const std::size_t address = bytes.address + i;
            const std::uint8_t have = report.memory[address - kMemoryFirst];
            if (have != bytes.bytes[i]) {
                return formatText("[%04zX]=%02X, want %02X", address, have, bytes.bytes[i]);
            }
        }
    }
    return {};
}

std::string devicesMiss(const Expectation& expect, const RunReport& report) {
    if (expect.devices.empty()) {
        return {};
    }
    const json devices = json::parse(report.devicesJson);
    for (const DeviceCheck& check : expect.devices) {
        const std::string have = deviceText(devices.at(json::json_pointer(check.pointer)));
        if (have != check.want) {
            const auto show = [&](const std::string& text) {
                return check.quoted
                           ? json(text).dump(-1, ' ', false, json::error_handler_t::replace)
                           : text;
            };
            return check.label + "=" + show(have) + ", want " + show(check.want);
        }
    }
    return {};
}

std::string paneMiss(const Expectation& expect, const RunReport& report) {
    if (!expect.pane) {
        return {};
    }
    bool found = false;
    try {
        found = std::regex_search(report.pane, std::regex(*expect.pane));
    } catch (const std::regex_error&) {
        return "pane: the regular expression is too complex to match";
    }
    return found ? std::string() : "pane \"" + report.pane + "\" does not match " + *expect.pane;
}

// How the run ended, unless at HLT or a breakpoint: what is behind most misses.
std::string endingNote(const RunReport& report) {
    if (report.status == "error") {
        return " (" + report.pane + ")";
    }
    if (report.status != "limit") {
        return {};
    }
    if (report.timedOut) {
        return " (stopped by the time limit)";
    }
    return formatText(" (stopped after %llu instructions)",
                      static_cast<unsigned long long>(report.instructions));
}

}  // namespace

std::string firstMiss(const Expectation& expect, const RunReport& report) {
    std::string miss;
    if (expect.status && *expect.status != report.status) {
        miss = "status " + report.status + ", want " + *expect.status;
    }
    for (const auto check : {registersMiss, memoryMiss, devicesMiss, paneMiss}) {
        if (miss.empty()) {
            miss = check(expect, report);
        }
    }
    if (miss.empty() && expect.maxCycles && report.cycles > *expect.maxCycles) {
        miss = formatText("cycles=%llu, want at most %llu",
                          static_cast<unsigned long long>(report.cycles),
                          static_cast<unsigned long long>(*expect.maxCycles));
    }
    return miss.empty() ? miss : miss + endingNote(report);
}

}  // namespace tarvix
