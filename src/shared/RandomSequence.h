#pragma once

namespace basKovaData {

// The program-wide random sequence: a 24-bit linear congruential generator
// giving single-precision values in [0, 1). It is never seeded from the clock,
// so every start of the program draws the same sequence.
float NextRandom();
// Starts the sequence again from its first value.
void ResetRandom();
// Where the sequence stands, to put it back after draws that must not count
// (a preview of rows that are not inserted).
unsigned RandomPosition();
void SetRandomPosition(unsigned position);

// floor(RandomStepCount(min, max, unit) * r) * unit for a fresh draw r: the
// offset to add to `min` for a random value on the grid min, min + unit, ...
// up to max, never beyond it. A unit of 0 gives the offset 0 (the draw is
// still taken).
double RandomSteps(double min, double max, double unit);
// The same for a draw `r` taken elsewhere.
double RandomStepsOf(double min, double max, double unit, double r);
// How many values that grid holds from min to max, a step that does not
// divide the range ending below max (0 to 1 by 0.07 ends at 0.98):
// RandomStepsOf gives unit times 0 up to this count less one. 0 for a unit
// that is not above 0.
double RandomStepCount(double min, double max, double unit);

}  // namespace basKovaData
