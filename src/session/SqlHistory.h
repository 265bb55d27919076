#pragma once
// The engine's statement history, shown as V$SQL and V$SQLTEXT: identical
// texts share one entry, and the history keeps at most `capacity` entries,
// dropping the least recently used one first, as a shared pool does.
#include <QHash>
#include <QString>

#include <list>
#include <vector>

struct sqlite3;

class SqlHistory {
public:
    struct Entry {
        QString text;
        quint32 hashValue = 0;
        QString firstLoadTime;  // YYYY-MM-DD/HH24:MI:SS
        qint64 executions = 0;
    };

    static constexpr int DefaultCapacity = 5000;
    static constexpr int ListedTextLength = 1000;  // SQL_TEXT of V$SQL
    static constexpr int PieceLength = 64;         // SQL_TEXT of V$SQLTEXT

    explicit SqlHistory(int capacity = DefaultCapacity);

    void record(const QString& text);
    // Every entry, most recently used first.
    std::vector<Entry> snapshot() const;
    int size() const { return static_cast<int>(m_entries.size()); }

    // Deterministic 32-bit hash of a statement text.
    static quint32 HashValue(const QString& text);

    // Makes V$SQL and V$SQLTEXT available on `db`, reading this history.
    bool registerTables(sqlite3* db);

private:
    int m_capacity;
    std::list<Entry> m_entries;  // most recently used first
    QHash<QString, std::list<Entry>::iterator> m_index;
    qint64 m_loadTimeSecond = 0;
    QString m_loadTimeText;
};
