// A column's profile from whatever a dictionary's statistics rows hold, then
// made safe to leave the source: the figures always read back as a rule
// file's, and with no values none of the source's values is left.
// Input: a first line "TYPE;HISTOGRAM;NUM_ROWS;NUM_DISTINCT;NUM_NULLS;LOW;HIGH;
// NUM_BUCKETS;SAMPLE_SIZE" (LOW and HIGH in hexadecimal), then one line per
// endpoint "ENDPOINT_NUMBER;ENDPOINT_VALUE;ENDPOINT_ACTUAL_VALUE;REPEAT" (an
// empty value is NULL).
#include "FuzzCheck.h"
#include "generate/ProfilePrivacy.h"
#include "generate/ProfileStatistics.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>

namespace {

using generate::ColumnProfile;

bool ReadsBack(const ColumnProfile& profile)
{
    QString problem;
    if (generate::ReadProfileJson(generate::ProfileJson(profile), {}, &problem))
        return true;
    std::fprintf(stderr, "fuzz: %s\n", qPrintable(problem));
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(u'\n');
    const QStringList head = lines.front().split(u';');
    if (head.size() < 9)
        return 0;
    generate::ColumnStatistics statistics{QStringLiteral("C"),
                                          head[0],
                                          head[3].toDouble(),
                                          head[4].toDouble(),
                                          QByteArray::fromHex(head[5].toLatin1()),
                                          QByteArray::fromHex(head[6].toLatin1()),
                                          head[1],
                                          head[7].toDouble(),
                                          head[8].toDouble()};
    std::vector<generate::HistogramEndpoint> endpoints;
    for (qsizetype i = 1; i < lines.size() && i <= 300; ++i) {
        const QStringList part = lines[i].split(u';');
        if (part.size() < 4)
            continue;
        generate::HistogramEndpoint endpoint;
        endpoint.number = part[0].toDouble();
        if (!part[1].isEmpty())
            endpoint.value = part[1].toDouble();
        endpoint.actual = part[2].isEmpty() ? QString() : part[2];
        endpoint.repeat = part[3].toDouble();
        endpoints.push_back(endpoint);
    }
    const double rows = head[2].toDouble();
    const ColumnProfile profile = generate::ColumnFromStatistics(statistics, endpoints, rows);
    FuzzExpect(ReadsBack(profile), "a profile from statistics reads back");

    generate::TableProfile table;
    table.rows = qint64(std::clamp(rows, 0.0, 1e12));
    table.fromStatistics = true;
    table.columnNames << QStringLiteral("C");
    table.columns.push_back(profile);
    generate::ProfileOptions options;
    options.k = 2;
    options.noValues = true;
    generate::ApplyPrivacy(table, options);
    FuzzExpect(ReadsBack(table.columns.front()), "a profile made safe reads back");
    for (const ColumnProfile::Frequent& made : table.columns.front().frequent)
        for (const ColumnProfile::Frequent& source : profile.frequent)
            FuzzExpect(made.value != source.value, "no source value is left");
    return 0;
}
