#include "tools/delay_routine.h"

#include <algorithm>

#include "common/format.h"
#include "common/messages.h"

namespace tarvix {

namespace {

// The kit's source files are 8-bit Latin-1 text, so the signs in the message formats (kept as
// UTF-8) become one byte each before they reach the editor's buffer.
std::string latin1FromUtf8(std::string_view utf8) {
    std::string latin1;
    latin1.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte == 0xC2 || byte == 0xC3) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[++i]);
            latin1 += static_cast<char>((next & 0x3F) | ((byte & 0x03) << 6));
        } else {
            latin1 += static_cast<char>(byte);
        }
    }
    return latin1;
}

std::uint64_t difference(std::uint64_t a, std::uint64_t b) {
    return a > b ? a - b : b - a;
}

}  // namespace

std::uint64_t readDigitField(std::string_view digits) {
    // Past every limit; a longer run of digits stays there instead of overflowing.
    constexpr std::uint64_t kBeyondAnyField = 1'000'000'000;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min(value * 10 + static_cast<std::uint64_t>(c - '0'), kBeyondAnyField);
    }
    return value;
}

bool isValidDelay(std::uint64_t delayMs) {
    return delayMs >= 1 && delayMs < kDelayLimitMs;
}

bool isValidClock(std::uint64_t clockMhz) {
    return clockMhz >= 1 && clockMhz <= kMaxClockMhz;
}

std::string delayRangeMessage() {
    return "Enter a number between 1 and " + std::to_string(kDelayLimitMs);
}

DelayLoops planDelayLoops(std::uint64_t totalCycles) {
    DelayLoops loops;
    if (totalCycles <= kSingleLoopMaxCycles) {
        loops.innerCount = (totalCycles - 44) / 17 + 1;
        loops.actualCycles = 17 * loops.innerCount + 27;
    } else {
        loops.twoLoops = true;
        loops.outerCount = (totalCycles - 30) / kOuterPassMaxCycles + 1;
        loops.innerCount = ((totalCycles - 30) / loops.outerCount - 10) / 17;
        loops.actualCycles = (17 * loops.innerCount + 10) * loops.outerCount + 30;
    }
    return loops;
}

std::optional<DelayRoutine> makeDelayRoutine(std::uint64_t delayMs, std::uint64_t clockMhz) {
    if (!isValidDelay(delayMs) || !isValidClock(clockMhz)) {
        return std::nullopt;
    }
    DelayRoutine routine;
    routine.totalCycles = clockMhz * delayMs * 1000;
    const DelayLoops& loops = routine.loops = planDelayLoops(routine.totalCycles);
    // Cycles at `clockMhz` cycles per microsecond.
    routine.errorMicroseconds = difference(routine.totalCycles, loops.actualCycles) / clockMhz;

    const auto delay = static_cast<int>(delayMs);
    const auto error = static_cast<int>(routine.errorMicroseconds);
    const auto inner = static_cast<unsigned>(loops.innerCount);
    const std::string format =
        messageText(loops.twoLoops ? MessageId::DelayTwoLoops : MessageId::DelaySingleLoop);
    const std::string utf8 = loops.twoLoops
                                 ? formatText(format.c_str(), delay, error,
                                              static_cast<unsigned>(loops.outerCount), inner)
                                 : formatText(format.c_str(), delay, error, inner);
    routine.text = latin1FromUtf8(utf8);
    return routine;
}

}  // namespace tarvix
