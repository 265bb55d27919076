#pragma once
// The JavaScript that every expression engine runs first: the helpers, the
// row object and the Date without a time zone (see RowExpressions.h).
#include <QString>

namespace generate {

// A function of (global, native) that installs the helpers on `global` and
// returns the engine's tools: failed, dateBox, lastError, guard and row.
QString ExpressionHelperSource();

}  // namespace generate
