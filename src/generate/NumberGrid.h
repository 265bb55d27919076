#pragma once
// A random number rule's values as the column keeps them.
#include <cmath>

namespace basKovaData {
struct ColumnRule;
}

namespace generate {

// The places a random number rule's values take in the column. A column that
// keeps fewer decimals than the rule's step gives (NUMBER(4,1) and a step of
// 0.01) rounds neighbouring values together: its values are then the
// column's own steps between the rule's ends as the column rounds them, an
// end that rounds past the rule's range taken one step in (0 to 0.96 gives
// 0 to 0.9, never 1). A step as wide as the column's or wider keeps every
// value apart.
struct NumberGrid {
    double first = 0;
    double step = 0;
    double count = 0;
    int scale = 0;       // the column's decimals, when its own steps are used
    bool kept = false;   // true: the column's own steps

    double At(double k) const
    {
        if (!kept)
            return first + k * step;
        // Whole steps divided once, so that 0.3 stays 0.3.
        const double whole = first + k;
        return scale >= 0 ? whole / std::pow(10.0, scale) : whole * std::pow(10.0, -scale);
    }
};

NumberGrid GridOf(const basKovaData::ColumnRule& rule);

}  // namespace generate
