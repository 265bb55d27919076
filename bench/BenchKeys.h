#pragma once
// bench_script keys [children]: a project with foreign keys written as CSV
// by kova-generate: two parents of children/10 rows each, a child of
// `children` rows with a foreign key to each, and a junction table of
// children/2 rows over both parents; first the six-column table of the same
// total rows, for the single-table rate. Then the same project in two jobs.
// Prints rows/s of each and the peak resident memory of the runs.
#include "BenchDatabase.h"

#include "GenerateTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <cstdio>

#include <sys/resource.h>

inline int BenchKeys(qint64 children)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keys.db"));
    SqliteEngine::createFile(path);
    if (basKovaData::OpenOracleDatabase(path, QStringLiteral("bench/bench"),
                                        QLatin1String(basKovaData::OraSessionProgId))) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    for (const char* ddl :
         {"CREATE TABLE SALES (ID NUMBER(12) PRIMARY KEY, KIND VARCHAR2(10), SLIP CHAR(8), SOLD_ON DATE, "
          "STAFF VARCHAR2(40), AMOUNT NUMBER(9,2))",
          "CREATE TABLE CUSTOMER (ID NUMBER(10) PRIMARY KEY, NAME VARCHAR2(40))",
          "CREATE TABLE PRODUCT (ID NUMBER(10) PRIMARY KEY, TITLE VARCHAR2(20), PRICE NUMBER(9,2))",
          "CREATE TABLE ORDERS (ID NUMBER(12) PRIMARY KEY, CUSTOMER_ID NUMBER(10) NOT NULL REFERENCES CUSTOMER, "
          "PRODUCT_ID NUMBER(10) NOT NULL REFERENCES PRODUCT, SOLD_ON DATE, AMOUNT NUMBER(9,2))",
          "CREATE TABLE FAVOURITE (CUSTOMER_ID NUMBER(10) REFERENCES CUSTOMER, PRODUCT_ID NUMBER(10) REFERENCES "
          "PRODUCT, PRIMARY KEY (CUSTOMER_ID, PRODUCT_ID))"})
        basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QString::fromLatin1(ddl));
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    const qint64 parents = std::max<qint64>(children / 10, 1);
    const qint64 total = 2 * parents + children + children / 2;
    const auto project = [&](const QString& name, const QString& tables) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(QStringLiteral("{\"kova-project\": 1, \"seed\": 1, \"tables\": [%1]}").arg(tables).toUtf8());
        return file.fileName();
    };
    const QString single = project(QStringLiteral("single.json"),
                                   QStringLiteral("{\"table\": \"SALES\", \"rules\": \"auto\", \"rows\": %1}").arg(total));
    const QString keys = project(
        QStringLiteral("keys.json"),
        QStringLiteral("{\"table\": \"CUSTOMER\", \"rules\": \"auto\", \"rows\": %1}, "
                       "{\"table\": \"PRODUCT\", \"rules\": \"auto\", \"rows\": %1}, "
                       "{\"table\": \"ORDERS\", \"rules\": \"auto\", \"rows\": %2}, "
                       "{\"table\": \"FAVOURITE\", \"rules\": \"auto\", \"rows\": %3}")
            .arg(parents)
            .arg(children)
            .arg(children / 2));
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/kova-generate");
    std::printf("rows              %lld (parents 2 x %lld, child %lld, junction %lld)\n",
                static_cast<long long>(total), static_cast<long long>(parents), static_cast<long long>(children),
                static_cast<long long>(children / 2));
    double singleRate = 0;
    for (const auto& [label, file, jobs] : {std::tuple{"one table, 1 job ", single, 0},
                                            std::tuple{"foreign keys, 1 job", keys, 0},
                                            std::tuple{"foreign keys, 2 jobs", keys, 2}}) {
        const QString out = dir.filePath(QStringLiteral("out%1").arg(jobs) + QString::fromLatin1(label).left(3));
        QStringList args{QStringLiteral("bench/bench@") + path, file, QStringLiteral("--out"), out,
                         QStringLiteral("--format"), QStringLiteral("csv")};
        if (jobs > 0)
            args << QStringLiteral("--jobs") << QString::number(jobs);
        QString error, text;
        std::optional<kovagenerate::Arguments> parsed = kovagenerate::ParseArguments(args, &error);
        if (!parsed) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        parsed->program = program;
        QTextStream stream(&text);
        QElapsedTimer clock;
        clock.start();
        const int status = kovagenerate::Run(*parsed, stream, stream, false);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        stream.flush();
        if (status != kovagenerate::AllCreated) {
            std::fprintf(stderr, "%s", qPrintable(text));
            return 1;
        }
        const double rate = double(total) / seconds;
        if (singleRate == 0)
            singleRate = rate;
        rusage self{}, jobsUsage{};
        getrusage(RUSAGE_SELF, &self);
        getrusage(RUSAGE_CHILDREN, &jobsUsage);
        std::printf("%-22s %.2f s, %.0f rows/s (%.2f of one table), peak KiB %ld (jobs %ld)\n", label, seconds, rate,
                    rate / singleRate, self.ru_maxrss, jobsUsage.ru_maxrss);
        QDir(out).removeRecursively();
    }
    return 0;
}
