#pragma once
// The engine's statement history, shown as V$SQL and V$SQLTEXT: identical
// texts share one entry, and the history keeps at most `capacity` entries,
// dropping the least recently used one first, as a shared pool does.
#include "shared/StatementShape.h"

#include <QString>

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
    // The same for the literal text of `shape`, which is rendered only when
    // the history is read: an entry keeps the shape's text and values.
    void record(const basKovaData::StatementShape& shape);
    // Every entry, most recently used first.
    std::vector<Entry> snapshot() const;
    int size() const { return static_cast<int>(m_slots.size()); }

    // Deterministic 32-bit hash of a statement text, shown as HASH_VALUE
    // and worked out when the history is read.
    static quint32 HashValue(const QString& text);

    // Makes V$SQL and V$SQLTEXT available on `db`, reading this history.
    bool registerTables(sqlite3* db);

private:
    // Entries live in slots that are reused once the history is full, linked
    // in order of use and chained per hash bucket, so that recording a
    // statement costs one hash of its text and no allocation in the long run.
    // That hash is a quicker one than HashValue, whose units wait for one
    // another: four lanes of it take the units in turn.
    static quint32 QuickHash(const QString& text);
    // QuickHash(shape.Literal()), without rendering the literal.
    static quint32 QuickHash(const basKovaData::StatementShape& shape);

    static constexpr int None = -1;
    struct Slot {
        // Its text is empty while the entry is held as a shape; its hash
        // value is worked out when the history is read.
        Entry entry;
        bool asShape = false;
        QString shapeText;
        std::vector<qsizetype> markers;
        std::vector<basKovaData::SqlValue> values;
        int newer = None;
        int older = None;
    };
    // Bucket chains apart from the entries: a look-up reads little memory.
    struct Chain {
        quint32 hash = 0;  // QuickHash of the entry's text
        int next = None;
    };

    // The statement being recorded: a text, or a shape.
    struct Probe {
        const QString* text = nullptr;
        const basKovaData::StatementShape* shape = nullptr;
    };
    int find(const Probe& probe, quint32 hash) const;
    bool sameText(const Slot& slot, const Probe& probe) const;
    static QString Text(const Slot& slot);
    void add(const Probe& probe, quint32 hash);
    void unlinkFromUse(int slot);
    void linkAsNewest(int slot);
    void unlinkFromBucket(int slot);
    void linkToBucket(int slot);
    void growBuckets();

    int m_capacity;
    std::vector<Slot> m_slots;
    std::vector<Chain> m_chains;  // one per slot
    std::vector<int> m_buckets;  // a power of two in size
    int m_newest = None;
    int m_oldest = None;
    qint64 m_loadTimeSecond = 0;
    QString m_loadTimeText;
    QString m_lastShapeText;  // shared by the entries of one shape
};
