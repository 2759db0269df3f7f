// The Delay subroutine for a delay in milliseconds at a clock in MHz: one counted LOOP when
// the cycle budget fits CX, else an outer BX loop around it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvix {

// Delays run from 1 to one less than this many milliseconds.
inline constexpr std::uint64_t kDelayLimitMs = 100000;
// Characters the two fields take: one less than the digits of the limit, and two for MHz.
inline constexpr int kDelayFieldDigits = 5;
inline constexpr int kClockFieldDigits = 2;
inline constexpr const char* kDefaultClockText = "5";
// The most the two-digit clock field holds.
inline constexpr std::uint64_t kMaxClockMhz = 99;

// Cycles the single-loop routine burns with CX = FFFFH, and one outer pass of the two-loop one.
inline constexpr std::uint64_t kSingleLoopMaxCycles = 17 * 0xFFFFull + 27;
inline constexpr std::uint64_t kOuterPassMaxCycles = 17 * 0xFFFFull + 10;

struct DelayLoops {
    bool twoLoops = false;
    std::uint64_t outerCount = 1;  // BX of the two-loop routine; 1 for the single loop
    std::uint64_t innerCount = 0;  // CX
    std::uint64_t actualCycles = 0;
};

// The loop counts that come nearest a budget of at least 1000 cycles.
DelayLoops planDelayLoops(std::uint64_t totalCycles);

struct DelayRoutine {
    DelayLoops loops;
    std::uint64_t totalCycles = 0;
    std::uint64_t errorMicroseconds = 0;
    std::string text;  // CR LF lines; the ± and µ signs are single Latin-1 bytes
};

// A field of digits as a number; an empty field reads as 0.
std::uint64_t readDigitField(std::string_view digits);

bool isValidDelay(std::uint64_t delayMs);
bool isValidClock(std::uint64_t clockMhz);

// "Enter a number between 1 and 100000".
std::string delayRangeMessage();

// The routine for valid input; nothing when either value is out of range. The budget is
// computed in 64 bits, so the largest delay at the fastest clock still gets an exact routine.
std::optional<DelayRoutine> makeDelayRoutine(std::uint64_t delayMs, std::uint64_t clockMhz);

}  // namespace tarvix
