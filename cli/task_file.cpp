#include "cli/task_file.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "common/format.h"
#include "common/source_limits.h"
#include "common/text.h"

namespace tarvix {

namespace {

using nlohmann::json;

constexpr std::uintmax_t kMaxTaskBytes = std::uintmax_t{1024} * 1024;
constexpr double kMaxTimeoutSeconds = 3600;

// A refusal on its way out of the reader; it never leaves this file.
struct Refusal {
    std::string text;
};

[[noreturn]] void refuse(const std::string& path, const std::string& problem) {
    throw Refusal{path.empty() ? problem : path + ": " + problem};
}

std::string member(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string element(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

// A value as the file writes it, cut short: enough to find it.
std::string shown(const json& value) {
    std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

std::string quotedText(std::string_view key) {
    return shown(json(key));
}

const json::object_t& object(const json& value, const std::string& path) {
    if (!value.is_object()) {
        refuse(path, "needs an object {...}, not " + shown(value));
    }
    return value.get_ref<const json::object_t&>();
}

// The keys a test shares with `defaults`.
constexpr std::array<std::string_view, 9> kRunKeys = {
    "points", "setup", "keys", "keyInterval", "hwtimer", "maxSteps", "clock", "timeout", "break"};

// An object whose keys are all among `keys`, or among the run keys when `runKeys`.
const json::object_t& object(const json& value, const std::string& path,
                             std::initializer_list<std::string_view> keys, bool runKeys = false) {
    const json::object_t& members = object(value, path);
    for (const auto& [key, ignored] : members) {
        if (std::find(keys.begin(), keys.end(), key) == keys.end() &&
            (!runKeys || std::find(kRunKeys.begin(), kRunKeys.end(), key) == kRunKeys.end())) {
            refuse(path, "unknown key " + quotedText(key));
        }
    }
    return members;
}

std::uint64_t positive(const json& value, const std::string& path, std::uint64_t max) {
    if (!value.is_number_unsigned() || value.get<std::uint64_t>() == 0 ||
        value.get<std::uint64_t>() > max) {
        refuse(path,
               "needs a whole number from 1 to " + std::to_string(max) + ", not " + shown(value));
    }
    return value.get<std::uint64_t>();
}

double positiveNumber(const json& value, const std::string& path, double min, double max) {
    if (!value.is_number() || !(value.get<double>() >= min) || value.get<double>() > max) {
        refuse(path, "needs a number from " + formatText("%g", min) + " to " +
                         formatText("%g", max) + ", not " + shown(value));
    }
    return value.get<double>();
}

const std::string& text(const json& value, const std::string& path) {
    if (!value.is_string()) {
        refuse(path, "needs a text \"...\", not " + shown(value));
    }
    return value.get_ref<const std::string&>();
}

bool boolean(const json& value, const std::string& path) {
    if (value.is_boolean()) {
        return value.get<bool>();
    }
    if (value.is_number_unsigned() && value.get<std::uint64_t>() <= 1) {
        return value.get<std::uint64_t>() == 1;
    }
    refuse(path, "needs true or false (or 1 or 0), not " + shown(value));
}

unsigned hexValue(const json& value, const std::string& path, unsigned max) {
    const std::optional<unsigned> number = parseHexValue(text(value, path), max);
    if (!number) {
        refuse(path, formatText("needs hexadecimal digits up to %X, not ", max) + shown(value));
    }
    return *number;
}

std::vector<MemoryBytes> memoryBytes(const json& value, const std::string& path) {
    std::vector<MemoryBytes> memory;
    for (const auto& [address, bytes] : object(value, path)) {
        std::optional<MemoryBytes> entry = parseMemoryBytes(address, text(bytes, path));
        if (!entry) {
            refuse(path, quotedText(address) + ": " + shown(bytes) +
                             " needs an address and bytes in hexadecimal, all within 1000-1FFF");
        }
        memory.push_back(std::move(*entry));
    }
    return memory;
}

KitSetup setup(const json& value, const std::string& path) {
    KitSetup kitSetup;
    for (const auto& [key, item] : object(value, path, {"memory", "registers"})) {
        const std::string at = member(path, key);
        if (key == "memory") {
            kitSetup.memory = memoryBytes(item, at);
            continue;
        }
        for (const auto& [name, word] : object(item, at)) {
            const std::optional<Reg16> reg = parseSetupRegister(name);
            if (!reg) {
                refuse(at, quotedText(name) + " is none of AX, BX, CX, DX, SI, DI, BP, SP");
            }
            kitSetup.registers.push_back(
                {*reg, static_cast<std::uint16_t>(hexValue(word, member(at, name), 0xFFFF))});
        }
    }
    return kitSetup;
}

std::vector<int> lines(const json& value, const std::string& path) {
    if (!value.is_array()) {
        refuse(path, "needs a list of line numbers [...], not " + shown(value));
    }
    std::vector<int> numbers;
    for (std::size_t i = 0; i < value.size(); ++i) {
        numbers.push_back(static_cast<int>(
            positive(value[i], element(path, i), static_cast<std::uint64_t>(kMaxSourceLines))));
    }
    return numbers;
}

void runKey(const std::string& key, const json& value, const std::string& path, GradeTest& test) {
    RunRequest& run = test.run;
    constexpr std::uint64_t kAny = ~std::uint64_t{0};
    if (key == "points") {
        test.points = positiveNumber(value, path, 0, 1e6);
    } else if (key == "setup") {
        run.setup = setup(value, path);
    } else if (key == "keys") {
        run.keys = text(value, path);
    } else if (key == "keyInterval") {
        run.keyInterval = positive(value, path, kAny);
    } else if (key == "hwtimer") {
        run.hwTimer = boolean(value, path);
    } else if (key == "maxSteps") {
        run.maxSteps = positive(value, path, kAny);
    } else if (key == "clock") {
        run.megahertz = static_cast<int>(
            positive(value, path, static_cast<std::uint64_t>(KitClock::kMaxMegahertz)));
    } else if (key == "timeout") {
        run.timeoutSeconds = positiveNumber(value, path, 0.001, kMaxTimeoutSeconds);
    } else {
        run.breakpoints = lines(value, path);
    }
}

void expectRegisters(const json& value, const std::string& path, Expectation& expect) {
    static const std::vector<std::string_view> kNames = {"AX", "BX", "CX", "DX", "SI",
                                                         "DI", "BP", "SP", "IP", "FLAGS"};
    for (const auto& [name, word] : object(value, path)) {
        const std::string upper = toUpper(name);
        if (std::find(kNames.begin(), kNames.end(), upper) == kNames.end()) {
            refuse(path,
                   quotedText(name) + " is none of AX, BX, CX, DX, SI, DI, BP, SP, IP, FLAGS");
        }
        expect.registers.emplace_back(
            upper, static_cast<std::uint16_t>(hexValue(word, member(path, name), 0xFFFF)));
    }
}

void expectFlags(const json& value, const std::string& path, Expectation& expect) {
    for (const auto& [name, state] : object(value, path)) {
        const std::string upper = toUpper(name);
        const auto& names = flagNames();
        if (std::none_of(names.begin(), names.end(),
                         [&](const FlagName& flag) { return flag.name == upper; })) {
            refuse(path, quotedText(name) + " is none of CF, PF, AF, ZF, SF, TF, IF, DF, OF");
        }
        expect.flags.emplace_back(upper, boolean(state, member(path, name)));
    }
}

// A display's digits: a segment byte or null (not looked at) for each.
void expectDigits(const json& value, const std::string& path, std::string_view key,
                  std::size_t digits, Expectation& expect) {
    if (!value.is_array() || value.size() != digits) {
        refuse(path, "needs a list of " + std::to_string(digits) +
                         " segment bytes such as \"3F\" or null, not " + shown(value));
    }
    for (std::size_t i = 0; i < digits; ++i) {
        if (!value[i].is_null()) {
            const unsigned byte = hexValue(value[i], element(path, i), 0xFF);
            expect.devices.push_back({element(std::string(key), i),
                                      "/" + std::string(key) + "/" + std::to_string(i),
                                      formatText("%02X", byte)});
        }
    }
}

// The names of the connected devices, in one order whatever the order given.
void expectConnected(const json& value, const std::string& path, Expectation& expect) {
    static const std::vector<std::string> kDevices = {"led55", "led79", "scope", "speaker",
                                                      "stepper"};
    if (!value.is_array()) {
        refuse(path, "needs a list of device names [...], not " + shown(value));
    }
    std::vector<std::string> names;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string name = toLower(text(value[i], element(path, i)));
        if (std::find(kDevices.begin(), kDevices.end(), name) == kDevices.end()) {
            refuse(element(path, i), quotedText(name) +
                                         " is none of led55, led79, scope, speaker, "
                                         "stepper");
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::string list;
    for (const std::string& name : names) {
        list += (list.empty() ? "" : ", ") + name;
    }
    expect.devices.push_back({"connected", "/connected", "[" + list + "]"});
}

void expectDevices(const json& value, const std::string& path, Expectation& expect) {
    const auto& members =
        object(value, path,
               {"led8255", "led8279", "stepper", "dac", "speakerHz", "terminal", "connected"});
    for (const auto& [key, item] : members) {
        const std::string at = member(path, key);
        if (key == "led8255" || key == "led8279") {
            expectDigits(item, at, key, key == "led8255" ? 8 : 16, expect);
        } else if (key == "stepper" || key == "dac") {
            expect.devices.push_back(
                {key, "/" + key, formatText("%02X", hexValue(item, at, 0xFF))});
        } else if (key == "speakerHz") {
            if (!item.is_number_unsigned()) {
                refuse(at, "needs a whole number of hertz, 0 for silence, not " + shown(item));
            }
            expect.devices.push_back({key, "/" + key, std::to_string(item.get<std::uint64_t>())});
        } else if (key == "terminal") {
            expect.devices.push_back({key, "/" + key, text(item, at), true});
        } else {
            expectConnected(item, at, expect);
        }
    }
}

Expectation expectation(const json& value, const std::string& path) {
    Expectation expect;
    const auto& members = object(
        value, path, {"status", "registers", "flags", "memory", "devices", "pane", "maxCycles"});
    for (const auto& [key, item] : members) {
        const std::string at = member(path, key);
        if (key == "status") {
            const std::string& status = text(item, at);
            if (status != "halted" && status != "error" && status != "limit" &&
                status != "breakpoint") {
                refuse(at, shown(item) + " is none of halted, error, limit, breakpoint");
            }
            expect.status = status;
        } else if (key == "registers") {
            expectRegisters(item, at, expect);
        } else if (key == "flags") {
            expectFlags(item, at, expect);
        } else if (key == "memory") {
            expect.memory = memoryBytes(item, at);
        } else if (key == "devices") {
            expectDevices(item, at, expect);
        } else if (key == "pane") {
            try {
                std::regex(text(item, at));
            } catch (const std::regex_error&) {
                refuse(at, shown(item) + " is no regular expression");
            }
            expect.pane = text(item, at);
        } else {
            expect.maxCycles = positive(item, at, ~std::uint64_t{0});
        }
    }
    return expect;
}

GradeTest test(const json& value, const std::string& path, const GradeTest& defaults) {
    const auto& members = object(value, path, {"name", "expect"}, true);
    GradeTest graded = defaults;
    if (!value.contains("name") || !value.contains("expect")) {
        refuse(path, value.contains("name") ? "needs an \"expect\"" : "needs a \"name\"");
    }
    for (const auto& [key, item] : members) {
        const std::string at = member(path, key);
        if (key == "name") {
            graded.name = text(item, at);
            if (trim(graded.name).empty()) {
                refuse(at, "needs a name that is not empty");
            }
        } else if (key == "expect") {
            graded.expect = expectation(item, at);
        } else {
            runKey(key, item, at, graded);
        }
    }
    return graded;
}

GradeTask task(const json& root, const std::string& fallbackTitle) {
    GradeTask graded;
    graded.title = fallbackTitle;
    GradeTest defaults;
    defaults.run.maxSteps = kDefaultMaxSteps;
    defaults.run.timeoutSeconds = kDefaultTimeoutSeconds;
    const auto& members = object(root, "", {"title", "defaults", "tests"});
    if (members.find("title") != members.end()) {
        graded.title = text(members.at("title"), "title");
    }
    if (members.find("defaults") != members.end()) {
        for (const auto& [key, item] : object(members.at("defaults"), "defaults", {}, true)) {
            runKey(key, item, member("defaults", key), defaults);
        }
    }
    const auto tests = members.find("tests");
    if (tests == members.end() || !tests->second.is_array() || tests->second.empty()) {
        refuse("tests", "needs a list of at least one test [{...}]");
    }
    for (std::size_t i = 0; i < tests->second.size(); ++i) {
        const std::string at = element("tests", i);
        graded.tests.push_back(test(tests->second[i], at, defaults));
        for (std::size_t k = 0; k < i; ++k) {
            if (graded.tests[k].name == graded.tests[i].name) {
                refuse(member(at, "name"), quotedText(graded.tests[i].name) + " is the name of " +
                                               element("tests", k) + " too");
            }
        }
    }
    return graded;
}

}  // namespace

double GradeTask::maxPoints() const {
    double sum = 0;
    for (const GradeTest& graded : tests) {
        sum += graded.points;
    }
    return sum;
}

const std::vector<FlagName>& flagNames() {
    static const std::vector<FlagName> kFlags = {
        {"CF", kCarryFlag},     {"PF", kParityFlag},    {"AF", kAuxCarryFlag},
        {"ZF", kZeroFlag},      {"SF", kSignFlag},      {"TF", kTrapFlag},
        {"IF", kInterruptFlag}, {"DF", kDirectionFlag}, {"OF", kOverflowFlag}};
    return kFlags;
}

std::optional<GradeTask> parseTask(std::string_view text, const std::string& title,
                                   std::string& problem) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::exception& error) {
        // A syntax error, or a number too large for any value. The text begins with the
        // library's own tag in brackets, of no use to a teacher, and may quote a whole line.
        const std::string what = error.what();
        problem = "no JSON: " + what.substr(what.find(']') + 2, 200);
        return std::nullopt;
    }
    try {
        return task(root, title);
    } catch (const Refusal& refusal) {
        problem = refusal.text;
    }
    return std::nullopt;
}

std::optional<GradeTask> readTaskFile(const std::string& path, std::string& problem) {
    std::error_code error;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, error) ||
        std::filesystem::file_size(file, error) > kMaxTaskBytes) {
        problem = "cannot read the task: missing, not a regular file or over 1 MiB";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    if (in.is_open()) {
        content << in.rdbuf();
    }
    if (!in.is_open() || in.bad()) {
        problem = "cannot read the task";
        return std::nullopt;
    }
    return parseTask(content.str(), file.stem().string(), problem);
}

}  // namespace tarvix
