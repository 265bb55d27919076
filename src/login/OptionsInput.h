#pragma once
#include <QString>
#include <QtGlobal>

namespace basKovaData {

// The messages of the options window about the row count.
inline constexpr char16_t NotANumberMessage[] = u"１以上の数値を入力してください。";
inline constexpr char16_t BelowOneMessage[] = u"最大行数は１以上にしてください。";
inline constexpr char16_t AboveLargestMessage[] = u"最大行数は３２７６７以下にしてください。";

struct MaxRowsInput {
    // The row count to apply; meaningful when message is empty.
    qint16 rows = 0;
    // Why the text is refused; empty when it is accepted.
    QString message;

    bool accepted() const { return message.isEmpty(); }
};

// Reads the row count typed into the options window.
// - Not a number (the numeric test of IsNumericText): NotANumberMessage.
// - A value below 1 (0, -5, 0.4, 0.5): BelowOneMessage.
// - Otherwise the value rounded to the nearest integer, halves to the even
//   neighbour (1.5 and 2.5 give 2).
// - A rounded value above 32767, the most the row count holds, is refused with
//   AboveLargestMessage rather than cut down to 32767: the user sees that the
//   number was not taken and can correct it, and nothing can overflow. (A
//   value above 32767 found in the options file is read as 32767.)
MaxRowsInput ReadMaxRowsInput(const QString& text);

}  // namespace basKovaData
