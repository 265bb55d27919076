#include "support/LookAlike.h"

#include "support/EngineSupport.h"
#include "support/ServerSupport.h"

#include "GenerateTool.h"
#include "generate/ProfileCompare.h"
#include "generate/TableProfile.h"
#include "session/OraDatabase.h"
#include "session/OraSession.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace kovatest {

namespace {

QString Shape(const QJsonObject& plan)
{
    QString shape = plan.value(u"Node Type"_s).toString();
    if (plan.contains(u"Relation Name"_s))
        shape += u' ' + plan.value(u"Relation Name"_s).toString().toUpper();
    const QJsonArray children = plan.value(u"Plans"_s).toArray();
    if (!children.isEmpty()) {
        QStringList inner;
        for (const QJsonValue& child : children)
            inner << Shape(child.toObject());
        shape += u'(' + inner.join(u", "_s) + u')';
    }
    return shape;
}

}  // namespace

QStringList LookAlikeSource(qint64 orders)
{
    const QString customers = QString::number(std::max<qint64>(orders / 10, 10));
    const QString count = QString::number(orders);
    return {
        u"CREATE TABLE CUSTOMERS (ID NUMBER(8) PRIMARY KEY, PREF VARCHAR2(20) NOT NULL, CITY VARCHAR2(30) NOT NULL, "
        "PHONE VARCHAR2(15), RANK_CODE CHAR(1))"_s,
        u"CREATE TABLE ORDERS (ID NUMBER(10) PRIMARY KEY, CUSTOMER_ID NUMBER(8) NOT NULL REFERENCES CUSTOMERS (ID), "
        "ORDERED DATE NOT NULL, STATUS VARCHAR2(10) NOT NULL, AMOUNT NUMBER(10,2), NOTE VARCHAR2(80))"_s,
        u"CREATE TABLE COUPONS (ID NUMBER(10) PRIMARY KEY, CUSTOMER_ID NUMBER(8) NOT NULL REFERENCES CUSTOMERS (ID), "
        "CODE VARCHAR2(12) NOT NULL, ISSUED DATE)"_s,
        u"SELECT setseed(0.42)"_s,
        u"INSERT INTO CUSTOMERS SELECT s.g, p.pref, p.city, "
        "CASE WHEN random() < 0.3 THEN NULL ELSE '0' || (7 + floor(random() * 3))::int || '0-' "
        "|| lpad(floor(random() * 10000)::int::text, 4, '0') || '-' || lpad(floor(random() * 10000)::int::text, 4, '0') END, "
        "(ARRAY['A','B','B','C','C','C','D','E'])[1 + floor(random() * 8)::int] "
        "FROM (SELECT g, random() AS r FROM generate_series(1, %1) g) s JOIN (VALUES "
        "('東京都', '新宿区', 0.0, 0.2), ('東京都', '世田谷区', 0.2, 0.35), ('神奈川県', '横浜市', 0.35, 0.55), "
        "('神奈川県', '川崎市', 0.55, 0.65), ('大阪府', '大阪市', 0.65, 0.8), ('大阪府', '堺市', 0.8, 0.85), "
        "('愛知県', '名古屋市', 0.85, 0.95), ('北海道', '札幌市', 0.95, 1.01)) p(pref, city, lo, hi) "
        "ON s.r >= p.lo AND s.r < p.hi"_s.arg(customers),
        u"INSERT INTO ORDERS SELECT g, LEAST(%2, floor(exp(random() * ln(%2)))::int), "
        "CASE WHEN random() < 0.4 THEN (date_trunc('month', m) + interval '1 month' - interval '1 day')::date "
        "- floor(random() * 3)::int ELSE m::date + floor(random() * 28)::int END, "
        "CASE WHEN st < 0.9 THEN 'DONE' WHEN st < 0.95 THEN 'OPEN' WHEN st < 0.98 THEN 'CANCEL' ELSE 'HOLD' END, "
        "round(exp(random() * 9)::numeric, 2), "
        "CASE WHEN random() < 0.3 THEN NULL ELSE substr('配送指定あり午前中不在時は宅配ボックスへ置いてください', 1, "
        "4 + floor(random() * 20)::int) END "
        "FROM (SELECT g, random() AS st, date '2025-01-01' + (CASE WHEN random() < 0.15 THEN 11 "
        "WHEN random() < 0.15 THEN 2 ELSE floor(random() * 12)::int END) * interval '1 month' AS m "
        "FROM generate_series(1, %1) g) o"_s.arg(count, customers),
        u"INSERT INTO COUPONS SELECT row_number() OVER (), c.ID, 'CP' || lpad(floor(random() * 100000000)::text, 8, '0'), "
        "CASE WHEN random() < 0.1 THEN NULL ELSE date '2025-01-01' + floor(power(random(), 0.5) * 365)::int END "
        "FROM CUSTOMERS c CROSS JOIN LATERAL generate_series(1, floor(21 * power(random(), 3))::int + 0 * c.ID::int) k"_s,
        u"CREATE INDEX ORDERS_CUSTOMER ON ORDERS (CUSTOMER_ID)"_s,
        u"CREATE INDEX ORDERS_ORDERED ON ORDERS (ORDERED)"_s,
        u"CREATE INDEX ORDERS_STATUS ON ORDERS (STATUS)"_s,
        u"CREATE INDEX COUPONS_CUSTOMER ON COUPONS (CUSTOMER_ID)"_s,
    };
}

QStringList LookAlikeQueries()
{
    return {
        u"SELECT COUNT(*) FROM ORDERS WHERE STATUS = 'HOLD'"_s,
        u"SELECT COUNT(*) FROM ORDERS WHERE STATUS = 'DONE'"_s,
        u"SELECT COUNT(*) FROM ORDERS WHERE ORDERED >= DATE '2025-03-29' AND ORDERED < DATE '2025-04-01'"_s,
        u"SELECT COUNT(*) FROM ORDERS WHERE ORDERED >= DATE '2025-06-10' AND ORDERED < DATE '2025-06-11'"_s,
        u"SELECT c.PREF, COUNT(*) FROM ORDERS o JOIN CUSTOMERS c ON c.ID = o.CUSTOMER_ID WHERE o.STATUS = 'OPEN' "
        "GROUP BY c.PREF"_s,
        u"SELECT c.CITY, SUM(o.AMOUNT) FROM CUSTOMERS c JOIN ORDERS o ON o.CUSTOMER_ID = c.ID WHERE c.PREF = '北海道' "
        "GROUP BY c.CITY"_s,
        u"SELECT COUNT(*) FROM CUSTOMERS c WHERE NOT EXISTS (SELECT 1 FROM COUPONS k WHERE k.CUSTOMER_ID = c.ID)"_s,
        u"SELECT COUNT(*) FROM ORDERS WHERE AMOUNT > 5000"_s,
        u"SELECT STATUS, COUNT(*) FROM ORDERS GROUP BY STATUS"_s,
        u"SELECT COUNT(*) FROM ORDERS o JOIN COUPONS k ON k.CUSTOMER_ID = o.CUSTOMER_ID "
        "WHERE k.ISSUED >= DATE '2025-12-01' AND o.STATUS = 'HOLD'"_s,
    };
}

QString PlanShape(const QString& database, const QString& query, QString* error)
{
    const ServerSettings server = *Server();
    QString psql = QStandardPaths::findExecutable(u"psql"_s);
    if (psql.isEmpty())
        psql = u"/usr/lib/postgresql/15/bin/psql"_s;
    QProcess explain;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PGPASSWORD"_s, server.password);
    explain.setProcessEnvironment(environment);
    explain.start(psql, {u"-X"_s, u"-q"_s, u"-A"_s, u"-t"_s, u"-h"_s, u"127.0.0.1"_s, u"-p"_s,
                         qEnvironmentVariable("KOVA_PG_PORT"), u"-U"_s, server.user, u"-d"_s, database,
                         // Whether an index alone answers depends on the pages
                         // VACUUM could mark visible to all, not on the data.
                         u"-c"_s, u"SET enable_indexonlyscan = off"_s, u"-c"_s, u"EXPLAIN (FORMAT JSON) "_s + query});
    if (!explain.waitForFinished(120000) || explain.exitCode() != 0) {
        *error = QString::fromUtf8(explain.readAllStandardError());
        return {};
    }
    const QJsonDocument plan = QJsonDocument::fromJson(explain.readAllStandardOutput());
    const QJsonObject top = plan.array().first().toObject().value(u"Plan"_s).toObject();
    if (top.isEmpty()) {
        *error = u"no plan"_s;
        return {};
    }
    return Shape(top);
}

LookAlikeResult MeasureLookAlike(qint64 orders, bool statisticsOnly)
{
    LookAlikeResult result;
    const ServerSettings server = *Server();
    const QStringList made = LookAlikeSource(orders);
    QStringList schema;
    for (const QString& statement : made)
        if (statement.startsWith(u"CREATE"_s))
            schema << statement;
    TestDatabase source = OpenServerDatabase(made);
    TestDatabase target = OpenServerDatabase(schema);
    // VACUUM as well: plans weigh the pages all visible to every transaction,
    // which autovacuum may have marked on one side only. The database's own
    // session is closed first, as a transaction it holds open would keep the
    // newer rows from counting as visible to all, and opened again after.
    const auto analyze = [&](TestDatabase& db) {
        db.database.reset();
        db.session.reset();
        const QString failed = Psql(db.path, {u"-c"_s, u"VACUUM ANALYZE CUSTOMERS"_s, u"-c"_s,
                                              u"VACUUM ANALYZE ORDERS"_s, u"-c"_s, u"VACUUM ANALYZE COUPONS"_s});
        db.session = std::make_shared<OraSession>();
        db.database = db.session->DbOpenDatabase(u"DSN="_s + server.dsn + u";Database="_s + db.path,
                                                 server.user + u"/"_s + server.password);
        return failed;
    };
    const auto login = [&](const TestDatabase& db) {
        return server.user + u'/' + server.password + u"@DSN="_s + server.dsn + u";Database="_s + db.path;
    };
    const auto profiles = [&](const TestDatabase& db, std::vector<generate::TableProfile>& into) {
        for (const QString& table : LookAlikeTables) {
            QString problem;
            const generate::ProfileOptions options;
            std::optional<generate::TableProfile> profile =
                statisticsOnly ? generate::ProfileFromStatistics(*db.database, table, options, &problem)
                               : generate::ProfileFromRows(*db.database, table, options, &problem);
            if (!profile)
                return table + u": "_s + problem;
            into.push_back(std::move(*profile));
        }
        return QString();
    };
    const auto kovaGenerate = [&](const QStringList& args) {
        QString error, out, err;
        const std::optional<kovagenerate::Arguments> parsed = kovagenerate::ParseArguments(args, &error);
        if (!parsed)
            return error;
        QTextStream o(&out), e(&err);
        const int status = kovagenerate::Run(*parsed, o, e, false);
        e.flush();
        return status == kovagenerate::AllCreated ? QString() : err;
    };
    if (const QString failed = analyze(source); !failed.isEmpty()) {
        result.error = failed;
        return result;
    }
    std::vector<generate::TableProfile> before;
    QElapsedTimer clock;
    clock.start();
    if (const QString failed = profiles(source, before); !failed.isEmpty()) {
        result.error = failed;
        return result;
    }
    result.profileSeconds = double(clock.nsecsElapsed()) / 1e9;
    for (const generate::TableProfile& profile : before)
        result.sourceRows += profile.rows;
    QTemporaryDir dir;
    const QString project = dir.filePath(u"lookalike.json"_s);
    QStringList learn{login(source), u"--profile"_s, project};
    learn << LookAlikeTables;
    if (statisticsOnly)
        learn << u"--statistics-only"_s;
    if (const QString failed = kovaGenerate(learn); !failed.isEmpty()) {
        result.error = u"--profile: "_s + failed;
        return result;
    }
    clock.restart();
    if (const QString failed = kovaGenerate({login(target), project, u"--seed"_s, u"20261208"_s}); !failed.isEmpty()) {
        result.error = u"the project: "_s + failed;
        return result;
    }
    result.generateSeconds = double(clock.nsecsElapsed()) / 1e9;
    std::vector<generate::TableProfile> after;
    if (QString failed = analyze(target); !failed.isEmpty() || !(failed = profiles(target, after)).isEmpty()) {
        result.error = failed;
        return result;
    }
    for (std::size_t t = 0; t < before.size(); ++t) {
        const generate::TableComparison comparison = generate::CompareProfiles(before[t], after[t], {});
        for (const generate::ColumnComparison& column : comparison.columns)
            for (const generate::Figure& figure : column.figures)
                result.figures << u"%1.%2 %3: %4 (limit %5; %6 / %7)"_s.arg(comparison.table, column.column,
                                                                            generate::FigureName(figure.kind))
                                      .arg(figure.distance, 0, 'f', 4)
                                      .arg(figure.limit)
                                      .arg(figure.source)
                                      .arg(figure.target);
        // Children per parent are a goal from the rows only: statistics hold
        // none, and both sides' are drawn evenly around their averages.
        for (const generate::KeyComparison& key : comparison.keys)
            for (const generate::Figure& figure : key.figures)
                result.figures << u"%1 per %2 %3: %4 (limit %5)%6"_s
                                      .arg(comparison.table, key.parentTable, generate::FigureName(figure.kind))
                                      .arg(figure.distance, 0, 'f', 4)
                                      .arg(figure.limit)
                                      .arg(statisticsOnly ? u", no goal from statistics"_s : QString());
        for (const QString& name : comparison.past())
            if (!statisticsOnly || !name.contains(u" → "_s))
                result.past << name;
    }
    const QString strays = RowsText(QueryRows(*target.database,
        u"SELECT COUNT(*) FROM CUSTOMERS WHERE PREF || '/' || CITY NOT IN ('東京都/新宿区', '東京都/世田谷区', "
        "'神奈川県/横浜市', '神奈川県/川崎市', '大阪府/大阪市', '大阪府/堺市', '愛知県/名古屋市', '北海道/札幌市')"_s));
    result.pairsKept = strays == u"0"_s;
    for (const QString& query : LookAlikeQueries()) {
        QString error;
        const QString was = PlanShape(source.path, query, &error);
        const QString is = PlanShape(target.path, query, &error);
        if (!was.isEmpty() && was == is)
            ++result.samePlans;
        else
            result.otherPlans << query + u": "_s + was + u" <> "_s + is + error;
    }
    return result;
}

}  // namespace kovatest
