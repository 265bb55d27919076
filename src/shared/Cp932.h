#pragma once
#include <QByteArray>
#include <QString>

namespace basKovaData {

// The byte form of texts (the two data files, LeftBytes, MidBytes) is code
// page 932 (Shift-JIS). These two functions are the only place that converts,
// so another platform can swap the converter.

// A character that code page 932 cannot hold becomes "?" (one "?" for a
// character outside the basic plane, such as an emoji). The conversion is
// glibc's CP932: 0x00-0x7F are ASCII ("\\" and "~" stay as they are), the NEC
// special characters (e.g. U+2460 as 87 40) are included, and a few
// characters map one way only (U+00A5 to 5C, U+203E to 7E, U+301C to 81 60).
QByteArray ToCp932(const QString& text);
// A byte sequence that is not code page 932 becomes U+FFFD per bad byte; a lead
// byte left alone at the end (half of a cut double-byte character) becomes the
// NUL character.
QString FromCp932(const QByteArray& bytes);

// The text in code page 932 with 255 blanks appended; the first n bytes
// (LeftBytes) or n bytes from byte position start, counted from 1 (MidBytes),
// converted back to text. A NUL character at the end of the result (what is
// left of a double-byte character cut in two) is replaced by a blank.
QString LeftBytes(const QString& text, int n);
QString MidBytes(const QString& text, int start, int n);

}  // namespace basKovaData
