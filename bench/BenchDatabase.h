#pragma once
// A temporary database file of the embedded engine as the program's
// connection, with one table created and its columns loaded as the main
// window loads them.
#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "engine/SqliteEngine.h"
#include "session/OraAccess.h"

#include <QTemporaryDir>

#include <cstdio>

// False, after saying why, when the file cannot be opened.
inline bool OpenBenchTable(const QTemporaryDir& dir, const char* createTable, const QString& table)
{
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    SqliteEngine::createFile(path);
    if (basKovaData::OpenOracleDatabase(path, QStringLiteral("bench/bench"),
                                        QLatin1String(basKovaData::OraSessionProgId))) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return false;
    }
    basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QString::fromLatin1(createTable));
    controls::GridModel grid;
    browser::FillColumnGrid(basKovaData::OraDatabase.get(), grid, table, true);
    return true;
}
