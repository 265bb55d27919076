#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One saved connection: the service name, user name and password of a login.
struct ConnectionRecord {
    QString service;
    QString user;
    QString password;

    bool operator==(const ConnectionRecord&) const = default;
};

// The connection file "KovaData.dat" in the program directory: fixed 60-byte
// records and nothing else. Each record holds the service name, the user name
// and the password, each 20 bytes of code page 932 text, left-aligned and
// padded with blanks (0x20).
namespace ConnectionFile {

inline constexpr int RecordLength = 60;
inline constexpr int FieldLength = 20;
inline constexpr int MaxRecords = 49;

// basKovaData::AppDirectory + "KovaData.dat".
QString FileName();

// Removes blanks and NUL characters at both ends (the file pads with blanks;
// a field cut inside a double-byte character ends in a NUL after decoding).
QString TrimField(const QString& text);

// The records of the file in order, at most MaxRecords (anything after them is
// ignored), each field decoded and trimmed with TrimField. Bytes that are not
// code page 932 come back as U+FFFD; no content makes this fail.
// - No file at `path`: nullopt.
// - A file whose length is not a multiple of RecordLength: the last, partial
//   record still counts as a record; its missing bytes read as blanks.
// - A file that exists but cannot be read (no permission, a directory): an
//   empty list, the same as an empty file. The program then starts with no
//   saved connections and rewrites the file at the next login.
std::optional<QList<ConnectionRecord>> Read(const QString& path);

// The text in code page 932, cut to FieldLength bytes and padded with blanks.
// A double-byte character that would be cut in two is left out and its first
// byte becomes a blank, so the field never ends in half a character.
QByteArray EncodeField(const QString& text);

// Writes all `records` (the caller keeps them to MaxRecords) in place of the
// file, atomically, readable and writable by the owner only since the file
// holds passwords. No records give an empty file.
bool Write(const QString& path, const QList<ConnectionRecord>& records, QString* error);

}  // namespace ConnectionFile
