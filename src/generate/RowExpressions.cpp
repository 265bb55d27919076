#include "generate/RowExpressions.h"

#include "generate/ExpressionScript.h"
#include "shared/RandomSequence.h"

#include <QDateTime>
#include <QHash>
#include <QJSEngine>
#include <QJSValue>
#include <QObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <exception>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

// JavaScript's own limit for a date: a hundred million days either side of 1970.
constexpr double MaxTime = 8.64e15;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// An evaluation running past this long is stopped (an endless loop).
constexpr auto TimeLimit = std::chrono::seconds(1);
constexpr auto WatchdogTick = std::chrono::milliseconds(50);

// `row.NAME`, `row["NAME"]` or `row['NAME']`, `row` not part of a longer
// name or of a member access; NAME may hold any letters an identifier can.
const QRegularExpression& RowReference()
{
    static const QRegularExpression pattern(
        uR"re((?<![\p{L}\p{N}\p{Mn}\p{Mc}\p{Pc}$.\x{200C}\x{200D}])row\s*(?:\.\s*([\p{L}\p{Nl}_$][\p{L}\p{N}\p{Mn}\p{Mc}\p{Pc}$\x{200C}\x{200D}]*)|\[\s*(?:"([^"\\\n]*)"|'([^'\\\n]*)')\s*\]))re"_s);
    return pattern;
}

// Whether a text that parses neither way looks meant as statements.
bool LooksLikeStatements(const QString& expression)
{
    static const QRegularExpression statement(
        uR"(\b(return|var|let|const|if|for|while|do|switch|try|throw|function)\b|;)"_s);
    return statement.match(expression).hasMatch();
}

// The Julian day of 1970-01-01.
constexpr qint64 EpochJulianDay = 2440588;

// A date's fields as a time value read as UTC (the wall clock).
double WallOf(const QDateTime& value)
{
    return static_cast<double>((value.date().toJulianDay() - EpochJulianDay) * 86400000LL +
                               value.time().msecsSinceStartOfDay());
}

}  // namespace

// What the helpers call back: draws and the values of the row being
// evaluated.
class ExpressionNative : public QObject {
    Q_OBJECT

public:
    std::function<double()> draw;
    std::function<QJSValue(int)> value;

    Q_INVOKABLE double Draw() { return draw(); }
    Q_INVOKABLE QJSValue Value(int column) { return value(column); }
};

// One JavaScript engine with the compiled expressions of one Prepare, and
// where each expression column stands in the current row.
class RowExpressions::Engine {
public:
    explicit Engine(std::function<double()> draw);
    ~Engine();

    void SetDraw(std::function<double()> draw) { m_native.draw = std::move(draw); }
    void SetCompute(std::function<QVariant(int)> compute) { m_compute = std::move(compute); }
    // Compiles the expression columns and builds the row object.
    bool Compile(const std::vector<Column>& columns, QString* error);
    bool IsExpression(int index) const
    {
        return index >= 0 && static_cast<std::size_t>(index) < m_functions.size() &&
               !m_functions[static_cast<std::size_t>(index)].isUndefined();
    }
    void BeginRow() { std::fill(m_states.begin(), m_states.end(), State::Waiting); }
    bool Computed(int index) const { return m_states[static_cast<std::size_t>(index)] != State::Waiting; }
    bool Evaluate(int index, const std::vector<QVariant>& row, QVariant* result, QString* error);

private:
    // Where an expression column stands in the current row.
    enum class State : unsigned char {
        Waiting,  // not computed yet
        Running,  // being evaluated: reading it now is a cycle
        Asked,    // evaluated at the caller's asking: the row holds its value
        Made,     // computed because another one read it: m_made holds its value
    };

    bool CompileOne(const Column& column, QString* error);
    bool Run(int index, const std::vector<QVariant>& row, QVariant* result, QString* error);
    QJSValue Value(int column);
    // Computes expression column `column` for a reader; false (with a pending
    // JavaScript error) when that fails.
    bool Make(int column);
    QJSValue ToScript(const QVariant& value);
    // Records the first failure of an evaluation inside another one.
    void Fail(const QString& message);
    QString Cycle(int column) const;
    bool Convert(const QJSValue& value, const QString& column, QVariant* result, QString* error);
    void Watch();

    // The engine goes before the object it calls back and before every value it holds.
    ExpressionNative m_native;
    QJSEngine m_js;
    QJSValue m_helpers;
    QJSValue m_failed;
    QJSValue m_dateBox;
    QJSValue m_lastError;
    QJSValue m_row;
    std::vector<QJSValue> m_functions;  // per column; undefined for an ordinary one
    QStringList m_names;
    const std::vector<QVariant>* m_current = nullptr;  // the row being evaluated

    std::function<QVariant(int)> m_compute;
    std::vector<State> m_states;    // per column
    std::vector<QVariant> m_results;  // per column: what its evaluation gave
    std::vector<QVariant> m_made;     // per column: its value when State::Made
    std::vector<int> m_running;       // the columns being evaluated, outermost first
    QString m_failure;                // a nested evaluation's failure
    std::exception_ptr m_thrown;      // what the compute function threw

    // The watchdog: one thread, started with the first evaluation, that
    // interrupts the engine when an evaluation has run past the limit.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_watchdog;
    bool m_stop = false;   // guarded by m_mutex
    bool m_fired = false;  // guarded by m_mutex
    std::atomic<std::chrono::steady_clock::rep> m_started{0};  // 0: idle
};

RowExpressions::Engine::Engine(std::function<double()> draw)
{
    m_native.draw = std::move(draw);
    m_native.value = [this](int column) { return Value(column); };
    QJSEngine::setObjectOwnership(&m_native, QJSEngine::CppOwnership);
    m_helpers = m_js.evaluate(ExpressionHelperSource()).call({m_js.globalObject(), m_js.newQObject(&m_native)});
    m_failed = m_helpers.property(u"failed"_s);
    m_dateBox = m_helpers.property(u"dateBox"_s);
    m_lastError = m_helpers.property(u"lastError"_s);
}

RowExpressions::Engine::~Engine()
{
    if (m_watchdog.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        m_watchdog.join();
    }
}

bool RowExpressions::Engine::Compile(const std::vector<Column>& columns, QString* error)
{
    QJSValue names = m_js.newArray(static_cast<uint>(columns.size()));
    QSet<QString> seen;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& column = columns[i];
        m_names << column.name;
        if (column.expression.trimmed().isEmpty())
            m_functions.emplace_back();
        else if (!CompileOne(column, error))
            return false;
        const bool first = !column.name.isEmpty() && !seen.contains(column.name);
        seen.insert(column.name);
        names.setProperty(static_cast<quint32>(i), first ? column.name : QString());
    }
    m_row = m_helpers.property(u"row"_s).call({names});
    m_states.assign(columns.size(), State::Waiting);
    m_results.resize(columns.size());
    m_made.resize(columns.size());
    return true;
}

bool RowExpressions::Engine::CompileOne(const Column& column, QString* error)
{
    // The Function constructor parses the text as a function body and runs
    // nothing.
    const QJSValue constructor = m_js.globalObject().property(u"Function"_s);
    const QString asExpression = u"\"use strict\"; return (\n"_s + column.expression + u"\n);"_s;
    const QString asStatements = u"\"use strict\";\n"_s + column.expression + u"\n"_s;
    for (const QString* body : {&asExpression, &asStatements}) {
        const QJSValue function = constructor.callAsConstructor({u"row"_s, *body});
        if (function.isCallable()) {
            if (body == &asStatements && !column.expression.contains(u"return"_s)) {
                *error = u"列 %1 の式: 文で書くときは return で値を返してください。"_s.arg(column.name);
                return false;
            }
            m_functions.push_back(m_helpers.property(u"guard"_s).call({function}));
            return true;
        }
    }
    // The constructor says only that the text does not parse; the parser
    // itself tells what and where, for the form the text looks meant as. The
    // leading throw keeps anything that parses from running.
    const QString& meant = LooksLikeStatements(column.expression) ? asStatements : asExpression;
    const QJSValue diagnosis = m_js.evaluate(u"throw 0; (function (row) { "_s + meant + u"})"_s, QString(), 0);
    QString detail = u"SyntaxError"_s;
    if (diagnosis.isError()) {
        detail = diagnosis.toString();
        const int line = diagnosis.property(u"lineNumber"_s).toInt();
        if (column.expression.contains(u'\n') && line > 0)
            detail += u"（%1行目）"_s.arg(line);
    }
    *error = u"列 %1 の式を読めません: %2"_s.arg(column.name, detail);
    return false;
}

// A column read: an expression column not computed yet in this row is
// computed first, whatever form of reading reached it.
QJSValue RowExpressions::Engine::Value(int column)
{
    if (m_current == nullptr || column < 0 || static_cast<std::size_t>(column) >= m_current->size())
        return QJSValue(QJSValue::NullValue);
    const auto i = static_cast<std::size_t>(column);
    if (IsExpression(column)) {
        switch (m_states[i]) {
        case State::Running:
            Fail(Cycle(column));
            m_js.throwError(m_failure);
            return QJSValue();
        case State::Waiting:
            if (!Make(column))
                return QJSValue();
            return ToScript(m_made[i]);
        case State::Made:
            return ToScript(m_made[i]);
        case State::Asked:
            break;
        }
    }
    return ToScript((*m_current)[i]);
}

bool RowExpressions::Engine::Make(int column)
{
    const auto i = static_cast<std::size_t>(column);
    QVariant value;
    if (m_compute) {
        try {
            value = m_compute(column);
        } catch (...) {
            if (!m_thrown)
                m_thrown = std::current_exception();
        }
    } else {
        QString error;
        if (!Evaluate(column, *m_current, &value, &error))
            Fail(error);
    }
    if (m_thrown || !m_failure.isEmpty()) {
        m_js.throwError(m_failure.isEmpty() ? u"列 %1 を計算できません"_s.arg(m_names[column]) : m_failure);
        return false;
    }
    if (m_states[i] == State::Waiting)  // the owner gave it without evaluating it
        m_results[i] = value;
    m_states[i] = State::Made;
    m_made[i] = value;
    return true;
}

QJSValue RowExpressions::Engine::ToScript(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QJSValue(QJSValue::NullValue);
    case QMetaType::Double:
        return QJSValue(value.toDouble());
    case QMetaType::QString:
        return QJSValue(value.toString());
    case QMetaType::Bool:
        return QJSValue(value.toBool());
    case QMetaType::QDateTime:
    case QMetaType::QDate: {
        const QDateTime date = value.toDateTime();
        const double time = date.isValid() ? WallOf(date) : NaN;
        if (!(std::fabs(time) <= MaxTime))
            return QJSValue(QJSValue::NullValue);
        return m_js.toScriptValue(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(time), Qt::UTC));
    }
    default:
        if (value.isNull())
            return QJSValue(QJSValue::NullValue);
        if (value.typeId() != QMetaType::QByteArray && value.canConvert<double>())
            return QJSValue(value.toDouble());
        return QJSValue(value.toString());
    }
}

void RowExpressions::Engine::Fail(const QString& message)
{
    if (m_failure.isEmpty())
        m_failure = message;
}

// The columns from `column`'s running evaluation to the read of it.
QString RowExpressions::Engine::Cycle(int column) const
{
    const auto from = std::find(m_running.begin(), m_running.end(), column);
    if (from + 1 == m_running.end())
        return u"列 %1 の式が自分自身を読んでいます。"_s.arg(m_names[column]);
    QStringList cycle;
    for (auto it = from; it != m_running.end(); ++it)
        cycle << m_names[*it];
    cycle << m_names[column];
    return u"式の列が互いを読み合っています: %1"_s.arg(cycle.join(u" → "_s));
}

// Reads a result the guard has left: primitives and the date box only, so
// that no code of the expression's runs here.
bool RowExpressions::Engine::Convert(const QJSValue& value, const QString& column, QVariant* result, QString* error)
{
    if (value.isNull() || value.isUndefined()) {
        *result = QVariant();
    } else if (value.isBool()) {
        *result = value.toBool() ? 1.0 : 0.0;
    } else if (value.isNumber()) {
        const double number = value.toNumber();
        if (!std::isfinite(number)) {
            *error = u"列 %1 の式の結果が数になりません（%2）。"_s.arg(column, value.toString());
            return false;
        }
        *result = number;
    } else if (value.isString()) {
        *result = value.toString();
    } else if (value.strictlyEquals(m_dateBox)) {
        const double time = m_dateBox.property(0).toNumber();
        if (std::isnan(time)) {
            *error = u"列 %1 の式の結果が正しい日付ではありません。"_s.arg(column);
            return false;
        }
        *result = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(time), Qt::UTC);
    } else {
        const QString kind = value.isArray() ? u"配列"_s : value.isCallable() ? u"関数"_s : u"オブジェクト"_s;
        *error = u"列 %1 の式の結果（%2）を列の値にできません。"_s.arg(column, kind);
        return false;
    }
    return true;
}

bool RowExpressions::Engine::Evaluate(int index, const std::vector<QVariant>& row, QVariant* result, QString* error)
{
    const auto i = static_cast<std::size_t>(index);
    const bool outermost = m_running.empty();
    if (outermost) {
        // Asked again: the caller is on its next row (a caller that does not
        // say when a row begins).
        if (m_states[i] == State::Asked || m_states[i] == State::Running)
            BeginRow();
        m_failure.clear();
        m_thrown = nullptr;
    } else if (m_states[i] == State::Running) {
        Fail(Cycle(index));
        *error = m_failure;
        return false;
    }
    // Computed already because another column read it: the same value.
    if (m_states[i] == State::Made || (m_states[i] == State::Asked && !outermost)) {
        if (outermost)
            m_states[i] = State::Asked;
        *result = m_results[i];
        return true;
    }
    m_states[i] = State::Running;
    m_running.push_back(index);
    const bool done = Run(index, row, result, error);
    m_running.pop_back();
    m_results[i] = done ? *result : QVariant();
    m_states[i] = outermost ? State::Asked : State::Made;
    m_made[i] = m_results[i];
    if (outermost && m_thrown) {
        m_states[i] = State::Waiting;
        std::rethrow_exception(std::exchange(m_thrown, nullptr));
    }
    return done;
}

bool RowExpressions::Engine::Run(int index, const std::vector<QVariant>& row, QVariant* result, QString* error)
{
    const bool outermost = m_running.size() == 1;
    if (outermost) {
        if (!m_watchdog.joinable())
            m_watchdog = std::thread([this] { Watch(); });
        m_started.store(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    const std::vector<QVariant>* outer = std::exchange(m_current, &row);
    const QJSValue value = m_functions[static_cast<std::size_t>(index)].call({m_row});
    m_current = outer;
    bool timedOut = false;
    {
        std::lock_guard lock(m_mutex);
        timedOut = m_fired;
        if (outermost) {
            m_started.store(0);
            if (m_fired) {
                m_fired = false;
                m_js.setInterrupted(false);
            }
        }
    }
    const QString& column = m_names[index];
    if (timedOut) {
        m_lastError.call();
        Fail(u"列 %1 の式が%2秒たっても終わらないので止めました。"_s.arg(column).arg(TimeLimit.count()));
    }
    if (value.strictlyEquals(m_failed)) {
        const QString thrown = m_lastError.call().toString();
        if (m_failure.isEmpty())
            *error = u"列 %1 の式でエラーが起きました: %2"_s.arg(column, thrown);
    }
    // A failure further in stops this evaluation too, even if the expression
    // caught what it threw.
    if (!m_failure.isEmpty()) {
        *error = m_failure;
        return false;
    }
    if (value.strictlyEquals(m_failed)) {
        if (!outermost)
            Fail(*error);
        return false;
    }
    if (!Convert(value, column, result, error)) {
        if (!outermost)
            Fail(*error);
        return false;
    }
    return true;
}

void RowExpressions::Engine::Watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        m_wake.wait_for(lock, WatchdogTick);
        const auto started = m_started.load();
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        if (started != 0 && !m_fired && std::chrono::steady_clock::duration(now - started) > TimeLimit) {
            m_fired = true;
            m_js.setInterrupted(true);
        }
    }
}

RowExpressions::RowExpressions() : m_draw([] { return static_cast<double>(basKovaData::NextRandom()); }) {}
RowExpressions::~RowExpressions() = default;

bool RowExpressions::Prepare(const std::vector<Column>& columns, QString* error)
{
    m_order.clear();
    m_prepared = false;
    m_engine = std::make_unique<Engine>(m_draw);
    m_engine->SetCompute(m_compute);
    if (!m_engine->Compile(columns, error))
        return false;

    // What each expression reads, found in its text; only other expression
    // columns bind the order.
    QHash<QString, int> byName;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!byName.contains(columns[i].name))
            byName.insert(columns[i].name, static_cast<int>(i));
    }
    const int count = static_cast<int>(columns.size());
    std::vector<std::vector<int>> reads(columns.size());
    std::vector<int> waiting;
    for (int i = 0; i < count; ++i) {
        if (!m_engine->IsExpression(i))
            continue;
        waiting.push_back(i);
        const Column& column = columns[static_cast<std::size_t>(i)];
        auto match = RowReference().globalMatch(column.expression);
        while (match.hasNext()) {
            const auto found = match.next();
            QString name = found.captured(1);
            if (name.isNull())
                name = found.hasCaptured(2) ? found.captured(2) : found.captured(3);
            const auto known = byName.constFind(name);
            if (known == byName.constEnd()) {
                *error = u"列 %1 の式が、ない列 %2 を読んでいます。"_s.arg(column.name, name);
                return false;
            }
            if (*known == i) {
                *error = u"列 %1 の式が自分自身を読んでいます。"_s.arg(column.name);
                return false;
            }
            if (m_engine->IsExpression(*known))
                reads[static_cast<std::size_t>(i)].push_back(*known);
        }
    }

    // Each round takes the first expression column whose expression columns
    // are all placed, so that independent columns keep their given order.
    std::vector<bool> placed(columns.size(), false);
    const auto isPlaced = [&placed](int n) { return placed[static_cast<std::size_t>(n)]; };
    while (!waiting.empty()) {
        const auto ready = std::find_if(waiting.begin(), waiting.end(), [&](int i) {
            const auto& needs = reads[static_cast<std::size_t>(i)];
            return std::all_of(needs.begin(), needs.end(), isPlaced);
        });
        if (ready == waiting.end())
            break;
        placed[static_cast<std::size_t>(*ready)] = true;
        m_order.push_back(*ready);
        waiting.erase(ready);
    }
    if (waiting.empty()) {
        m_prepared = true;
        return true;
    }

    // Every column left reads another one left: following those reads from
    // any of them comes back round, and that round is the cycle.
    std::vector<int> path{waiting.front()};
    for (;;) {
        const auto& needs = reads[static_cast<std::size_t>(path.back())];
        const int next = *std::find_if_not(needs.begin(), needs.end(), isPlaced);
        const auto seen = std::find(path.begin(), path.end(), next);
        if (seen != path.end()) {
            QStringList cycle;
            for (auto it = seen; it != path.end(); ++it)
                cycle << columns[static_cast<std::size_t>(*it)].name;
            cycle << columns[static_cast<std::size_t>(next)].name;
            *error = u"式の列が互いを読み合っています: %1"_s.arg(cycle.join(u" → "_s));
            break;
        }
        path.push_back(next);
    }
    m_order.clear();
    return false;
}

const std::vector<int>& RowExpressions::Order() const
{
    return m_order;
}

void RowExpressions::SetCompute(std::function<QVariant(int index)> compute)
{
    m_compute = std::move(compute);
    if (m_engine)
        m_engine->SetCompute(m_compute);
}

void RowExpressions::BeginRow()
{
    if (m_engine)
        m_engine->BeginRow();
}

bool RowExpressions::Computed(int index) const
{
    return m_prepared && m_engine->IsExpression(index) && m_engine->Computed(index);
}

void RowExpressions::SetDraw(std::function<double()> draw)
{
    m_draw = std::move(draw);
    if (m_engine)
        m_engine->SetDraw(m_draw);
}

bool RowExpressions::Evaluate(int index, const std::vector<QVariant>& row, QVariant* result, QString* error)
{
    if (!m_prepared || !m_engine->IsExpression(index)) {
        *error = u"%1 番目の列は式の列ではありません。"_s.arg(index + 1);
        return false;
    }
    return m_engine->Evaluate(index, row, result, error);
}

}  // namespace generate

#include "RowExpressions.moc"
