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

// floor(((max - min) + unit) / unit * r) * unit for a fresh draw r: the offset
// to add to `min` for a random value on the grid min, min + unit, ... . A unit
// of 0 gives the offset 0 (the draw is still taken).
double RandomSteps(double min, double max, double unit);

}  // namespace basKovaData
