#pragma once
// A query result positioned on its first row. It streams: opening a dynaset on
// a large table reads only the rows the caller moves through.
#include "engine/OraEngine.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class OraDynaset {
public:
    OraDynaset(std::shared_ptr<OraEngine> engine, std::unique_ptr<OraCursor> cursor, QString sql);
    ~OraDynaset();
    OraDynaset(const OraDynaset&) = delete;
    OraDynaset& operator=(const OraDynaset&) = delete;

    // True past the last row, and at once for an empty result. (EOF is a macro
    // of the C library, hence the name.)
    bool IsEOF() const;
    // Moves to the next row; throws OraError.
    void MoveNext();
    // Releases the result; afterwards the dynaset is at EOF.
    void Close();

    // Fields: count, names, and the current row's values by 0-based position
    // or by case-insensitive name (a null QVariant for SQL NULL or an unknown
    // name).
    int FieldCount() const;
    QString FieldName(int index) const;
    QVariant Value(int index) const;
    QVariant Value(const QString& name) const;
    QVariant operator[](int index) const { return Value(index); }
    QVariant operator[](const QString& name) const { return Value(name); }

    // The number of rows of the whole result; counted once, when first asked.
    qint64 RecordCount();

private:
    std::shared_ptr<OraEngine> m_engine;  // keeps the connection alive while the cursor lives
    std::unique_ptr<OraCursor> m_cursor;
    QString m_sql;
    mutable QHash<QString, int> m_nameIndex;
    std::optional<qint64> m_recordCount;
};
