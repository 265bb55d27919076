#include "generate/RowExpressions.h"

#include "shared/RandomSequence.h"

#include <QDateTime>
#include <QHash>
#include <QJSEngine>
#include <QJSValue>
#include <QObject>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>

#include <algorithm>
#include <array>
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

constexpr double MsPerDay = 86400000.0;
// JavaScript's own limit for a date: a hundred million days either side of 1970.
constexpr double MaxTime = 8.64e15;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// An evaluation running past this long is stopped (an endless loop).
constexpr auto TimeLimit = std::chrono::seconds(1);
constexpr auto WatchdogTick = std::chrono::milliseconds(50);

// The helpers every expression sees, installed once per engine as read-only
// globals; the native object stays inside this closure. guard() wraps each
// compiled expression: it turns a throw into the `failed` sentinel (a thrown
// string would otherwise look like a result) and a Date into its time value
// in `dateBox`, so that the caller reads results without running any of the
// expression's code (a toString or valueOf of its own) outside the watchdog's
// reach. row() builds the row object, whose properties fetch their value when
// read, so that an evaluation converts only what it uses.
const auto HelperSource = uR"JS((function (global, native) {
    "use strict";
    var draw = native.Draw, shiftDays = native.AddDays, value = native.Value;
    var timeOf = Function.prototype.call.bind(Date.prototype.getTime);
    function number(value, helper) {
        var n = Number(value);
        if (value === null || value === undefined || isNaN(n))
            throw new TypeError(helper + ": 数ではありません: " + value);
        return n;
    }
    function rand(min, max) {
        min = number(min, "rand");
        return min + draw() * (number(max, "rand") - min);
    }
    function randInt(min, max) {
        var a = number(min, "randInt"), b = number(max, "randInt");
        var lo = Math.ceil(Math.min(a, b)), hi = Math.floor(Math.max(a, b));
        if (hi < lo)
            throw new RangeError("randInt: " + a + " と " + b + " の間に整数がありません");
        return lo + Math.min(Math.floor(draw() * (hi - lo + 1)), hi - lo);
    }
    function addDays(date, days) {
        if (date === null || date === undefined)
            return null;
        if (!(date instanceof Date))
            throw new TypeError("addDays: 日付ではありません: " + date);
        return new Date(shiftDays(timeOf(date), number(days, "addDays")));
    }
    function pick(values) {
        var list = arguments.length > 1 ? arguments : values;
        if (list === null || list === undefined || typeof list.length !== "number")
            throw new TypeError("pick: 配列ではありません: " + list);
        if (list.length === 0)
            return null;
        return list[Math.min(Math.floor(draw() * list.length), list.length - 1)];
    }
    function pad(value, width) {
        if (value === null || value === undefined)
            return null;
        var n = Math.round(number(value, "pad")), w = Math.floor(number(width, "pad"));
        if (w > 1000)
            throw new RangeError("pad: 桁数は1000までです: " + width);
        var digits = String(Math.abs(n));
        return n < 0 ? "-" + digits.padStart(w - 1, "0") : digits.padStart(w, "0");
    }
    var helpers = { rand: rand, randInt: randInt, addDays: addDays, pick: pick, pad: pad };
    Object.keys(helpers).forEach(function (name) {
        Object.defineProperty(global, name, { value: helpers[name] });
    });
    Object.defineProperty(Math, "random", { value: function random() { return draw(); },
                                            writable: false, configurable: false });
    var failed = {}, dateBox = [0], lastError;
    return {
        failed: failed,
        dateBox: dateBox,
        lastError: function () { var e = lastError; lastError = undefined; return e; },
        guard: function (f) {
            return function (row) {
                try {
                    var result = f(row);
                    if (result instanceof Date) {
                        dateBox[0] = timeOf(result);
                        return dateBox;
                    }
                    return result;
                } catch (e) {
                    try { lastError = String(e); } catch (e2) { lastError = "?"; }
                    return failed;
                }
            };
        },
        row: function (names) {
            var row = {};
            names.forEach(function (name, i) {
                if (name !== "")
                    Object.defineProperty(row, name, { enumerable: true, get: function () { return value(i); } });
            });
            return Object.freeze(row);
        }
    };
}))JS"_s;

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

// What the helpers call back: draws, the day arithmetic on the wall clock
// and the values of the row being evaluated.
class ExpressionNative : public QObject {
    Q_OBJECT

public:
    std::function<double()> draw;
    std::function<double(double, double)> addDays;
    std::function<QJSValue(int)> value;

    Q_INVOKABLE double Draw() { return draw(); }
    Q_INVOKABLE double AddDays(double time, double days) { return addDays(time, days); }
    Q_INVOKABLE QJSValue Value(int column) { return value(column); }
};

// One JavaScript engine with the compiled expressions of one Prepare.
class RowExpressions::Engine {
public:
    explicit Engine(std::function<double()> draw);
    ~Engine();

    void SetDraw(std::function<double()> draw) { m_native.draw = std::move(draw); }
    // Compiles the expression columns and builds the row object.
    bool Compile(const std::vector<Column>& columns, QString* error);
    bool IsExpression(int index) const
    {
        return index >= 0 && static_cast<std::size_t>(index) < m_functions.size() &&
               !m_functions[static_cast<std::size_t>(index)].isUndefined();
    }
    bool Run(int index, const std::vector<QVariant>& row, QVariant* result, QString* error);

private:
    bool CompileOne(const Column& column, QString* error);
    // Local time's offset from UTC (ms) at time value t, as the engine's Date
    // sees it. An offset holds between two transitions: the last few spans
    // looked up are kept, so that most rows ask the zone nothing.
    double Offset(double t);
    double ToWall(double t) { return t + Offset(t); }
    double FromWall(double wall);
    double AddDays(double time, double days);
    QJSValue Value(int column);
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

    QTimeZone m_zone = QTimeZone::systemTimeZone();
    struct OffsetSpan {
        double from = 0;
        double to = -1;  // empty
        double offset = 0;
    };
    std::array<OffsetSpan, 8> m_spans;
    std::size_t m_nextSpan = 0;

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
    m_native.addDays = [this](double time, double days) { return AddDays(time, days); };
    m_native.value = [this](int column) { return Value(column); };
    QJSEngine::setObjectOwnership(&m_native, QJSEngine::CppOwnership);
    m_helpers = m_js.evaluate(HelperSource).call({m_js.globalObject(), m_js.newQObject(&m_native)});
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

double RowExpressions::Engine::Offset(double t)
{
    if (!(std::fabs(t) <= MaxTime * 2))
        return 0;
    for (const OffsetSpan& span : m_spans) {
        if (t >= span.from && t < span.to)
            return span.offset;
    }
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t), Qt::UTC);
    OffsetSpan span{-MaxTime * 2, MaxTime * 2, m_zone.offsetFromUtc(at) * 1000.0};
    if (m_zone.hasTransitions()) {
        const QTimeZone::OffsetData before = m_zone.previousTransition(at.addMSecs(1));
        const QTimeZone::OffsetData after = m_zone.nextTransition(at);
        if (before.atUtc.isValid())
            span.from = static_cast<double>(before.atUtc.toMSecsSinceEpoch());
        if (after.atUtc.isValid())
            span.to = static_cast<double>(after.atUtc.toMSecsSinceEpoch());
        if (!(t >= span.from && t < span.to))  // the zone's answers disagree: keep nothing
            return span.offset;
    }
    m_spans[m_nextSpan] = span;
    m_nextSpan = (m_nextSpan + 1) % m_spans.size();
    return span.offset;
}

double RowExpressions::Engine::FromWall(double wall)
{
    if (!(std::fabs(wall) <= MaxTime + MsPerDay))
        return NaN;
    // The offset at the wall clock read as UTC is near; one more step finds
    // the time whose local clock shows `wall`. A wall time that a change to
    // summer time skips has none and keeps the first guess.
    const double guess = wall - Offset(wall);
    const double time = wall - Offset(guess);
    return ToWall(time) == wall ? time : guess;
}

// Whole days keep the time of day, across a change to or from summer time too.
double RowExpressions::Engine::AddDays(double time, double days)
{
    if (!(std::fabs(time) <= MaxTime) || !(std::fabs(days) <= 1e9))
        return NaN;
    return FromWall(std::round(ToWall(time) + days * MsPerDay));
}

QJSValue RowExpressions::Engine::Value(int column)
{
    if (m_current == nullptr || column < 0 || static_cast<std::size_t>(column) >= m_current->size())
        return QJSValue(QJSValue::NullValue);
    const QVariant& value = (*m_current)[static_cast<std::size_t>(column)];
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
        const double time = date.isValid() ? FromWall(WallOf(date)) : NaN;
        if (std::isnan(time))
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
        *result = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ToWall(time)), Qt::UTC);
    } else {
        const QString kind = value.isArray() ? u"配列"_s : value.isCallable() ? u"関数"_s : u"オブジェクト"_s;
        *error = u"列 %1 の式の結果（%2）を列の値にできません。"_s.arg(column, kind);
        return false;
    }
    return true;
}

bool RowExpressions::Engine::Run(int index, const std::vector<QVariant>& row, QVariant* result, QString* error)
{
    if (!m_watchdog.joinable())
        m_watchdog = std::thread([this] { Watch(); });
    m_started.store(std::chrono::steady_clock::now().time_since_epoch().count());
    m_current = &row;
    const QJSValue value = m_functions[static_cast<std::size_t>(index)].call({m_row});
    m_current = nullptr;
    bool timedOut = false;
    {
        std::lock_guard lock(m_mutex);
        m_started.store(0);
        timedOut = m_fired;
        if (m_fired) {
            m_fired = false;
            m_js.setInterrupted(false);
        }
    }
    const QString& column = m_names[index];
    if (timedOut) {
        m_lastError.call();
        *error = u"列 %1 の式が%2秒たっても終わらないので止めました。"_s.arg(column).arg(TimeLimit.count());
        return false;
    }
    if (value.strictlyEquals(m_failed)) {
        *error = u"列 %1 の式でエラーが起きました: %2"_s.arg(column, m_lastError.call().toString());
        return false;
    }
    return Convert(value, column, result, error);
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
    return m_engine->Run(index, row, result, error);
}

}  // namespace generate

#include "RowExpressions.moc"
