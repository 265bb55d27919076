#include "engine/SqlHistory.h"

#include "shared/basKovaData.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>

SqlHistory::SqlHistory(int capacity) : m_capacity(capacity < 1 ? 1 : capacity) {}

namespace {

constexpr quint32 FnvStart = 2166136261u;
constexpr quint32 FnvPrime = 16777619u;

// FNV-1a in four lanes, which take the units in turn: the lane of a unit
// waits for the unit four places before it only.
struct Lanes {
    quint32 a = FnvStart;
    quint32 b = FnvStart;
    quint32 c = FnvStart;
    quint32 d = FnvStart;

    void add(char16_t unit)
    {
        const quint32 next = (a ^ unit) * FnvPrime;
        a = b;
        b = c;
        c = d;
        d = next;
    }
    void add(QStringView text)
    {
        Lanes lanes = *this;
        for (const QChar unit : text)
            lanes.add(unit.unicode());
        *this = lanes;
    }
    quint32 value() const { return ((a * 31u + b) * 31u + c) * 31u + d; }
};

}  // namespace

quint32 SqlHistory::HashValue(const QString& text)
{
    // FNV-1a over the UTF-16 units.
    quint32 hash = FnvStart;
    for (const QChar c : text)
        hash = (hash ^ c.unicode()) * FnvPrime;
    return hash;
}

quint32 SqlHistory::QuickHash(const QString& text)
{
    Lanes lanes;
    lanes.add(text);
    return lanes.value();
}

quint32 SqlHistory::QuickHash(const basKovaData::StatementShape& shape)
{
    using basKovaData::SqlValue;
    Lanes lanes;
    const QString& text = shape.text();
    qsizetype from = 0;
    for (std::size_t i = 0; i < shape.markers().size(); ++i) {
        lanes.add(QStringView(text).mid(from, shape.markers()[i] - from));
        const SqlValue& value = shape.values()[i];
        if (value.type == SqlValue::Type::Text) {
            // Quoted, quotes doubled, as the literal writes it.
            lanes.add(u'\'');
            for (const QChar c : value.text) {
                lanes.add(c.unicode());
                if (c == u'\'')
                    lanes.add(c.unicode());
            }
            lanes.add(u'\'');
        } else {
            lanes.add(value.text);
        }
        from = shape.markers()[i] + 1;
    }
    lanes.add(QStringView(text).mid(from));
    return lanes.value();
}

QString SqlHistory::Text(const Slot& slot)
{
    if (!slot.asShape)
        return slot.entry.text;
    QString text;
    basKovaData::StatementShape::AppendLiteral(text, slot.shapeText, slot.markers, slot.values.data());
    return text;
}

bool SqlHistory::sameText(const Slot& slot, const Probe& probe) const
{
    if (slot.asShape && probe.shape && slot.shapeText == probe.shape->text()) {
        const auto& values = probe.shape->values();
        if (std::equal(slot.values.begin(), slot.values.end(), values.begin(), values.end(),
                       [](const basKovaData::SqlValue& a, const basKovaData::SqlValue& b) {
                           return a.type == b.type && a.text == b.text;
                       }))
            return true;
    }
    // Different shapes may still write the same text.
    const QString text = Text(slot);
    return probe.text ? text == *probe.text : text == probe.shape->Literal();
}

int SqlHistory::find(const Probe& probe, quint32 hash) const
{
    if (m_buckets.empty())
        return None;
    for (int slot = m_buckets[hash & (m_buckets.size() - 1)]; slot != None;
         slot = m_chains[static_cast<size_t>(slot)].next) {
        if (m_chains[static_cast<size_t>(slot)].hash == hash
            && sameText(m_slots[static_cast<size_t>(slot)], probe))
            return slot;
    }
    return None;
}

void SqlHistory::unlinkFromUse(int slot)
{
    Slot& s = m_slots[static_cast<size_t>(slot)];
    if (s.newer != None)
        m_slots[static_cast<size_t>(s.newer)].older = s.older;
    else
        m_newest = s.older;
    if (s.older != None)
        m_slots[static_cast<size_t>(s.older)].newer = s.newer;
    else
        m_oldest = s.newer;
    s.newer = s.older = None;
}

void SqlHistory::linkAsNewest(int slot)
{
    Slot& s = m_slots[static_cast<size_t>(slot)];
    s.newer = None;
    s.older = m_newest;
    if (m_newest != None)
        m_slots[static_cast<size_t>(m_newest)].newer = slot;
    m_newest = slot;
    if (m_oldest == None)
        m_oldest = slot;
}

void SqlHistory::unlinkFromBucket(int slot)
{
    const size_t bucket = m_chains[static_cast<size_t>(slot)].hash & (m_buckets.size() - 1);
    int* link = &m_buckets[bucket];
    while (*link != slot)
        link = &m_chains[static_cast<size_t>(*link)].next;
    *link = m_chains[static_cast<size_t>(slot)].next;
    m_chains[static_cast<size_t>(slot)].next = None;
}

void SqlHistory::linkToBucket(int slot)
{
    Chain& chain = m_chains[static_cast<size_t>(slot)];
    int& head = m_buckets[chain.hash & (m_buckets.size() - 1)];
    chain.next = head;
    head = slot;
}

void SqlHistory::growBuckets()
{
    size_t count = m_buckets.empty() ? 16 : m_buckets.size() * 2;
    while (count < m_slots.size() + 1)
        count *= 2;
    m_buckets.assign(count, None);
    for (size_t slot = 0; slot < m_slots.size(); ++slot)
        linkToBucket(static_cast<int>(slot));
}

void SqlHistory::record(const QString& text)
{
    add(Probe{&text, nullptr}, QuickHash(text));
}

void SqlHistory::record(const basKovaData::StatementShape& shape)
{
    add(Probe{nullptr, &shape}, QuickHash(shape));
}

void SqlHistory::add(const Probe& probe, quint32 hash)
{
    const int found = find(probe, hash);
    if (found != None) {
        ++m_slots[static_cast<size_t>(found)].entry.executions;
        if (found != m_newest) {
            unlinkFromUse(found);
            linkAsNewest(found);
        }
        return;
    }
    // Formatting the local time is costly; statements come thousands a second.
    const qint64 second = basKovaData::NowSecsSinceEpoch();
    if (second != m_loadTimeSecond || m_loadTimeText.isEmpty()) {
        m_loadTimeSecond = second;
        m_loadTimeText = basKovaData::Now().toString(QStringLiteral("yyyy-MM-dd/HH:mm:ss"));
    }
    int slot = None;
    if (static_cast<int>(m_slots.size()) >= m_capacity) {
        // Full: the least recently used entry makes room.
        slot = m_oldest;
        unlinkFromUse(slot);
        unlinkFromBucket(slot);
    } else {
        if (m_slots.size() + 1 > m_buckets.size())
            growBuckets();
        m_slots.emplace_back();
        m_chains.emplace_back();
        slot = static_cast<int>(m_slots.size()) - 1;
    }
    Slot& s = m_slots[static_cast<size_t>(slot)];
    Entry& entry = s.entry;
    s.asShape = probe.shape != nullptr;
    if (probe.shape) {
        entry.text.clear();
        if (!basKovaData::SameText(probe.shape->text(), m_lastShapeText))
            m_lastShapeText = probe.shape->text();
        s.shapeText = m_lastShapeText;
        s.markers = probe.shape->markers();
        s.values = probe.shape->values();
    } else {
        entry.text = *probe.text;
        s.shapeText.clear();
        s.markers.clear();
        s.values.clear();
    }
    entry.hashValue = 0;
    m_chains[static_cast<size_t>(slot)].hash = hash;
    entry.firstLoadTime = m_loadTimeText;
    entry.executions = 1;
    linkToBucket(slot);
    linkAsNewest(slot);
}

std::vector<SqlHistory::Entry> SqlHistory::snapshot() const
{
    std::vector<Entry> entries;
    entries.reserve(m_slots.size());
    for (int slot = m_newest; slot != None; slot = m_slots[static_cast<size_t>(slot)].older) {
        const Slot& s = m_slots[static_cast<size_t>(slot)];
        entries.push_back(s.entry);
        if (s.asShape)
            entries.back().text = Text(s);
        entries.back().hashValue = HashValue(entries.back().text);
    }
    return entries;
}

// ---- virtual tables -----------------------------------------------------------

namespace {

enum class View { Sql, SqlText };

struct HistoryTable : sqlite3_vtab {
    SqlHistory* history = nullptr;
    View view = View::Sql;
};

struct Row {
    quint32 hashValue = 0;
    int piece = 0;
    qint64 executions = 0;
    QByteArray text;
    QByteArray firstLoadTime;
};

struct HistoryCursor : sqlite3_vtab_cursor {
    std::vector<Row> rows;
    size_t position = 0;
};

struct ModuleData {
    SqlHistory* history;
    View view;
};

int Connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** table, char**)
{
    const auto* data = static_cast<const ModuleData*>(aux);
    const char* schema =
        data->view == View::Sql
            ? "CREATE TABLE x(SQL_TEXT TEXT, HASH_VALUE INTEGER, FIRST_LOAD_TIME TEXT, "
              "EXECUTIONS INTEGER)"
            : "CREATE TABLE x(HASH_VALUE INTEGER, PIECE INTEGER, SQL_TEXT TEXT)";
    const int rc = sqlite3_declare_vtab(db, schema);
    if (rc != SQLITE_OK)
        return rc;
    auto* created = new HistoryTable;
    created->history = data->history;
    created->view = data->view;
    *table = created;
    return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* table)
{
    delete static_cast<HistoryTable*>(table);
    return SQLITE_OK;
}

// HASH_VALUE = ? is answered from the hash instead of a full scan.
int BestIndex(sqlite3_vtab* table, sqlite3_index_info* info)
{
    const int hashColumn = static_cast<HistoryTable*>(table)->view == View::Sql ? 1 : 0;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (constraint.usable && constraint.iColumn == hashColumn
            && constraint.op == SQLITE_INDEX_CONSTRAINT_EQ) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->idxNum = 1;
            info->estimatedCost = 10;
            return SQLITE_OK;
        }
    }
    info->idxNum = 0;
    info->estimatedCost = 10000;
    return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** cursor)
{
    *cursor = new HistoryCursor;
    return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cursor)
{
    delete static_cast<HistoryCursor*>(cursor);
    return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* base, int idxNum, const char*, int argc, sqlite3_value** argv)
{
    auto* cursor = static_cast<HistoryCursor*>(base);
    const auto* table = static_cast<const HistoryTable*>(base->pVtab);
    cursor->rows.clear();
    cursor->position = 0;
    const bool byHash = idxNum == 1 && argc == 1;
    sqlite3_int64 wanted = 0;
    if (byHash) {
        if (sqlite3_value_numeric_type(argv[0]) != SQLITE_INTEGER)
            return SQLITE_OK;  // no hash value equals a non-integer
        wanted = sqlite3_value_int64(argv[0]);
    }
    // A snapshot: statements run while the cursor is open do not disturb it.
    for (const SqlHistory::Entry& entry : table->history->snapshot()) {
        if (byHash && entry.hashValue != wanted)
            continue;
        if (table->view == View::Sql) {
            Row row;
            row.hashValue = entry.hashValue;
            row.executions = entry.executions;
            row.text = entry.text.left(SqlHistory::ListedTextLength).toUtf8();
            row.firstLoadTime = entry.firstLoadTime.toUtf8();
            cursor->rows.push_back(std::move(row));
            continue;
        }
        for (qsizetype at = 0, piece = 0; at < entry.text.size(); at += SqlHistory::PieceLength, ++piece) {
            Row row;
            row.hashValue = entry.hashValue;
            row.piece = static_cast<int>(piece);
            row.text = entry.text.mid(at, SqlHistory::PieceLength).toUtf8();
            cursor->rows.push_back(std::move(row));
        }
    }
    return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* base)
{
    ++static_cast<HistoryCursor*>(base)->position;
    return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* base)
{
    const auto* cursor = static_cast<HistoryCursor*>(base);
    return cursor->position >= cursor->rows.size();
}

void ResultBytes(sqlite3_context* context, const QByteArray& bytes)
{
    sqlite3_result_text(context, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

int Column(sqlite3_vtab_cursor* base, sqlite3_context* context, int column)
{
    const auto* cursor = static_cast<HistoryCursor*>(base);
    const auto* table = static_cast<const HistoryTable*>(base->pVtab);
    const Row& row = cursor->rows[cursor->position];
    if (table->view == View::Sql) {
        switch (column) {
        case 0: ResultBytes(context, row.text); break;
        case 1: sqlite3_result_int64(context, row.hashValue); break;
        case 2: ResultBytes(context, row.firstLoadTime); break;
        default: sqlite3_result_int64(context, row.executions); break;
        }
    } else {
        switch (column) {
        case 0: sqlite3_result_int64(context, row.hashValue); break;
        case 1: sqlite3_result_int(context, row.piece); break;
        default: ResultBytes(context, row.text); break;
        }
    }
    return SQLITE_OK;
}

int RowId(sqlite3_vtab_cursor* base, sqlite3_int64* rowId)
{
    *rowId = static_cast<sqlite3_int64>(static_cast<HistoryCursor*>(base)->position);
    return SQLITE_OK;
}

sqlite3_module MakeModule()
{
    sqlite3_module module{};
    module.iVersion = 0;
    module.xCreate = nullptr;  // eponymous only: the table is named after the module
    module.xConnect = Connect;
    module.xBestIndex = BestIndex;
    module.xDisconnect = Disconnect;
    module.xDestroy = Disconnect;
    module.xOpen = Open;
    module.xClose = Close;
    module.xFilter = Filter;
    module.xNext = Next;
    module.xEof = Eof;
    module.xColumn = Column;
    module.xRowid = RowId;
    return module;
}

void DeleteModuleData(void* data)
{
    delete static_cast<ModuleData*>(data);
}

}  // namespace

bool SqlHistory::registerTables(sqlite3* db)
{
    static const sqlite3_module Module = MakeModule();
    const int sql = sqlite3_create_module_v2(db, "V$SQL", &Module,
                                             new ModuleData{this, View::Sql}, DeleteModuleData);
    const int text = sqlite3_create_module_v2(db, "V$SQLTEXT", &Module,
                                              new ModuleData{this, View::SqlText}, DeleteModuleData);
    return sql == SQLITE_OK && text == SQLITE_OK;
}
