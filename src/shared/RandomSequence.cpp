#include "shared/RandomSequence.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace basKovaData {

namespace {

constexpr std::uint32_t InitialState = 0x50000;
constexpr std::uint64_t Multiplier = 1140671485;
constexpr std::uint64_t Increment = 12820163;
constexpr std::uint32_t StateMask = 0xFFFFFF;  // 24 bits
constexpr float StateRange = 16777216.0f;      // 2^24

// One sequence for the whole program; generation runs on one thread at a time.
std::uint32_t g_state = InitialState;

}  // namespace

float NextRandom()
{
    g_state = static_cast<std::uint32_t>((g_state * Multiplier + Increment) & StateMask);
    // Every 24-bit state is exact in a float, so the value stays below 1.
    return static_cast<float>(g_state) / StateRange;
}

void ResetRandom()
{
    g_state = InitialState;
}

unsigned RandomPosition()
{
    return g_state;
}

void SetRandomPosition(unsigned position)
{
    g_state = position & StateMask;
}

double RandomSteps(double min, double max, double unit)
{
    // A zero step has no grid; the draw is still taken so that the sequence
    // advances the same way for every column.
    return RandomStepsOf(min, max, unit, static_cast<double>(NextRandom()));
}

double RandomStepsOf(double min, double max, double unit, double r)
{
    if (unit == 0.0)
        return 0.0;
    if (!(unit > 0.0))
        return std::floor(((max - min) + unit) / unit * r) * unit;
    const double count = RandomStepCount(min, max, unit);
    return std::min(std::floor(count * r), std::max(count - 1.0, 0.0)) * unit;
}

double RandomStepCount(double min, double max, double unit)
{
    if (!(unit > 0.0))
        return 0.0;
    // Steps a hair short of a whole number (0.3 / 0.1) are that number.
    const double steps = (max - min) / unit;
    if (steps < 0.0)
        return 0.0;
    const double nearest = std::round(steps);
    return (std::abs(steps - nearest) <= 1e-9 * std::max(1.0, steps) ? nearest : std::floor(steps)) + 1.0;
}

}  // namespace basKovaData
