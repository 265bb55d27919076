// label: engine
// Oracle's published sample schemas, their install scripts unchanged, through
// the console on the embedded engine: HR and CO with no statement refused, SH
// and OE with nothing refused but what the engine keeps outside (PL/SQL,
// object types, XMLType) and what follows from those (a table of an object
// type missing later); the dictionary holding what the scripts declare; and
// 自動設定 filling every table, parents first, into the database and as CSV
// files that psql loads into PostgreSQL.
#include "GenerateTool.h"
#include "SchemaDdl.h"
#include "SchemaReader.h"
#include "SqlConsole.h"

#include "support/EngineSupport.h"
#include "support/ServerSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace kovatest;

namespace {

const QString Samples = QStringLiteral(KOVA_SOURCE_DIR) + u"/tests/data/oracle-samples/"_s;

// Copies a sample folder to `to`, its __SUB__CWD__ (the folder that holds
// it, as Oracle's README asks) replaced.
bool CopySamples(const QString& folder, const QString& to)
{
    QDir().mkpath(to + u'/' + folder);
    QDirIterator files(Samples + folder, QDir::Files);
    while (files.hasNext()) {
        QFile in(files.next());
        if (!in.open(QIODevice::ReadOnly))
            return false;
        QByteArray text = in.readAll();
        text.replace("__SUB__CWD__", to.toUtf8());
        if (!WriteFile(to + u'/' + folder + u'/' + files.fileName(), text))
            return false;
    }
    return true;
}

// Three rows of every column of `table`, as SQLcl's LOAD reads them (dates
// as SH's SET LOAD DATE_FORMAT YYYY-MM-DD), keys 1 to 3.
QByteArray LoadFile(EngineDb& db, const QString& table)
{
    const QList<QStringList> columns = db.rows(u"SELECT COLUMN_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '"_s
                                               + table + u"' ORDER BY COLUMN_ID"_s);
    QStringList names;
    for (const QStringList& column : columns)
        names << column[0];
    QByteArray text = names.join(u',').toUtf8() + '\n';
    for (int row = 1; row <= 3; ++row) {
        QStringList values;
        for (const QStringList& column : columns)
            values << (column[1] == u"DATE"_s ? u"2020-01-0%1"_s.arg(row)
                       : column[1] == u"NUMBER"_s ? QString::number(row) : u"\"%1\""_s.arg(QChar(u'A' + row)));
        text += values.join(u',').toUtf8() + '\n';
    }
    return text;
}

// The console's error lines (the line after each "ERROR: file, line n"),
// grouped: what the engine keeps outside, what follows from it, the rest.
QMap<QString, int> Refusals(const QString& output, QStringList* others)
{
    static const QRegularExpression outside(u"the embedded engine keeps no PL/SQL|^PL/SQL is not supported here"_s);
    static const QRegularExpression follows(u"^ORA-(00942|04043|04080|00902)"_s);
    QMap<QString, int> counts;
    const QStringList lines = output.split(u'\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (!lines[i].startsWith(u"ERROR: "_s))
            continue;
        const QString line = lines[i + 1];
        if (outside.match(line).hasMatch())
            ++counts[u"outside"_s];
        else if (follows.match(line).hasMatch())
            ++counts[u"follows"_s];
        else
            *others << lines[i] + u' ' + line;
    }
    return counts;
}

// Installs a sample as its scripts do, from copies in `dir`: HR, CO; SH with
// its large tables read by SQLcl's LOAD from three-row CSV files beside the
// script; OE after HR in the same file, as oe_main.sql with its nine
// arguments runs it (its INSERTs, many joined by a trailing "-", land).
// Returns the console's output.
QString Install(EngineDb& db, const QString& sample, const QString& dir)
{
    QString output;
    QTextStream out(&output);
    SqlConsole console(db.db.session, db.db.database, out, out);
    if (sample == u"SH"_s) {
        const QString sh = dir + u"/sales_history/"_s;
        if (!CopySamples(u"sales_history"_s, dir))
            return u"ERROR: copying\nthe samples failed"_s;
        console.runScript(sh + u"sh_create.sql"_s);
        for (const QString& table : {u"COSTS"_s, u"CUSTOMERS"_s, u"PROMOTIONS"_s, u"SALES"_s, u"TIMES"_s,
                                    u"SUPPLEMENTARY_DEMOGRAPHICS"_s})
            if (!WriteFile(sh + table.toLower() + u".csv"_s, LoadFile(db, table)))
                return u"ERROR: writing\nthe CSV files failed"_s;
        console.runScript(sh + u"sh_populate.sql"_s);
    } else if (sample == u"CO"_s) {
        console.runScript(Samples + u"co_create.sql"_s);
    } else {
        console.runScript(Samples + u"hr_create.sql"_s);
        console.runScript(Samples + u"hr_populate.sql"_s);
    }
    if (sample == u"OE"_s) {
        if (!CopySamples(u"order_entry"_s, dir))
            return u"ERROR: copying\nthe samples failed"_s;
        console.runScript(dir + u"/order_entry/oe_main.sql"_s, {u"oe"_s, u"users"_s, u"temp"_s, u"hr"_s, u"sys"_s,
                                                                dir + u'/', dir + u'/', u"v3"_s, u"localhost"_s});
    }
    console.finish();
    out.flush();
    return output;
}

QStringList Tables(EngineDb& db)
{
    QStringList tables;
    for (const QStringList& table : db.rows(u"SELECT TABLE_NAME FROM USER_TABLES ORDER BY TABLE_NAME"_s))
        tables << table[0];
    return tables;
}

// 自動設定 on every table of `db`, listed last first (parents go first
// whatever the order), `rows` rows each, seed 7, and `more` arguments: the
// exit status, with the tool's report in `report`.
int AutoFill(EngineDb& db, int rows, const QStringList& more, QString* report)
{
    QStringList tables = Tables(db);
    std::reverse(tables.begin(), tables.end());
    QString error;
    const auto args = kovagenerate::ParseArguments(QStringList{u"hr/hr@"_s + db.db.path, u"--auto"_s} + tables
                                                       + QStringList{u"--rows"_s, QString::number(rows), u"--seed"_s,
                                                                     u"7"_s}
                                                       + more,
                                                   &error);
    if (!args) {
        *report = error;
        return -1;
    }
    QTextStream stream(report);
    const int status = kovagenerate::Run(*args, stream, stream, false);
    stream.flush();
    return status;
}

// The rows AutoFill makes in each table at `rows` each, but in those `fewer`
// names ("TABLE:n;...").
QMap<QString, int> Made(const QStringList& tables, int rows, const QString& fewer)
{
    QMap<QString, int> made;
    for (const QString& table : tables)
        made[table] = rows;
    for (const QString& table : fewer.split(u';', Qt::SkipEmptyParts))
        made[table.section(u':', 0, 0)] = table.section(u':', 1).toInt();
    return made;
}

// Empties every table: nullable foreign key columns first set to NULL (which
// undoes cycles of foreign keys), then the rows deleted, children first.
void Empty(EngineDb& db, const SchemaDictionary& schema)
{
    for (const SchemaDictionary::Constraint& key : schema.constraints) {
        const SchemaDictionary::Table* table = schema.table(key.table);
        QStringList nulls;
        for (const SchemaDictionary::Column& column : table ? table->columns : QList<SchemaDictionary::Column>())
            if (key.type == u'R' && column.nullable && key.columns.contains(column.name))
                nulls << SchemaDdl::Quote(column.name) + u" = NULL"_s;
        if (!nulls.isEmpty())
            db->DbExecuteSQL(u"UPDATE %1 SET %2"_s.arg(SchemaDdl::Quote(key.table), nulls.join(u", "_s)));
    }
    QStringList order = SchemaDdl::ParentsFirst(schema);
    std::reverse(order.begin(), order.end());
    for (const QString& table : order)
        db->DbExecuteSQL(u"DELETE FROM "_s + SchemaDdl::Quote(table));
}

// The schema in PostgreSQL's words: names in the lower case its loader's
// unquoted names reach, and the types orafce has not in PostgreSQL's.
SchemaDictionary Lowered(SchemaDictionary schema)
{
    for (SchemaDictionary::Table& table : schema.tables) {
        table.name = table.name.toLower();
        for (SchemaDictionary::Column& column : table.columns)
            column.name = column.name.toLower();
    }
    static const QRegularExpression quoted(u"\"[A-Z0-9_$#]+\""_s);
    for (SchemaDictionary::Constraint& key : schema.constraints) {
        for (QRegularExpressionMatch name = quoted.match(key.condition); name.hasMatch();
             name = quoted.match(key.condition, name.capturedEnd()))
            key.condition.replace(name.capturedStart(), name.capturedLength(), name.captured().toLower());
        key.name = key.name.toLower();
        key.table = key.table.toLower();
        key.refTable = key.refTable.toLower();
        for (QStringList* names : {&key.columns, &key.refColumns})
            for (QString& name : *names)
                name = name.toLower();
    }
    return schema;
}

QString ServerTypes(const QString& createTable)
{
    static const QList<std::pair<QRegularExpression, QString>> types{
        {QRegularExpression(u"\\((\\d+) (CHAR|BYTE)\\)"_s), u"(\\1)"_s},
        {QRegularExpression(u"\\bN?CLOB\\b"_s), u"TEXT"_s},
        {QRegularExpression(u"\\b(BLOB|RAW\\(\\d+\\))"_s), u"BYTEA"_s},
        {QRegularExpression(u"\\b(FLOAT(\\(\\d+\\))?|BINARY_(DOUBLE|FLOAT))"_s), u"DOUBLE PRECISION"_s},
        {QRegularExpression(u"WITH LOCAL TIME ZONE"_s), u"WITH TIME ZONE"_s},
        {QRegularExpression(u"\\b(YEAR|DAY)\\(\\d+\\)"_s), u"\\1"_s},
    };
    QString sql = ServerDdl(createTable);
    for (const auto& [from, to] : types)
        sql.replace(from, to);
    return sql;
}

}  // namespace

class tst_SampleSchemas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scriptsRunAndFill_data();
    void scriptsRunAndFill();
    void filesLoadIntoTheServer_data() { scriptsRunAndFill_data(); }
    void filesLoadIntoTheServer();
};

// OE's tables of object types the engine refuses are not made: CUSTOMERS
// (CUST_ADDRESS_TYP, PHONE_LIST_TYP), WAREHOUSES (XMLType), CATEGORIES_TAB
// (OF CATEGORY_TYP) and PURCHASEORDER (an XMLType table of XML DB).
//
// Tables that get fewer than 1,000 rows into the database holding the
// samples' rows ("fewer"), and as files from the schema without them:
// COUNTRIES, its key CHAR(2) whose 25 codes are letters, takes 351 of the 360 codes
// of a digit and a digit or capital; OE's INVENTORIES, whose key WAREHOUSE_ID
// NUMBER(3) gets a sequence of its own from the largest there (9), 990 (999
// from an empty table); ORDER_ITEMS one row refused, since its unique index
// (ORDER_ID, PRODUCT_ID) is not in the dictionary, so its pairs of parents
// are drawn as they come.
void tst_SampleSchemas::scriptsRunAndFill_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("refused");      // outside:follows
    QTest::addColumn<QString>("constraints");  // per type
    QTest::addColumn<QString>("declared");     // comments, sequences, views, identity columns
    QTest::addColumn<QString>("rows");         // per table after the scripts
    QTest::addColumn<QString>("view");         // a view and its rows then
    QTest::addColumn<QString>("fewer");
    QTest::addColumn<QString>("fewerInFiles");
    QTest::addColumn<int>("checksLeftOut");  // CHECKs PostgreSQL cannot take
    QTest::newRow("HR") << u"HR"_s << u"0:0"_s << u"C:15;P:7;R:10;U:1"_s << u"42,3,1,0"_s
                        << u"COUNTRIES:25;DEPARTMENTS:27;EMPLOYEES:107;JOBS:19;JOB_HISTORY:10;LOCATIONS:23;"
                           "REGIONS:5"_s
                        << u"EMP_DETAILS_VIEW:106"_s << u"COUNTRIES:351"_s << QString() << 0;
    QTest::newRow("CO") << u"CO"_s << u"0:0"_s << u"C:4;P:7;R:9;U:4"_s << u"54,6,4,6"_s
                        << u"CUSTOMERS:0;INVENTORY:0;ORDERS:0;ORDER_ITEMS:0;PRODUCTS:0;SHIPMENTS:0;STORES:0"_s
                        << u"PRODUCT_ORDERS:0"_s << QString() << QString() << 1;  // IS JSON
    QTest::newRow("SH") << u"SH"_s << u"1:0"_s << u"P:7;R:10"_s << u"88,0,3,0"_s
                        << u"CHANNELS:5;COSTS:3;COUNTRIES:35;CUSTOMERS:3;PRODUCTS:72;PROMOTIONS:3;SALES:3;"
                           "SUPPLEMENTARY_DEMOGRAPHICS:3;TIMES:3"_s
                        << u"CAL_MONTH_SALES_MV:3"_s << QString() << QString() << 0;
    QTest::newRow("OE") << u"OE"_s << u"75:704"_s << u"C:24;P:13;R:15;U:1"_s << u"72,4,9,0"_s
                        << u"COUNTRIES:25;DEPARTMENTS:27;EMPLOYEES:107;INVENTORIES:1112;JOBS:19;JOB_HISTORY:10;"
                           "LOCATIONS:23;ORDERS:105;ORDER_ITEMS:665;PRODUCT_DESCRIPTIONS:8640;PRODUCT_INFORMATION:288;"
                           "PROMOTIONS:2;REGIONS:5"_s
                        << u"PRODUCT_PRICES:17"_s << u"COUNTRIES:351;INVENTORIES:990;ORDER_ITEMS:999"_s << u"INVENTORIES:999"_s << 0;
}

void tst_SampleSchemas::scriptsRunAndFill()
{
    QFETCH(QString, sample);
    QFETCH(QString, refused);
    QFETCH(QString, constraints);
    QFETCH(QString, declared);
    QFETCH(QString, rows);
    QFETCH(QString, view);
    QFETCH(QString, fewer);
    QTemporaryDir dir;
    EngineDb db;
    QStringList others;
    const QMap<QString, int> counted = Refusals(Install(db, sample, dir.path()), &others);
    QVERIFY2(others.isEmpty(), qPrintable(others.join(u'\n')));
    QCOMPARE(u"%1:%2"_s.arg(counted.value(u"outside"_s)).arg(counted.value(u"follows"_s)), refused);
    QCOMPARE(db.text(u"SELECT CONSTRAINT_TYPE || ':' || count(*) FROM USER_CONSTRAINTS "
                     "WHERE STATUS = 'ENABLED' GROUP BY CONSTRAINT_TYPE ORDER BY 1"_s),
             constraints);
    // (comments on the columns of tables: OE has views of tables it lacks)
    QCOMPARE(db.text(u"SELECT (SELECT count(COMMENTS) FROM USER_TAB_COMMENTS) + (SELECT count(COMMENTS) FROM "
                     "USER_COL_COMMENTS WHERE TABLE_NAME IN (SELECT TABLE_NAME FROM USER_TABLES)), (SELECT count(*) FROM USER_SEQUENCES), (SELECT count(*) FROM USER_VIEWS), "
                     "(SELECT count(*) FROM USER_TAB_IDENTITY_COLS) FROM DUAL"_s),
             declared);
    const auto counts = [&] {
        QMap<QString, int> all;
        for (const QString& table : Tables(db))
            all[table] = db.text(u"SELECT count(*) FROM "_s + table).toInt();
        return all;
    };
    QMap<QString, int> expected = counts();
    QStringList before;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        before << it.key() + u':' + QString::number(it.value());
    QCOMPARE(before.join(u';'), rows);
    QCOMPARE(db.text(u"SELECT count(*) FROM "_s + view.section(u':', 0, 0)), view.section(u':', 1));

    QString report;
    const int status = AutoFill(db, 1000, {}, &report);
    QVERIFY2(status == (fewer.isEmpty() ? kovagenerate::AllCreated : kovagenerate::SomeRefused), qPrintable(report));
    const QMap<QString, int> made = Made(expected.keys(), 1000, fewer);
    for (auto it = expected.begin(); it != expected.end(); ++it)
        it.value() += made[it.key()];
    QCOMPARE(counts(), expected);
}

// The same as CSV files, written from the sample's schema without its rows
// (so that every foreign key draws from rows of the files, and every key
// holds 1,000 rows), loaded by psql
// into a PostgreSQL schema made from the engine's dictionary: tables, keys,
// unique keys and foreign keys; CHECKs PostgreSQL cannot take are left out.
void tst_SampleSchemas::filesLoadIntoTheServer()
{
    KOVA_NEED_SERVER();
    QFETCH(QString, sample);
    QFETCH(QString, fewerInFiles);
    QFETCH(int, checksLeftOut);
    QTemporaryDir dir;
    EngineDb db;
    Install(db, sample, dir.path());
    // (OE's views of the tables the engine refused are not read)
    for (const QStringList& view : db.rows(u"SELECT VIEW_NAME FROM USER_VIEWS"_s)) {
        if (ErrorOf([&] { db.rows(u"SELECT * FROM "_s + view[0] + u" WHERE 1 = 0"_s); }) != u"accepted"_s)
            db->DbExecuteSQL(u"DROP VIEW "_s + view[0]);
    }
    const SchemaDictionary schema = SchemaReader(*db.db.database, false).read();
    Empty(db, schema);
    const SchemaDictionary lowered = Lowered(schema);
    const TestDatabase server = OpenServerDatabase();
    for (const SchemaDictionary::Table& table : lowered.tables)
        server.database->DbExecuteSQL(ServerTypes(SchemaDdl::CreateTable(table, false)));
    QStringList checks;
    for (const SchemaDdl::Statement& statement : SchemaDdl::AfterTables(lowered)) {
        if (statement.kind != SchemaDdl::Statement::Kind::Constraint)
            continue;
        try {
            server.database->DbExecuteSQL(ServerDdl(statement.sql));
        } catch (const OraError& error) {
            QVERIFY2(statement.object.startsWith(u"check "_s), qPrintable(statement.sql + u'\n' + error.message()));
            checks << statement.sql;
        }
    }
    // OE's trigger that numbers the lines of each order, which the files leave
    // to it (its column is NULL there), as PL/pgSQL.
    if (sample == u"OE"_s)
        QCOMPARE(Psql(server.path, {u"-c"_s, u"CREATE FUNCTION insert_ord_line() RETURNS trigger LANGUAGE plpgsql AS $$ "
                                                "BEGIN SELECT COALESCE(MAX(line_item_id), 0) + 1 INTO NEW.line_item_id "
                                                "FROM order_items WHERE order_id = NEW.order_id; RETURN NEW; END $$; "
                                                "CREATE TRIGGER insert_ord_line BEFORE INSERT ON order_items FOR EACH "
                                                "ROW EXECUTE FUNCTION insert_ord_line()"_s}),
                 QString());
    if (!checks.isEmpty())
        qInfo("%lld CHECKs left out:\n%s", checks.size(), qPrintable(checks.join(u'\n')));
    QCOMPARE(checks.size(), checksLeftOut);

    const QString files = dir.filePath(u"files"_s);
    QString report;
    const int status = AutoFill(db, 1000, {u"--out"_s, files, u"--format"_s, u"csv"_s}, &report);
    QVERIFY2(status == (fewerInFiles.isEmpty() ? kovagenerate::AllCreated : kovagenerate::SomeRefused),
             qPrintable(report));
    QCOMPARE(Psql(server.path, {u"-f"_s, u"load-postgresql.sql"_s}, files), QString());
    const QMap<QString, int> made = Made(Tables(db), 1000, fewerInFiles);
    for (auto it = made.cbegin(); it != made.cend(); ++it)
        QCOMPARE(RowsText(QueryRows(*server.database, u"SELECT COUNT(*) FROM "_s + it.key())),
                 QString::number(it.value()));
}

QTEST_GUILESS_MAIN(tst_SampleSchemas)
#include "tst_SampleSchemas.moc"
