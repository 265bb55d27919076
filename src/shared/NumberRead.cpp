#include "shared/NumberRead.h"

#include <cfloat>
#include <charconv>
#include <string>
#include <system_error>

namespace basKovaData {

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// The parts of the leading number of a text, blanks already left out.
struct NumberParts {
    bool negative = false;
    std::string mantissa;   // digits with at most one '.', no sign
    std::string exponent;   // sign (optional) and digits, empty when none
    bool hasDigit = false;  // the mantissa holds at least one digit
};

NumberParts ScanNumber(const QString& text)
{
    enum class Stage { Start, Integer, Fraction, ExponentStart, ExponentDigits };
    NumberParts parts;
    Stage stage = Stage::Start;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (IsBlank(c))
            continue;
        const char ascii = static_cast<char>(c);  // only used once c is ASCII
        if (stage == Stage::Start && (c == u'+' || c == u'-')) {
            parts.negative = c == u'-';
            stage = Stage::Integer;
        } else if ((stage == Stage::Start || stage == Stage::Integer || stage == Stage::Fraction)
                   && IsDigit(c)) {
            parts.mantissa.push_back(ascii);
            parts.hasDigit = true;
            if (stage == Stage::Start)
                stage = Stage::Integer;
        } else if ((stage == Stage::Start || stage == Stage::Integer) && c == u'.') {
            parts.mantissa.push_back('.');
            stage = Stage::Fraction;
        } else if ((stage == Stage::Integer || stage == Stage::Fraction) && parts.hasDigit
                   && (c == u'e' || c == u'E')) {
            stage = Stage::ExponentStart;
        } else if (stage == Stage::ExponentStart && parts.exponent.empty()
                   && (c == u'+' || c == u'-')) {
            parts.exponent.push_back(ascii);
        } else if ((stage == Stage::ExponentStart || stage == Stage::ExponentDigits)
                   && IsDigit(c)) {
            parts.exponent.push_back(ascii);
            stage = Stage::ExponentDigits;
        } else {
            break;
        }
    }
    // An "e" without digits after it is not part of the number.
    if (stage != Stage::ExponentDigits)
        parts.exponent.clear();
    return parts;
}

// Rough power of ten of the number (position of its first significant digit
// plus the exponent); only its sign matters, to tell overflow from underflow.
long long DecimalMagnitude(const NumberParts& parts)
{
    long long position = 0;
    bool seenPoint = false;
    long long firstSignificant = 0;
    bool found = false;
    long long integerDigits = 0;
    for (const char c : parts.mantissa) {
        if (c == '.') {
            seenPoint = true;
            continue;
        }
        if (!seenPoint)
            ++integerDigits;
        if (!found && c != '0') {
            found = true;
            firstSignificant = position;
        }
        ++position;
    }
    if (!found)
        return 0;
    long long exponent = 0;
    bool negativeExponent = false;
    for (const char c : parts.exponent) {
        if (c == '-')
            negativeExponent = true;
        else if (c != '+' && exponent < 1'000'000'000LL)
            exponent = exponent * 10 + (c - '0');
    }
    if (negativeExponent)
        exponent = -exponent;
    return integerDigits - firstSignificant - 1 + exponent;
}

}  // namespace

double ReadNumber(const QString& text)
{
    const NumberParts parts = ScanNumber(text);
    if (!parts.hasDigit)
        return 0.0;
    std::string buffer = parts.mantissa;
    if (!parts.exponent.empty())
        buffer += 'e' + parts.exponent;
    double value = 0.0;
    const char* first = buffer.data();
    const char* last = first + buffer.size();
    const std::from_chars_result result =
        std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = DecimalMagnitude(parts) > 0 ? DBL_MAX : 0.0;
    else if (result.ec != std::errc())
        value = 0.0;
    return parts.negative ? -value : value;
}

bool IsNumericText(const QString& text)
{
    const auto isSpace = [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
    };
    const qsizetype size = text.size();
    qsizetype i = 0;
    const auto at = [&](qsizetype k) { return k < size ? text.at(k).unicode() : char16_t(0); };
    const auto skipSpaces = [&] {
        while (i < size && isSpace(at(i)))
            ++i;
    };
    const auto skipDigits = [&] {
        const qsizetype start = i;
        while (i < size && IsDigit(at(i)))
            ++i;
        return i - start;
    };

    skipSpaces();
    if (at(i) == u'+' || at(i) == u'-')
        ++i;
    skipSpaces();
    const qsizetype integerDigits = skipDigits();
    qsizetype fractionDigits = 0;
    if (at(i) == u'.') {
        ++i;
        fractionDigits = skipDigits();
    }
    if (integerDigits == 0 && fractionDigits == 0)
        return false;
    if (at(i) == u'e' || at(i) == u'E') {
        ++i;
        if (at(i) == u'+' || at(i) == u'-')
            ++i;
        if (skipDigits() == 0)
            return false;
    }
    skipSpaces();
    return i == size;
}

}  // namespace basKovaData
