#pragma once
// Lengths in UTF-8, the byte form a server counts in.
#include <QChar>

namespace basKovaData {

// The bytes of one character (a code point) in UTF-8.
constexpr int Utf8Bytes(char32_t code)
{
    return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

// The bytes of one UTF-16 unit: a surrogate is half of a four-byte character.
constexpr int Utf8Bytes(QChar unit)
{
    return unit.isSurrogate() ? 2 : Utf8Bytes(char32_t(unit.unicode()));
}

}  // namespace basKovaData
