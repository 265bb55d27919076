#pragma once
// The connection file's bytes and the permission bits of the program's files,
// for the login and session tests.
#include "session/ConnectionFile.h"

#include <QtTest>

#include <sys/stat.h>

namespace kovatest {

using Records = QList<ConnectionRecord>;

inline ConnectionRecord Rec(const char* service, const char* user, const char* password)
{
    return {QString::fromUtf8(service), QString::fromUtf8(user), QString::fromUtf8(password)};
}

// `bytes` followed by blanks up to `width` bytes.
inline QByteArray Padded(const QByteArray& bytes, int width = 20)
{
    return bytes + QByteArray(width - bytes.size(), ' ');
}

// The connection file holding `records` of plain ASCII names.
inline QByteArray ConnectionBytes(const Records& records)
{
    QByteArray bytes;
    for (const ConnectionRecord& r : records)
        bytes += Padded(r.service.toLatin1()) + Padded(r.user.toLatin1()) + Padded(r.password.toLatin1());
    return bytes;
}

// Records "S01"/"U01"/"P01", "S02"/... numbered from `first` to `last`.
inline Records Numbered(int first, int last)
{
    Records records;
    for (int i = first; i <= last; ++i) {
        const QString n = QString::number(i).rightJustified(2, QLatin1Char('0'));
        records.append({QLatin1Char('S') + n, QLatin1Char('U') + n, QLatin1Char('P') + n});
    }
    return records;
}

// The file's permission bits as the system reports them; -1 without a file.
inline int ModeBits(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

}  // namespace kovatest
