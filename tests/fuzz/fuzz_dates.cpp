// Date and number texts: the value boxes' number reader and numeric test, the
// date texts of the rule editors, and the engine's TO_DATE/TO_CHAR format
// models. The input is a text, then optionally "\n" and a format model.
#include "FuzzCheck.h"
#include "engine/oracle/OracleDateFormat.h"
#include "shared/DateText.h"
#include "shared/NumberRead.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

DateParts FixedNow()
{
    return DateParts{2024, 2, 29, 12, 34, 56};
}

void Numbers(const QString& text)
{
    const double value = basKovaData::ReadNumber(text);
    FuzzExpect(std::isfinite(value), "ReadNumber gives a finite number");
    if (basKovaData::IsNumericText(text) && text.trimmed() == text && !text.isEmpty()) {
        // A numeric text reads as what it says, whatever the reader stops at.
        bool ok = false;
        const double whole = text.toDouble(&ok);
        FuzzExpect(!ok || !std::isfinite(whole) || whole == value, "a numeric text reads as its value");
    }
}

void DateTexts(const QString& text)
{
    const QDateTime date = basKovaData::DateFromText(text);
    FuzzExpect(date.isValid(), "DateFromText gives a valid date");
    const QString written = basKovaData::DateText15(date);
    FuzzExpect(written.size() == 15, "DateText15 gives 15 characters");
    if (basKovaData::IsDateText(text)) {
        QString padded = basKovaData::PadDateText(text);
        padded[8] = u' ';  // the separator is not looked at
        FuzzExpect(written == padded, "a date text reads back as written");
    }
}

void FormatModels(std::string_view text, std::string_view format)
{
    DateParts stored;
    if (ParseStoredDate(text, &stored))
        FuzzExpect(StoredDateText(stored) == text, "a stored date reads back as written");

    DateParts date;
    const std::string error = ParseDateByFormat(text, format, FixedNow(), &date);
    if (error.empty()) {
        FuzzExpect(IsValidDate(date), "TO_DATE gives a valid date");
        (void)FormatDateByModel(date, format);
        char out[StoredDateLength];
        WriteStoredDate(date, out);
        DateParts again;
        FuzzExpect(ParseStoredDate(std::string_view(out, StoredDateLength), &again), "the stored form reads back");
    } else {
        FuzzExpect(error.rfind("ORA-", 0) == 0, "TO_DATE refuses with an Oracle message");
    }
    DateParts lazy;
    FuzzExpect(ParseDateByFormat(text, format, &FixedNow, &lazy) == error, "both TO_DATE forms agree");
    (void)FormatDateByModel(FixedNow(), format);
    (void)FormatDateByModel(DateParts{1, 1, 1, 0, 0, 0}, format);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string_view text = input.substr(0, newline);
    const std::string_view format = newline == std::string_view::npos ? DefaultDateFormat : input.substr(newline + 1);

    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    Numbers(qtext);
    DateTexts(qtext);
    FormatModels(text, format);
    return 0;
}
