#pragma once
#include <QByteArray>
#include <QString>

#include <optional>

// The options file "KovaOpt.dat" in the program directory: one 236-byte record,
// little-endian.
//   offset   0, 4 bytes:   most rows a result grid shows, signed 32-bit
//   offset   4, 100 bytes: path of the SQL*Plus program, code page 932,
//                          left-aligned, padded with blanks (0x20)
//   offset 104, 132 bytes: zero bytes, ignored when read
namespace OptionsFile {

inline constexpr int RecordLength = 236;
inline constexpr int PathOffset = 4;
inline constexpr int PathLength = 100;

struct OptionsRecord {
    qint32 maxDisplayRows = 0;
    // Always exactly PathLength characters, blank-padded.
    QString sqlPlusPath;
};

// basKovaData::AppDirectory + "KovaOpt.dat".
QString FileName();

// The record in the file at `path`; nullopt when there is no file.
// Whatever the content, a record comes back: only the first RecordLength bytes
// are looked at, missing bytes count as zero for the row count (fewer than 4
// bytes give 0) and as blanks for the path, NUL characters in the path become
// blanks and bytes that are not code page 932 become U+FFFD. A file that exists
// but cannot be read reads like an empty file: 0 rows and a blank path.
std::optional<OptionsRecord> Read(const QString& path);

// The record's bytes. A path longer than PathLength bytes in code page 932 is
// cut there; a double-byte character that would be cut in two is left out and
// its first byte becomes a blank.
QByteArray Encode(const OptionsRecord& record);

// Writes the record in place of the file, atomically, with the permissions of
// an ordinary file (owner read/write, group and others read).
bool Write(const QString& path, const OptionsRecord& record, QString* error);

}  // namespace OptionsFile
