#include "engine/SqliteEngine.h"

#include "engine/EngineError.h"
#include "engine/oracle/OracleDialect.h"
#include "engine/SqlLexer.h"
#include "engine/TableStatistics.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include <sqlite3.h>

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text ? text : "");
}

bool IsRowCountingStatement(const std::string& word)
{
    return word == "INSERT" || word == "UPDATE" || word == "DELETE" || word == "REPLACE";
}

bool IsSchemaStatement(const std::string& word)
{
    return word == "CREATE" || word == "DROP" || word == "ALTER" || word == "COMMENT" || word == "TRUNCATE"
           || word == "GRANT" || word == "REVOKE" || word == "SET";
}

// The text after a compiled statement may hold blanks and comments only.
void CheckTail(const char* tail)
{
    if (tail && !LexStatement(tail).empty())
        throw EngineError(QStringLiteral("ORA-00933: SQL command not properly ended"));
}

// A number as the engine holds it (see HoldNumber): false, binding nothing,
// for a number it would have to round.
bool BindNumber(sqlite3_stmt* stmt, int index, const SqlLiteral& number, bool negative)
{
    const HeldNumber held = HoldNumber(number.text, negative, number.kind == SqlLiteral::Kind::Integer);
    if (held.form == HeldNumber::Form::Integer)
        sqlite3_bind_int64(stmt, index, held.integer);
    else if (held.form == HeldNumber::Form::Real)
        sqlite3_bind_double(stmt, index, held.real);
    return held.form != HeldNumber::Form::None;
}

// Binds `size` bytes of UTF-8 that a zero byte ends. Without a zero byte
// among them (`zeroInside` false) the length is left to the engine, which
// then knows the text ends in one: the SQL functions it is given to read it
// without a copy.
void BindText(sqlite3_stmt* stmt, int index, const char* text, std::size_t size, bool zeroInside)
{
    sqlite3_bind_text(stmt, index, text, zeroInside ? static_cast<int>(size) : -1, SQLITE_STATIC);
}

void BindLiteral(sqlite3_stmt* stmt, int index, const SqlLiteral& literal)
{
    if (literal.kind == SqlLiteral::Kind::Text)
        BindText(stmt, index, literal.text.c_str(), literal.text.size(),
                 std::memchr(literal.text.data(), 0, literal.text.size()) != nullptr);
    else if (!BindNumber(stmt, index, literal, false))
        throw EngineError(QString::fromStdString(NotHeldMessage(literal.text, false)));
}

void BindLiterals(sqlite3_stmt* stmt, const std::vector<SqlLiteral>& literals)
{
    int index = 1;
    for (const SqlLiteral& literal : literals)
        BindLiteral(stmt, index++, literal);
}

// A number value of a shape as its literal text reads: an optional sign (a
// unary operator there, applied to the number after it) and one number token.
bool ReadNumberValue(QStringView text, SqlLiteral* number, bool* negative)
{
    qsizetype i = 0;
    *negative = false;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        *negative = text[0] == u'-';
        ++i;
    }
    std::string& out = number->text;
    out.resize(std::size_t(text.size() - i));
    for (std::size_t k = 0; i < text.size(); ++i, ++k) {
        if (text[i].unicode() >= 128)
            return false;
        out[k] = static_cast<char>(text[i].unicode());
    }
    const auto digit = [&out](std::size_t at) { return at < out.size() && out[at] >= '0' && out[at] <= '9'; };
    std::size_t at = 0;
    if (!digit(0) && !(out.size() > 1 && out[0] == '.' && digit(1)))
        return false;
    while (digit(at))
        ++at;
    // A point or an exponent makes the number a real one.
    bool real = false;
    if (at < out.size() && out[at] == '.') {
        real = true;
        ++at;
        while (digit(at))
            ++at;
    }
    if (at < out.size() && (out[at] == 'e' || out[at] == 'E')) {
        std::size_t p = at + 1;
        if (p < out.size() && (out[p] == '+' || out[p] == '-'))
            ++p;
        if (digit(p)) {
            real = true;
            at = p;
            while (digit(at))
                ++at;
        }
    }
    number->kind = real ? SqlLiteral::Kind::Real : SqlLiteral::Kind::Integer;
    return at == out.size();
}

// Bytes that may stand just before and just after a value in a shape's text:
// there the value's literal reads as one token, as its "?" does.
bool FitsBefore(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || std::strchr("(,=<>+-*/|%", c);
}

bool FitsAfter(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || std::strchr("),=<>+-*/|%;", c);
}

// `text` in UTF-8 as QString::toUtf8 writes it (a '?' for half a surrogate
// pair), into `bytes`, whose room serves value after value. True when it
// holds a zero byte.
bool PutUtf8(QByteArray& bytes, QStringView text)
{
    bytes.resize(text.size() * 3);
    char* out = bytes.data();
    bool zero = false;
    const char16_t* at = text.utf16();
    const char16_t* const end = at + text.size();
    while (at != end) {
        char32_t c = *at++;
        if (c < 0x80) {
            zero = zero || c == 0;
            *out++ = char(c);
        } else if (c < 0x800) {
            *out++ = char(0xc0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3f));
        } else if (!QChar::isSurrogate(c)) {
            *out++ = char(0xe0 | (c >> 12));
            *out++ = char(0x80 | ((c >> 6) & 0x3f));
            *out++ = char(0x80 | (c & 0x3f));
        } else if (QChar::isHighSurrogate(c) && at != end && QChar::isLowSurrogate(*at)) {
            c = QChar::surrogateToUcs4(char16_t(c), *at++);
            *out++ = char(0xf0 | (c >> 18));
            *out++ = char(0x80 | ((c >> 12) & 0x3f));
            *out++ = char(0x80 | ((c >> 6) & 0x3f));
            *out++ = char(0x80 | (c & 0x3f));
        } else {
            *out++ = '?';
        }
    }
    bytes.resize(out - bytes.constData());
    return zero;
}

std::atomic<int> g_connectionNumber{0};

}  // namespace

std::shared_ptr<SqliteEngine> SqliteEngine::open(const QString& path, const QString& user)
{
    const QFileInfo file(path);
    if (!file.isFile())
        throw EngineError(QStringLiteral("ORA-12154: TNS:could not resolve the connect identifier "
                                      "specified (no database file %1)").arg(path));
    std::shared_ptr<SqliteEngine> engine(new SqliteEngine);
    engine->m_owner = user.trimmed().toUpper().toStdString();
    engine->m_connectionName = QStringLiteral("kova-sqlite-%1").arg(++g_connectionNumber);
    engine->m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), engine->m_connectionName);
    // mode=rw opens an existing file only: a missing one is never created here.
    QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    url.setQuery(QStringLiteral("mode=rw"));
    engine->m_database.setDatabaseName(url.toString(QUrl::FullyEncoded));
    // A statement waits this long for a lock that another program holds;
    // the runs stop at the first statement that waited in vain.
    engine->m_database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
    if (!engine->m_database.open())
        throw EngineError(engine->m_database.lastError().text());
    const QVariant handle = engine->m_database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw EngineError(QStringLiteral("ORA-12154: the database driver gives no native handle"));
    engine->m_handle = *static_cast<sqlite3* const*>(handle.constData());
    if (!engine->m_handle)
        throw EngineError(QStringLiteral("ORA-12154: the database is not open"));
    sqlite3_extended_result_codes(engine->m_handle, 1);
    // Reading the schema proves that the file is a database.
    engine->exec("SELECT count(*) FROM sqlite_master");
    std::string error;
    if (!OracleDialect::Install(engine->m_handle, engine->m_owner, &error)
        || !engine->m_history.registerTables(engine->m_handle))
        throw EngineError(QStringLiteral("ORA-12154: %1").arg(QString::fromStdString(error)));
    engine->m_triggers.load(engine->m_handle);
    return engine;
}

void SqliteEngine::createFile(const QString& path)
{
    sqlite3* db = nullptr;
    const QByteArray name = path.toUtf8();
    const int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    QString message;
    if (rc == SQLITE_OK)
        sqlite3_exec(db, "PRAGMA user_version = 0", nullptr, nullptr, nullptr);  // writes the header
    else
        message = Utf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw EngineError(message);
}

SqliteEngine::~SqliteEngine()
{
    for (CachedStatement& cached : m_cache)
        sqlite3_finalize(cached.stmt);
    m_cache.clear();
    m_cacheIndex.clear();
    if (m_database.isOpen()) {
        if (sqlite3_get_autocommit(m_handle) == 0)
            sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
        m_database.close();
    }
    m_database = QSqlDatabase();
    if (!m_connectionName.isEmpty())
        QSqlDatabase::removeDatabase(m_connectionName);
}

qint64 SqliteEngine::schemaVersion() const
{
    sqlite3_stmt* stmt = nullptr;
    qint64 version = -1;
    if (sqlite3_prepare_v2(m_handle, "PRAGMA schema_version", -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return version;
}

void SqliteEngine::exec(const char* sql)
{
    const int rc = sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        raise();
}

sqlite3_stmt* SqliteEngine::prepareText(const std::string& text)
{
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(m_handle, text.c_str(), static_cast<int>(text.size()) + 1, &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        raise();
    }
    if (!stmt)
        throw EngineError(QStringLiteral("ORA-00900: invalid SQL statement"));
    try {
        CheckTail(tail);
    } catch (...) {
        sqlite3_finalize(stmt);
        throw;
    }
    return stmt;
}

sqlite3_stmt* SqliteEngine::sharedStatement(const std::string& sharedText, std::size_t parameters)
{
    const auto found = m_cacheIndex.find(sharedText);
    if (found != m_cacheIndex.end()) {
        m_cache.splice(m_cache.begin(), m_cache, found->second);
        return found->second->stmt;
    }
    sqlite3_stmt* shared = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(m_handle, sharedText.c_str(), static_cast<int>(sharedText.size()) + 1,
                                      SQLITE_PREPARE_PERSISTENT, &shared, &tail);
    // A literal that cannot be a parameter (in a type name, say) makes the
    // shared form fail; the statement then runs as written.
    if (rc != SQLITE_OK || !shared || !LexStatement(tail).empty()
        || sqlite3_bind_parameter_count(shared) != static_cast<int>(parameters)) {
        sqlite3_finalize(shared);
        return nullptr;
    }
    m_cache.push_front({sharedText, shared});
    m_cacheIndex.emplace(sharedText, m_cache.begin());
    if (m_cache.size() > CacheCapacity) {
        sqlite3_finalize(m_cache.back().stmt);
        m_cacheIndex.erase(m_cache.back().text);
        m_cache.pop_back();
    }
    return shared;
}

bool SqliteEngine::prepare(const LexedStatement& lexed, sqlite3_stmt** stmt)
{
    if (!lexed.sharedText.empty()) {
        *stmt = sharedStatement(lexed.sharedText, lexed.literals.size());
        if (*stmt) {
            try {
                BindLiterals(*stmt, lexed.literals);
            } catch (const EngineError&) {
                sqlite3_clear_bindings(*stmt);
                throw;
            }
            return true;
        }
    }
    *stmt = prepareText(lexed.text);
    return false;
}

qint64 SqliteEngine::execute(const QString& sql)
{
    m_history.record(sql);
    const QByteArray utf8 = sql.toUtf8();
    // A statement executed while another one is (none is, today) lexes into
    // a buffer of its own.
    std::unique_ptr<LexedStatement> own;
    LexedStatement* scratch = &m_lexed;
    if (m_lexedInUse) {
        own = std::make_unique<LexedStatement>();
        scratch = own.get();
    }
    const bool ownsShared = scratch == &m_lexed;
    if (ownsShared)
        m_lexedInUse = true;
    const auto releaseScratch = qScopeGuard([this, ownsShared] {
        if (ownsShared)
            m_lexedInUse = false;
    });
    const std::string_view text(utf8.constData(), static_cast<size_t>(utf8.size()));
    try {
        LexOneStatement(text, scratch);
    } catch (const EngineError&) {
        // A trigger, a procedure, a type ... holds statements of its own.
        if (!OracleObjects::IsProgramUnit(text))
            throw;
        restoreRowTriggers();
        std::string instead;
        OracleObjects::Run(*this, text, &instead);
        afterStatement(*scratch);
        return 0;
    }
    OracleDialect::Rewrite(scratch);
    // An INSERT or UPDATE of a table with row triggers of its own runs as
    // the statement that passes its rows through them.
    LexedStatement triggered;
    const bool fires = !m_triggers.empty() && m_triggers.rewrite(*scratch, &triggered);
    const LexedStatement& lexed = fires ? triggered : *scratch;
    if (lexed.firstWord() != "SELECT")
        restoreRowTriggers();
    if (TableStatistics::IsAnalyzeTable(lexed)) {
        if (TableStatistics::Analyze(m_handle, lexed, *this)) {
            std::string error;
            OracleDialect::Refresh(m_handle, m_owner, &error);
        }
        return 0;
    }
    const std::string& word = lexed.firstWord();
    if (word == "MERGE")
        return merge(lexed.text);
    if (IsSchemaStatement(word)) {
        // A comment or a sequence changes no table: the dialect's views and
        // triggers are made again only when SQLite's schema changed.
        const qint64 version = schemaVersion();
        if (OracleSchema::Run(*this, text)) {
            if (schemaVersion() != version)
                afterStatement(lexed);
            forgetPlans();
            return 0;
        }
    }
    if (word == "CALL")
        throw EngineError(QString::fromStdString(OracleObjects::OutsideLine("a procedure call (CALL)")));
    sqlite3_stmt* stmt = nullptr;
    bool cached = false;
    try {
        cached = prepare(lexed, &stmt);
    } catch (const EngineError& error) {
        OracleObjects::ExplainUnread(*this, lexed.text, error);
    }
    // A cached statement is reset for its next use, any other finalized; the
    // error, if any, is read before that.
    const auto releaseStatement = qScopeGuard([&] {
        if (cached) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        } else {
            sqlite3_finalize(stmt);
        }
    });
    stepToDone(stmt);
    const qint64 changes = IsRowCountingStatement(lexed.firstWord()) ? sqlite3_changes64(m_handle) : 0;
    if (word == "DROP")
        OracleSchema::ForgetDropped(*this);
    else if (word == "ROLLBACK")
        m_triggers.load(m_handle);  // a trigger made in the transaction is gone
    afterStatement(lexed);
    return changes;
}

qint64 SqliteEngine::merge(const std::string& text)
{
    std::vector<OracleDialect::MergeStep> steps;
    std::string error;
    if (!OracleDialect::TranslateMerge(text, &steps, &error))
        throw EngineError(QString::fromStdString(error));
    // One statement's effect: every step, or none.
    exec("SAVEPOINT kova_merge");
    qint64 rows = 0;
    try {
        for (const OracleDialect::MergeStep& step : steps) {
            LexedStatement lexed;
            LexStatement(step.sql, &lexed);
            OracleDialect::Rewrite(&lexed);
            // The rows MERGE updates or inserts pass through the table's row
            // triggers as those of UPDATE and INSERT do.
            LexedStatement triggered;
            const bool fires = !m_triggers.empty() && m_triggers.rewrite(lexed, &triggered);
            sqlite3_stmt* stmt = prepareText(step.prefix + (fires ? triggered.text : lexed.text));
            const auto release = qScopeGuard([stmt] { sqlite3_finalize(stmt); });
            stepToDone(stmt);
            rows += step.counts ? sqlite3_changes64(m_handle) : 0;
        }
    } catch (...) {
        sqlite3_exec(m_handle, "ROLLBACK TO kova_merge; RELEASE kova_merge", nullptr, nullptr, nullptr);
        throw;
    }
    exec("RELEASE kova_merge");
    return rows;
}

SqliteEngine::ShapePlan& SqliteEngine::shapePlan(const QString& shapeText, const std::vector<qsizetype>& markers)
{
    if (m_lastShapePlan && basKovaData::SameText(*m_lastShapeText, shapeText))
        return *m_lastShapePlan;
    auto found = m_shapePlans.find(shapeText);
    if (found == m_shapePlans.end()) {
        if (m_shapePlans.size() >= CacheCapacity)
            m_shapePlans.clear();
        ShapePlan plan;
        plan.markers = markers;
        // The text in UTF-8 with the byte offset of each value's "?".
        std::string utf8;
        std::vector<std::size_t> offsets;
        qsizetype from = 0;
        for (const qsizetype marker : markers) {
            utf8 += QStringView(shapeText).mid(from, marker - from).toUtf8().toStdString();
            offsets.push_back(utf8.size());
            utf8 += '?';
            from = marker + 1;
        }
        utf8 += QStringView(shapeText).mid(from).toUtf8().toStdString();
        bool fits = true;
        for (const std::size_t at : offsets) {
            const char before = at > 0 ? utf8[at - 1] : ' ';
            const char after = at + 1 < utf8.size() ? utf8[at + 1] : ' ';
            fits = fits && FitsBefore(before) && FitsAfter(after);
            plan.minusBefore.push_back(before == '-');
        }
        LexedStatement lexed;
        LexShapeStatement(utf8, &lexed);
        // Each value's "?" must be a parameter of the shared form, in order.
        std::size_t value = 0;
        for (SqlLiteral& parameter : lexed.literals) {
            if (parameter.kind != SqlLiteral::Kind::Value)
                continue;
            fits = fits && value < offsets.size() && parameter.at == offsets[value];
            parameter.at = value++;
        }
        plan.usable = fits && value == offsets.size() && !lexed.trailingStatement && !lexed.sharedText.empty()
                      && !lexed.needsRewrite;
        plan.sharedText = std::move(lexed.sharedText);
        plan.parameters = std::move(lexed.literals);
        plan.countsRows = IsRowCountingStatement(lexed.firstWord());
        plan.triggered = !m_triggers.empty() && m_triggers.fires(lexed);
        found = m_shapePlans.emplace(shapeText, std::move(plan)).first;
    }
    m_lastShapeText = &found->first;
    m_lastShapePlan = &found->second;
    return found->second;
}

bool SqliteEngine::bindShape(const ShapePlan& plan, const basKovaData::StatementShape& shape, sqlite3_stmt* stmt)
{
    using basKovaData::SqlValue;
    const std::vector<SqlValue>& values = shape.values();
    if (m_boundTexts.size() < values.size()) {
        m_boundTexts.resize(values.size());
        m_boundNumbers.resize(values.size());
    }
    int index = 1;
    for (const SqlLiteral& parameter : plan.parameters) {
        if (parameter.kind == SqlLiteral::Kind::Text) {
            BindLiteral(stmt, index++, parameter);
            continue;
        }
        if (parameter.kind != SqlLiteral::Kind::Value) {
            if (!BindNumber(stmt, index++, parameter, false))
                return false;
            continue;
        }
        const SqlValue& value = values[parameter.at];
        switch (value.type) {
        case SqlValue::Type::Text: {
            QByteArray& bytes = m_boundTexts[parameter.at];
            const bool zero = PutUtf8(bytes, value.text);
            BindText(stmt, index, bytes.constData(), std::size_t(bytes.size()), zero);
            break;
        }
        case SqlValue::Type::Number: {
            SqlLiteral& number = m_boundNumbers[parameter.at];
            bool negative = false;
            // "--" would begin a comment in the literal text.
            // A number the engine cannot hold runs as literal text, which
            // refuses it.
            if (!ReadNumberValue(value.text, &number, &negative) || (negative && plan.minusBefore[parameter.at])
                || !BindNumber(stmt, index, number, negative))
                return false;
            break;
        }
        case SqlValue::Type::Null:
            if (value.text.compare(u"NULL", Qt::CaseInsensitive) != 0)
                return false;
            sqlite3_bind_null(stmt, index);
            break;
        }
        ++index;
    }
    return true;
}

qint64 SqliteEngine::executeShape(const basKovaData::StatementShape& shape)
{
    ShapePlan& plan = shapePlan(shape.text(), shape.markers());
    sqlite3_stmt* stmt = nullptr;
    if (plan.usable && !plan.triggered && plan.markers == shape.markers()
        && plan.markers.size() == shape.values().size())
        stmt = sharedStatement(plan.sharedText, plan.parameters.size());
    if (stmt && !bindShape(plan, shape, stmt)) {
        sqlite3_clear_bindings(stmt);
        stmt = nullptr;
    }
    // Anything the shared form cannot say runs as the literal text, and so
    // does a row that passes through row triggers.
    if (!stmt)
        return execute(shape.Literal());
    const bool trusted = needsNoRowTriggers(plan, shape);
    if (!trusted || !skipRowTriggers(plan.checks.table)) {
        if (trusted)
            plan.doubts = MaxDoubts + 1;  // the triggers could not be set aside
        restoreRowTriggers();
    }
    m_history.record(shape);
    const auto release = qScopeGuard([stmt] {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    });
    stepToDone(stmt);
    return plan.countsRows ? sqlite3_changes64(m_handle) : 0;
}

bool SqliteEngine::needsNoRowTriggers(ShapePlan& plan, const basKovaData::StatementShape& shape)
{
    using InsertChecks::Bound;
    using basKovaData::SqlValue;
    if (plan.doubts > MaxDoubts)
        return false;
    if (!plan.checksRead) {
        plan.checks = InsertChecks::Read(m_handle, m_owner, plan.sharedText);
        plan.checksRead = true;
    }
    if (!plan.checks.usable || sqlite3_get_autocommit(m_handle))
        return false;
    for (const InsertChecks::Item& item : plan.checks.items) {
        Bound bound;
        if (item.form != InsertChecks::Item::Form::Null) {
            const SqlLiteral& parameter = plan.parameters[item.parameter];
            switch (parameter.kind) {
            case SqlLiteral::Kind::Value: {
                const SqlValue& value = shape.values()[parameter.at];
                if (value.type == SqlValue::Type::Text) {
                    const QByteArray& bytes = m_boundTexts[parameter.at];
                    bound = {Bound::Kind::Text, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))};
                } else if (value.type == SqlValue::Type::Number) {
                    const SqlLiteral& number = m_boundNumbers[parameter.at];
                    bound = {number.kind == SqlLiteral::Kind::Integer ? Bound::Kind::Integer : Bound::Kind::Real,
                             number.text};
                }
                break;
            }
            case SqlLiteral::Kind::Text:
                bound = {Bound::Kind::Text, parameter.text};
                break;
            case SqlLiteral::Kind::Integer:
                bound = {Bound::Kind::Integer, parameter.text};
                break;
            case SqlLiteral::Kind::Real:
                bound = {Bound::Kind::Real, parameter.text};
                break;
            }
        }
        if (!InsertChecks::Passes(item, bound)) {
            ++plan.doubts;
            return false;
        }
    }
    return true;
}

bool SqliteEngine::skipRowTriggers(const std::string& table)
{
    if (m_skippingTables.count(table))
        return true;
    // Dropped inside a transaction only, and put back before it ends: a
    // rollback then brings them back as well.
    if (sqlite3_get_autocommit(m_handle))
        return false;
    std::vector<std::pair<std::string, std::string>> triggers;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_handle,
                           "SELECT name, sql FROM temp.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 "
                           "AND name LIKE 'kova\\_%' ESCAPE '\\'",
                           -1, &stmt, nullptr)
        != SQLITE_OK)
        return false;
    sqlite3_bind_text(stmt, 1, table.data(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        triggers.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                              reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
    }
    sqlite3_finalize(stmt);
    static constexpr std::string_view Kept = "CREATE TRIGGER ";  // how SQLite keeps a TEMP trigger's text
    for (const auto& [name, sql] : triggers) {
        if (sql.rfind(Kept, 0) != 0)
            return false;
    }
    for (const auto& [name, sql] : triggers) {
        const std::string drop = "DROP TRIGGER temp." + OracleDialect::QuoteName(name);
        if (sqlite3_exec(m_handle, drop.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            restoreRowTriggers();
            return false;
        }
        m_droppedTriggers.push_back("CREATE TEMP TRIGGER IF NOT EXISTS " + sql.substr(Kept.size()));
    }
    m_skippingTables.insert(table);
    return true;
}

void SqliteEngine::restoreRowTriggers()
{
    if (m_skippingTables.empty())
        return;
    const std::vector<std::string> dropped = std::move(m_droppedTriggers);
    m_droppedTriggers.clear();
    m_skippingTables.clear();
    for (const std::string& sql : dropped) {
        if (sqlite3_exec(m_handle, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            raise();
    }
}

void SqliteEngine::afterStatement(const LexedStatement& lexed)
{
    if (!IsSchemaStatement(lexed.firstWord()))
        return;
    // What the plans read of the tables may have changed.
    forgetPlans();
    std::string error;
    if (!OracleDialect::Refresh(m_handle, m_owner, &error))
        throw EngineError(QString::fromStdString(error));
}

void SqliteEngine::forgetPlans()
{
    m_shapePlans.clear();
    m_lastShapeText = nullptr;
    m_lastShapePlan = nullptr;
    m_triggers.load(m_handle);
}

void SqliteEngine::beginTransaction()
{
    m_lastErrorWasLock = false;
    m_lastErrorWasStorage = false;
    exec("BEGIN");
}

void SqliteEngine::commit()
{
    restoreRowTriggers();
    if (sqlite3_exec(m_handle, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return;
    if ((sqlite3_extended_errcode(m_handle) & 0xff) != SQLITE_CONSTRAINT)
        raise();
    // A deferred key that the COMMIT finds broken: as on Oracle, the whole
    // transaction is rolled back, and the error says so.
    QString why;
    try {
        raise();
    } catch (const EngineError& error) {
        why = error.message();
    }
    sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);  // the broken transaction
    m_triggers.load(m_handle);
    throw EngineError(QStringLiteral("ORA-02091: transaction rolled back (%1)").arg(why));
}

void SqliteEngine::rollback()
{
    restoreRowTriggers();
    exec("ROLLBACK");
    m_triggers.load(m_handle);  // a trigger made in the transaction is gone
}
