#include "login/OptionsInput.h"

#include "shared/NumberRead.h"
#include "shared/Rounding.h"

#include <optional>

namespace basKovaData {

MaxRowsInput ReadMaxRowsInput(const QString& text)
{
    MaxRowsInput input;
    if (!IsNumericText(text)) {
        input.message = QString::fromUtf16(NotANumberMessage);
        return input;
    }
    const double value = ReadNumber(text);
    if (value < 1.0) {
        input.message = QString::fromUtf16(BelowOneMessage);
        return input;
    }
    const std::optional<qint16> rows = RoundToInt16(value);
    if (!rows) {
        input.message = QString::fromUtf16(AboveLargestMessage);
        return input;
    }
    input.rows = *rows;
    return input;
}

}  // namespace basKovaData
