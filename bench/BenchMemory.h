#pragma once
// Resident memory of the running benchmark, for the figures every benchmark prints.
#include <QByteArray>
#include <QFile>
#include <QList>

// Resident set size in KiB (0 when /proc is not there).
inline long CurrentRssKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
}
