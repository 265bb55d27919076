// label: engine
// 自動設定 on the embedded engine: the rule each kind of column gets, and
// 1,000-row runs into the demo schema and the test fixtures that meet no
// failure, also over rows already there; the order kova-generate runs files in.
#include "GenerateTool.h"
#include "SqlConsole.h"

#include "browser/AutoRules.h"
#include "browser/CheckConditions.h"
#include "browser/ColumnGrid.h"
#include "generate/CreationRun.h"
#include "rules/RuleEditing.h"
#include "support/EngineSupport.h"
#include "support/MaintainSupport.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using namespace kovatest;

namespace {

const QStringList Family{
    u"CREATE TABLE PARENT (ID NUMBER(6) PRIMARY KEY, CODE CHAR(6) UNIQUE, NAME VARCHAR2(20) NOT NULL)"_s,
    u"CREATE TABLE CHILD (ID NUMBER(6) PRIMARY KEY, PARENT_ID NUMBER(6) NOT NULL REFERENCES PARENT (ID), "
    "顧客名 VARCHAR2(20) NOT NULL, EMAIL VARCHAR2(40), ZIP CHAR(8), カナ VARCHAR2(30), AMOUNT NUMBER(7,2), "
    "NOTE VARCHAR2(4), BORN DATE, PHOTO RAW(4), QTY NUMBER(3))"_s,
    u"INSERT INTO PARENT VALUES (41, 'A00001', 'p')"_s,
    u"INSERT INTO PARENT VALUES (7, '000120', 'q')"_s};

// A junction table over two parents (2 x 4 keys), one combination taken.
const QStringList Junction{
    u"CREATE TABLE STORES (STORE_ID NUMBER(4) PRIMARY KEY)"_s, u"INSERT INTO STORES VALUES (1)"_s,
    u"INSERT INTO STORES VALUES (2)"_s, u"CREATE TABLE PRODUCTS (PRODUCT_ID NUMBER(4) PRIMARY KEY)"_s,
    u"INSERT INTO PRODUCTS SELECT 1 FROM DUAL UNION ALL SELECT 2 FROM DUAL UNION ALL SELECT 3 FROM DUAL "
    "UNION ALL SELECT 4 FROM DUAL"_s,
    u"CREATE TABLE STORES_PRODUCTS (STORE_ID NUMBER(4) REFERENCES STORES, PRODUCT_ID NUMBER(4) REFERENCES PRODUCTS, "
    "PRIMARY KEY (STORE_ID, PRODUCT_ID))"_s,
    u"INSERT INTO STORES_PRODUCTS VALUES (1, 3)"_s};

// Part of the sample shop schema, its CHECK constraints in the forms its
// script writes them, and one that no rule can follow.
const QStringList Shop{
    u"CREATE TABLE CUSTOMERS (CUSTOMER_ID NUMBER(6) PRIMARY KEY, EMAIL_ADDRESS VARCHAR2(255) NOT NULL "
    "CONSTRAINT CUSTOMERS_EMAIL_U UNIQUE, FULL_NAME VARCHAR2(255) NOT NULL)"_s,
    u"INSERT INTO CUSTOMERS VALUES (1, 'a@example.com', 'A')"_s,
    u"CREATE TABLE ORDERS (ORDER_ID NUMBER(8) PRIMARY KEY, ORDER_TMS DATE NOT NULL, CUSTOMER_ID NUMBER(6) NOT NULL "
    "REFERENCES CUSTOMERS, ORDER_STATUS VARCHAR2(10) NOT NULL CONSTRAINT orders_status_c CHECK ( order_status in\n"
    "  ( 'CANCELLED','COMPLETE','OPEN','PAID','REFUNDED','SHIPPED')), QUANTITY NUMBER(4) CHECK (Quantity BETWEEN 1 AND 50),"
    " DISCOUNT NUMBER(3,2) CHECK ((discount >= 0) AND (\"DISCOUNT\" < 0.5)), SHIPPED DATE,"
    " CONSTRAINT orders_shipped_c CHECK (shipped >= order_tms),"
    " CONSTRAINT orders_status_upper_c CHECK (upper(order_status) = order_status))"_s};

// A column's rule in short: kind, then what the kind keeps.
QString Shown(int column)
{
    const basKovaData::ColumnRule& rule = ColumnRules[std::size_t(column)];
    const QString kind = rule.RuleKind.trimmed();
    const auto numbers = [&rule](int n) {
        QStringList texts;
        for (int i = 0; i < n; ++i)
            texts << QString::number(rule.NumValue[std::size_t(i)], 'g', 10);
        return texts.join(u'/');
    };
    if (kind == u"3"_s)
        return rule.TypeText.trimmed().startsWith(u"DATE"_s) ? u"3 "_s + rule.TextValue[0].trimmed()
                                                              : u"3 "_s + numbers(2) + u" pad"_s + QString::number(int(basKovaData::PaddingOf(rule)));
    if (kind == u"2"_s)
        return rule.TypeText.trimmed().startsWith(u"DATE"_s)
                   ? u"2 "_s + rule.TextValue[0].trimmed() + u"/"_s + rule.TextValue[1].trimmed()
                   : u"2 "_s + numbers(3) + u" pad"_s + QString::number(int(basKovaData::PaddingOf(rule)));
    if (kind == u"4"_s)
        return u"4 "_s + basKovaData::JoinStatement(rule);
    if (kind == u"6"_s)
        return u"6 "_s + rule.TextValue[0].trimmed();
    if (kind == u"7"_s)
        return u"7 "_s + rule.Pattern;
    return kind + u" "_s + numbers(1);
}

// 自動設定 on `table`, its columns loaded first.
browser::AutoRulesResult Propose(OraDatabase* database, const QString& table)
{
    controls::GridModel grid;
    browser::FillColumnGrid(database, grid, table, true);
    return browser::ProposeRules(database, table);
}

// 自動設定 on `table`, then `rows` rows; the failures, or -1 when the run stopped.
int FillAfterAutoRules(OraDatabase* database, const QString& table, int rows)
{
    Propose(database, table);
    const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(table), rows);
    return result.aborted ? -1 : result.failures;
}

}  // namespace

class tst_AutoRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetProgramState(); }

    void proposals()
    {
        Connected db(Family);
        basKovaData::SetClock([] { return QDateTime(QDate(2026, 3, 1), QTime(9, 30)); });
        controls::GridModel grid;
        browser::FillColumnGrid(db.database(), grid, u"CHILD"_s, true);
        SetRule(u"QTY=0:5"_s);
        const browser::AutoRulesResult result = browser::ProposeRules(db.database(), u"CHILD"_s);
        QVERIFY(!result.failed);
        QCOMPARE(result.proposed, 10);
        QStringList shown;
        for (int j = 1; j <= basKovaData::ColumnCount; ++j)
            shown << ColumnRules[std::size_t(j)].ColumnName.trimmed() + u" "_s + Shown(j);
        QCOMPARE(shown, (QStringList{u"ID 3 1/1 pad0"_s, u"PARENT_ID 4 SELECT ID FROM PARENT ORDER BY ID"_s,
                                     u"顧客名 6 氏名"_s, u"EMAIL 6 メールアドレス"_s, u"ZIP 6 郵便番号"_s,
                                     u"カナ 6 氏名カナ"_s, u"AMOUNT 2 0/99999.99/0.01 pad0"_s, u"NOTE 2 1/9999/1 pad2"_s,
                                     u"BORN 2 20250301 000000/20260301 000000"_s, u"PHOTO 7 (?:[0-9A-F]{2}){4}"_s, u"QTY 0 5"_s}));

        // Keys and unique columns start after the values present; a parent
        // without rows is named. Of a character key only the values of digits
        // alone count ("1E3" is no number there).
        basKovaData::ExecuteSql(db.database(), u"INSERT INTO PARENT VALUES (8, '1E3', 'r')"_s);
        QVERIFY(Propose(db.database(), u"PARENT"_s).emptyParents.isEmpty());
        QCOMPARE((QStringList{Shown(1), Shown(2)}), (QStringList{u"3 42/1 pad0"_s, u"3 121/1 pad0"_s}));
        basKovaData::ExecuteSql(db.database(), u"DELETE FROM PARENT"_s);
        QCOMPARE(Propose(db.database(), u"CHILD"_s).emptyParents, QStringList{u"PARENT"_s});
        QCOMPARE(browser::EmptyParentTables(db.database(), u"CHILD"_s), QStringList{u"PARENT"_s});
    }

    // CHECK constraints bound the rules; 100 rows meet them. The generated
    // later date is left to the expression.
    void checkConstraints()
    {
        Connected db(Shop);
        const browser::AutoRulesResult result = Propose(db.database(), u"ORDERS"_s);
        QCOMPARE(result.unreadChecks, QStringList{u"ORDERS_STATUS_UPPER_C: upper(order_status) = order_status"_s});
        const basKovaData::ColumnRule& status = ColumnRules[4];
        QStringList values;
        for (int i = 0; i < basKovaData::RuleSlots; ++i)
            if (status.MultiOn[std::size_t(i)])
                values << status.TextValue[std::size_t(i)].trimmed();
        QCOMPARE(values, (QStringList{u"CANCELLED"_s, u"COMPLETE"_s, u"OPEN"_s, u"PAID"_s, u"REFUNDED"_s, u"SHIPPED"_s}));
        QVERIFY(status.RandomOrder && !status.Unique);
        QCOMPARE((QStringList{Shown(1), Shown(4), Shown(5), Shown(6), Shown(7)}),
                 (QStringList{u"3 1/1 pad0"_s, u"1 0"_s, u"2 1/50/1 pad0"_s, u"2 0/0.49/0.01 pad0"_s, u"8 0"_s}));
        QCOMPARE(ColumnRules[7].Expression, u"addDays(row.ORDER_TMS, randInt(1, 30))"_s);
        const generate::CreationResult run = generate::GenerateRows(basKovaData::TableRules::FromShared(u"ORDERS"_s), 100);
        QVERIFY(!run.aborted);
        QCOMPARE(run.failures, 0);
        // A unique column whose name asks for a dictionary takes it, none twice.
        Propose(db.database(), u"CUSTOMERS"_s);
        QCOMPARE((QStringList{Shown(1), Shown(2), Shown(3)}), (QStringList{u"3 2/1 pad0"_s, u"6 メールアドレス"_s, u"6 氏名"_s}));
        QCOMPARE((QList<bool>{ColumnRules[1].Unique, ColumnRules[2].Unique, ColumnRules[3].Unique}), (QList<bool>{false, true, false}));
    }

    // A thousand rows into every table, parents first, twice: the second time
    // over the rows of the first.
    void thousandRowsWithoutFailure_data()
    {
        QTest::addColumn<QStringList>("tables");
        QTest::newRow("demo schema") << QStringList{u"商品マスタ"_s, u"顧客"_s, u"受注"_s, u"操作ログ"_s};
        QTest::newRow("fixtures") << QStringList{u"PARENT"_s, u"CHILD"_s, u"ITEMS"_s, u"ORDERS"_s};
    }
    void thousandRowsWithoutFailure()
    {
        QFETCH(QStringList, tables);
        EngineDb db(Family + QStringList{
            u"CREATE TABLE ITEMS (CODE NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20) NOT NULL, PRICE NUMBER(10,2), "
            "KIND CHAR(1), ADDED DATE, LABEL NCHAR(2), PHOTO RAW(16), NOTE LONG)"_s,
            u"CREATE TABLE ORDERS (NO NUMBER(6), LINE NUMBER(3), QTY NUMBER(4), PRIMARY KEY (NO, LINE))"_s,
            u"INSERT INTO ORDERS VALUES (3, 999, 1)"_s});
        QString out;
        QTextStream stream(&out);
        SqlConsole(db.db.session, db.db.database, stream, stream).runScript(QStringLiteral(KOVA_SOURCE_DIR "/data/demo.sql"));
        basKovaData::OraSession = db.db.session;
        basKovaData::OraDatabase = db.db.database;
        for (int round = 1; round <= 2; ++round)
            for (const QString& table : tables)
                QVERIFY2(FillAfterAutoRules(db.operator->(), table, 1000) == 0, qPrintable(table));
        QCOMPARE(db.text(u"SELECT COUNT(*) FROM 受注"_s), tables.contains(u"受注"_s) ? u"2007"_s : u"7"_s);
        ReleaseSession();
    }

    // Foreign keys as real schemas have them: to a unique key, from a parent
    // without a primary key, over two columns, to the table itself, from a
    // junction table. No parent is named empty and no row is refused.
    void keysOfRealSchemas_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("schema");
        QTest::newRow("unique key") << u"C"_s << 5 << QStringList{
            u"CREATE TABLE P (ID NUMBER(4) PRIMARY KEY, CODE CHAR(6) UNIQUE)"_s, u"INSERT INTO P VALUES (1, 'A1')"_s,
            u"INSERT INTO P VALUES (2, NULL)"_s, u"INSERT INTO P VALUES (3, 'B2')"_s,
            u"CREATE TABLE C (ID NUMBER(4) PRIMARY KEY, P_CODE CHAR(6) NOT NULL REFERENCES P (CODE))"_s};
        QTest::newRow("parent without primary key") << u"EMP"_s << 5 << QStringList{
            u"CREATE TABLE JOBS (JOB_ID VARCHAR2(10) UNIQUE, JOB_TITLE VARCHAR2(35))"_s,
            u"INSERT INTO JOBS VALUES ('AD_PRES', 'President')"_s, u"INSERT INTO JOBS VALUES ('IT_PROG', 'Programmer')"_s,
            u"CREATE TABLE EMP (ID NUMBER(4) PRIMARY KEY, JOB_ID VARCHAR2(10) NOT NULL REFERENCES JOBS (JOB_ID))"_s};
        QTest::newRow("two columns") << u"SHIPMENT_LINES"_s << 6 << QStringList{
            u"CREATE TABLE ORDER_ITEMS (ORDER_ID NUMBER(6), LINE_ITEM_ID NUMBER(3), PRIMARY KEY (ORDER_ID, LINE_ITEM_ID))"_s,
            u"INSERT INTO ORDER_ITEMS VALUES (1, 1)"_s, u"INSERT INTO ORDER_ITEMS VALUES (1, 2)"_s,
            u"INSERT INTO ORDER_ITEMS VALUES (2, 1)"_s,
            u"CREATE TABLE SHIPMENT_LINES (ID NUMBER(6) PRIMARY KEY, ORDER_ID NUMBER(6) NOT NULL, LINE_ITEM_ID NUMBER(3) "
            "NOT NULL, FOREIGN KEY (ORDER_ID, LINE_ITEM_ID) REFERENCES ORDER_ITEMS)"_s};
        QTest::newRow("manager, empty table") << u"EMPLOYEES"_s << 5 << QStringList{
            u"CREATE TABLE EMPLOYEES (EMPLOYEE_ID NUMBER(6) PRIMARY KEY, LAST_NAME VARCHAR2(25) NOT NULL, "
            "MANAGER_ID NUMBER(6) REFERENCES EMPLOYEES)"_s};
        QTest::newRow("required parent, empty table") << u"CATEGORIES"_s << 5 << QStringList{
            u"CREATE TABLE CATEGORIES (CATEGORY_ID VARCHAR2(6) PRIMARY KEY, PARENT_ID VARCHAR2(6) NOT NULL REFERENCES CATEGORIES)"_s};
        QTest::newRow("required parent, rows present") << u"CATEGORIES"_s << 5 << QStringList{
            u"CREATE TABLE CATEGORIES (CATEGORY_ID NUMBER(4) PRIMARY KEY, PARENT_ID NUMBER(4) NOT NULL REFERENCES CATEGORIES)"_s,
            u"INSERT INTO CATEGORIES VALUES (7, 7)"_s};
        QTest::newRow("junction") << u"STORES_PRODUCTS"_s << 7 << Junction;
    }
    void keysOfRealSchemas()
    {
        QFETCH(QString, table);
        QFETCH(int, rows);
        QFETCH(QStringList, schema);
        Connected db(schema);
        const browser::AutoRulesResult proposed = Propose(db.database(), table);
        QCOMPARE(proposed.emptyParents, QStringList());
        QCOMPARE(proposed.proposed, int(basKovaData::ColumnCount));
        const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(table), rows);
        QVERIFY(!result.aborted);
        QCOMPARE(result.failures, 0);
    }

    // A column a row trigger fills when NULL, or always, gets the NULL rule
    // and is named; one it fills only on some other condition is not. The
    // rows take the trigger's keys.
    void triggerFilledColumns()
    {
        Connected db({u"CREATE TABLE ACTOR (ACTOR_ID NUMBER(6) NOT NULL PRIMARY KEY, NAME VARCHAR2(20) NOT NULL, "
                      "NOTE VARCHAR2(20), LAST_UPDATE DATE NOT NULL)"_s,
                      u"CREATE SEQUENCE ACTOR_SEQ"_s,
                      u"CREATE TRIGGER ACTOR_TRG BEFORE INSERT ON ACTOR FOR EACH ROW BEGIN IF :NEW.ACTOR_ID IS NULL "
                      "THEN SELECT ACTOR_SEQ.NEXTVAL INTO :NEW.ACTOR_ID FROM DUAL; END IF; IF :NEW.NAME = 'x' THEN "
                      ":NEW.NOTE := 'x'; END IF; :new.last_update := SYSDATE; END;"_s});
        const browser::AutoRulesResult proposed = Propose(db.database(), u"ACTOR"_s);
        QCOMPARE(proposed.triggerFilled, (QStringList{u"ACTOR_ID: filled by trigger ACTOR_TRG"_s,
                                                      u"LAST_UPDATE: filled by trigger ACTOR_TRG"_s}));
        QCOMPARE((QList<bool>{ColumnRules[1].storedKind() == basKovaData::Kind::Null,
                              ColumnRules[3].storedKind() == basKovaData::Kind::Null,
                              ColumnRules[4].storedKind() == basKovaData::Kind::Null}),
                 (QList<bool>{true, false, true}));
        const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(u"ACTOR"_s), 5);
        QCOMPARE(result.failures, 0);
        QCOMPARE(RowsText(QueryRows(*db.database(), u"SELECT MIN(ACTOR_ID), MAX(ACTOR_ID) FROM ACTOR"_s)), u"1,5"_s);
    }

    // A GENERATED ALWAYS identity column gets the NULL rule and is named,
    // one BY DEFAULT a key's sequence; the rows take the identity's values.
    void identityColumns_data()
    {
        QTest::addColumn<QString>("identity");
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<QString>("shown");
        const QStringList always{u"ID: generated always as identity"_s};
        QTest::newRow("as identity") << u"GENERATED AS IDENTITY"_s << always << u"5 0"_s;
        QTest::newRow("always") << u"GENERATED ALWAYS AS IDENTITY (START WITH 1)"_s << always << u"5 0"_s;
        QTest::newRow("by default") << u"GENERATED BY DEFAULT AS IDENTITY"_s << QStringList() << u"3 1/1 pad0"_s;
    }
    void identityColumns()
    {
        QFETCH(QString, identity);
        Connected db({u"CREATE TABLE T (ID NUMBER(6) %1 PRIMARY KEY, NAME VARCHAR2(10) NOT NULL)"_s.arg(identity)});
        const browser::AutoRulesResult proposed = Propose(db.database(), u"T"_s);
        QTEST(proposed.identityColumns, "named");
        QTEST(Shown(1), "shown");
        const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(u"T"_s), 3);
        QVERIFY(!result.aborted);
        QCOMPARE(result.failures, 0);
        QCOMPARE(RowsText(QueryRows(*db.database(), u"SELECT MIN(ID), MAX(ID), COUNT(*) FROM T"_s)), u"1,3,3"_s);
    }

    // A junction table tells how many rows find no new combination before
    // the run.
    void junctionShortfall()
    {
        Connected db(Junction + Family);
        QCOMPARE(browser::JunctionShortfall(db.database(), u"STORES_PRODUCTS"_s, 7), 0);
        QCOMPARE(browser::JunctionShortfall(db.database(), u"STORES_PRODUCTS"_s, 9), 2);
        QCOMPARE(browser::JunctionShortfall(db.database(), u"CHILD"_s, 9999), 0);
        // The foreign keys 自動設定 gives draw from every parent row, past
        // MaxDisplayRows.
        Propose(db.database(), u"STORES_PRODUCTS"_s);
        basKovaData::MaxDisplayRows = 5;
        QCOMPARE(browser::JunctionShortfall(db.database(), u"STORES_PRODUCTS"_s, 7), 0);
        // kova-generate says so before the run.
        basKovaData::MaxDisplayRows = basKovaData::DefaultMaxDisplayRows;
        const QString path = db.dir.filePath(u"sp.json"_s);
        WriteFile(path, R"({"kova-rules": 1, "table": "STORES_PRODUCTS", "rows": 9, "columns": [
            {"column": "STORE_ID", "kind": "select", "sql": "SELECT STORE_ID FROM STORES"},
            {"column": "PRODUCT_ID", "kind": "select", "sql": "SELECT PRODUCT_ID FROM PRODUCTS"}]})");
        QString out, err, error;
        QTextStream o(&out), e(&err);
        kovagenerate::Run(*kovagenerate::ParseArguments({u"scott/tiger@"_s + db.db.path, path}, &error), o, e, false);
        QVERIFY2(err.startsWith(u"STORES_PRODUCTS: the parents' keys give no new combination for 2 of the 9 rows"_s),
                 qPrintable(err));
        // Not when the same job fills a parent: its new keys are not there yet.
        const QString stores = db.dir.filePath(u"stores.json"_s);
        WriteFile(stores, R"({"kova-rules": 1, "table": "STORES", "rows": 2, "columns": [
            {"column": "STORE_ID", "kind": "sequence", "start": 3, "step": 1}]})");
        QString made, said;
        QTextStream m(&made), s(&said);
        kovagenerate::Run(*kovagenerate::ParseArguments({u"scott/tiger@"_s + db.db.path, path, stores}, &error), m, s, false);
        s.flush();
        QVERIFY2(made.startsWith(u"STORES: 2 rows created"_s) && !said.contains(u"no new combination"_s), qPrintable(said));
    }

    // The dictionary a column's name asks for: Latin names by whole words.
    void dictionaryForName_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("dictionary");
        const std::pair<const char*, const char*> rows[] = {
            {"HOTEL_NAME", ""}, {"CAPACITY", ""}, {"PREFIX", ""}, {"HOTEL_TEL", "電話番号"},
            {"PHONE_NUMBER", "電話番号"}, {"homePhone", "電話番号"}, {"TEL2", "電話番号"}, {"MOBILE_TEL", "携帯電話番号"},
            {"EMAIL", "メールアドレス"}, {"ZIP_CODE", "郵便番号"}, {"PREF_CD", "都道府県"}, {"CITY", "市区町村"},
            {"STREET_ADDRESS", "住所"}, {"LAST_NAME", "姓"}, {"firstName", "名"}, {"LAST_NAME_KANA", "姓カナ"},
            {"CUSTOMER_NAME", "氏名"}, {"NAME", "氏名"}, {"COMPANY_NAME", "会社名"}, {"顧客名", "氏名"},
            {"自宅電話番号", "電話番号"}, {"市区町村名", "市区町村"}, {"氏名カナ", "氏名カナ"}, {"ATTELIER", ""}};
        for (const auto& [column, dictionary] : rows)
            QTest::newRow(column) << QString::fromUtf8(column) << QString::fromUtf8(dictionary);
    }
    void dictionaryForName()
    {
        QFETCH(QString, column);
        QFETCH(QString, dictionary);
        QCOMPARE(browser::DictionaryForName(column), dictionary);
    }

    // A key that cannot hold the rows asked refuses the run before its first
    // row, naming the column, what it holds and the rows; kova-generate
    // --auto makes as many rows as the keys hold, into files and into the
    // table, says so and ends with 1.
    void keysThatFit_data()
    {
        QTest::addColumn<QStringList>("schema");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("made");
        QTest::addColumn<QString>("cut");  // what kova-generate says of it
        const QString table = u"CREATE TABLE T (ID %1 PRIMARY KEY, NAME VARCHAR2(10))"_s;
        QTest::newRow("NUMBER(2) key") << QStringList{table.arg(u"NUMBER(2)"_s)} << 100
            << u"キー項目 T.ID の桁数では 100件を作成できません。\nNUMBER(2) に入る連番は1から99件までです。"_s << 99
            << u"T: ID (NUMBER(2)) holds the keys 1 on: 99 of the 100 rows asked are made\n"_s;
        QTest::newRow("NUMBER(2) key after 40") << QStringList{table.arg(u"NUMBER(2)"_s), u"INSERT INTO T VALUES (40, 'x')"_s}
            << 100 << u"キー項目 T.ID の桁数では 100件を作成できません。\nNUMBER(2) に入る連番は41から59件までです。"_s << 59
            << u"T: ID (NUMBER(2)) holds the keys 41 on: 59 of the 100 rows asked are made\n"_s;
        QTest::newRow("NUMBER(4,2) key") << QStringList{table.arg(u"NUMBER(4,2)"_s)} << 100
            << u"キー項目 T.ID の桁数では 100件を作成できません。\nNUMBER(4.2) に入る連番は1から99件までです。"_s << 99
            << u"T: ID (NUMBER(4.2)) holds the keys 1 on: 99 of the 100 rows asked are made\n"_s;
        QTest::newRow("CHAR(1) key") << QStringList{table.arg(u"CHAR(1)"_s)} << 100
            << u"項目 T.ID の規則で作れる重複しない値は36件までのため、100件は作成できません。"_s << 36
            << u"T: ID (CHAR(1)) holds values that never repeat: 36 of the 100 rows asked are made\n"_s;
        QTest::newRow("unique NUMBER(1)")
            << QStringList{u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, SLOT NUMBER(1) UNIQUE)"_s} << 20
            << u"項目 T.SLOT の桁数では 20件を作成できません。\nNUMBER(1) に入る連番は1から9件までです。"_s << 9
            << u"T: SLOT (NUMBER(1)) holds the keys 1 on: 9 of the 20 rows asked are made\n"_s;
        QTest::newRow("NUMBER(3) key holds them") << QStringList{table.arg(u"NUMBER(3)"_s)} << 100 << QString() << 100
                                                   << QString();
        // Codes drawn at random find their last few values only by chance.
        QTest::newRow("CHAR(2) key") << QStringList{table.arg(u"CHAR(2)"_s)} << 2000
            << u"項目 T.ID の規則で作れる重複しない値は1296件までのため、2000件は作成できません。"_s << 1264
            << u"T: ID (CHAR(2)) holds values that never repeat: 1264 of the 2000 rows asked are made\n"_s;
        QTest::newRow("NUMBER(2,-1) key in steps of ten") << QStringList{table.arg(u"NUMBER(2,-1)"_s)} << 200
            << u"キー項目 T.ID の桁数では 200件を作成できません。\nNUMBER(2.-1) に入る連番は10から99件までです。"_s << 99
            << u"T: ID (NUMBER(2.-1)) holds the keys 10 on: 99 of the 200 rows asked are made\n"_s;
    }
    void keysThatFit()
    {
        QFETCH(QStringList, schema);
        QFETCH(int, rows);
        QFETCH(int, made);
        QFETCH(QString, cut);
        Connected db(schema);
        const auto count = [&db] { return RowsText(QueryRows(*db.database(), u"SELECT COUNT(*) FROM T"_s)).toInt(); };
        const int before = count();
        Propose(db.database(), u"T"_s);
        const generate::CreationResult refused = generate::GenerateRows(basKovaData::TableRules::FromShared(u"T"_s), rows);
        QTEST(refused.errorText, "refusal");
        QCOMPARE(refused.refused, !refused.errorText.isEmpty());
        QCOMPARE(count(), before + (refused.refused ? 0 : rows));
        basKovaData::ExecuteSql(db.database(), u"DELETE FROM T WHERE NAME IS NULL OR NAME <> 'x'"_s);
        const int status = made < rows ? kovagenerate::SomeRefused : kovagenerate::AllCreated;
        for (const QString& out : {db.dir.filePath(u"t.sql"_s), QString()}) {
            QString said, err, error;
            QTextStream o(&said), e(&err);
            QStringList args{u"scott/tiger@"_s + db.db.path, u"--auto"_s, u"T"_s, u"--rows"_s, QString::number(rows),
                             u"--seed"_s, u"9"_s};
            if (!out.isEmpty())
                args << u"--out"_s << out;
            QCOMPARE(kovagenerate::Run(*kovagenerate::ParseArguments(args, &error), o, e, false), status);
            e.flush();
            QCOMPARE(err, cut);
            QCOMPARE(said, u"T: %1 rows %2\n"_s.arg(made).arg(out.isEmpty() ? u"created, 0 refused"_s : u"written"_s));
        }
        QCOMPARE(count(), before + made);
    }

    // A CHECK that 自動設定 cannot read gives its columns that may be NULL
    // the NULL rule, and says so; a NOT NULL one keeps its rule, and the
    // message says its rows may be refused. So does kova-generate. LIKE
    // patterns, perhaps ORed with IS NULL, give the texts they match.
    void unreadChecks_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("refused");
        QTest::addColumn<QString>("said");
        const QString unread = u"instr(features, 'Trailers') > 0"_s;
        const QString like = u"features IS NULL OR features LIKE '%Trailers%' OR features LIKE 'Del%Scenes'"_s;
        QTest::newRow("unread, may be NULL") << QString() << unread << u"5 0"_s
            << u"次の検査制約は読めなかったため、NULLを許す項目にNULLを設定しました。\nFEATURES: FEATURES_C: "_s + unread << 0
            << u"T: FEATURES: NULL, as CHECK FEATURES_C: "_s + unread + u" is not read\n"_s;
        QTest::newRow("unread, NOT NULL") << u"NOT NULL"_s << unread << u"2 1/999999999/1 pad2"_s
            << u"次の検査制約は読めなかったため、規則に反映していません。作成する行は拒否されることがあります。\n"
               "FEATURES_C: "_s + unread << 20
            << u"T: CHECK FEATURES_C: "_s + unread + u" is not read: rows may be refused\n"_s;
        QTest::newRow("LIKE or NULL") << QString() << like << u"1 Trailers/DelScenes"_s << QString() << 0 << QString();
    }
    void unreadChecks()
    {
        QFETCH(QString, column);
        QFETCH(QString, condition);
        QFETCH(int, refused);
        Connected db({u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, FEATURES VARCHAR2(10) %1 CONSTRAINT FEATURES_C CHECK "
                      "(%2))"_s.arg(column, condition)});
        const browser::AutoRulesResult proposed = Propose(db.database(), u"T"_s);
        const basKovaData::ColumnRule& rule = ColumnRules[2];
        QStringList values;
        for (int i = 0; i < basKovaData::RuleSlots; ++i)
            if (rule.MultiOn[std::size_t(i)])
                values << rule.TextValue[std::size_t(i)].trimmed();
        QTEST(rule.storedKind() != basKovaData::Kind::Multiple ? Shown(2) : u"1 "_s + values.join(u'/'), "shown");
        QTEST(browser::CheckConditionsMessage(proposed.unreadChecks, proposed.partlyUsedChecks, proposed.nullForChecks),
              "message");
        const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(u"T"_s), 20);
        QCOMPARE(result.failures, refused);
        QString out, err, error;
        QTextStream o(&out), e(&err);
        kovagenerate::Run(*kovagenerate::ParseArguments({u"scott/tiger@"_s + db.db.path, u"--auto"_s, u"T"_s, u"--preview"_s,
                                                         u"1"_s}, &error), o, e, false);
        e.flush();
        QTEST(err, "said");
    }

    void numberRanges_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("shown");  // random from/to/unit
        QTest::addColumn<qint64>("beyond");  // inserting one step more: -1 refused
        QTest::newRow("whole") << u"NUMBER(3)"_s << u"2 0/999/1 pad0"_s << qint64(-1);
        QTest::newRow("two decimals") << u"NUMBER(5,2)"_s << u"2 0/999.99/0.01 pad0"_s << qint64(-1);
        QTest::newRow("decimals only") << u"NUMBER(2,2)"_s << u"2 0/0.99/0.01 pad0"_s << qint64(-1);
        QTest::newRow("scale beyond precision") << u"NUMBER(2,3)"_s << u"2 0/0.099/0.001 pad0"_s << qint64(-1);
        QTest::newRow("negative scale") << u"NUMBER(2,-1)"_s << u"2 0/990/10 pad0"_s << qint64(-1);
        QTest::newRow("no precision") << u"NUMBER"_s << u"2 0/99999/1 pad0"_s << qint64(1);
        // FLOAT(p) counts binary digits; none of these refuses a value.
        QTest::newRow("FLOAT(10)") << u"FLOAT(10)"_s << u"2 0/999/1 pad0"_s << qint64(1);
        QTest::newRow("FLOAT") << u"FLOAT"_s << u"2 0/99999.99/0.01 pad0"_s << qint64(1);
        QTest::newRow("BINARY_DOUBLE") << u"BINARY_DOUBLE"_s << u"2 0/99999.99/0.01 pad0"_s << qint64(1);
    }
    // A NUMBER column's random range covers every value the column holds: its
    // highest value is stored, one step more is refused.
    void numberRanges()
    {
        QFETCH(QString, type);
        Connected db({u"CREATE TABLE R (ID NUMBER(4) PRIMARY KEY, V %1)"_s.arg(type)});
        Propose(db.database(), u"R"_s);
        QTEST(Shown(2), "shown");
        const basKovaData::ColumnRule& rule = ColumnRules[2];
        QList<qint64> stored;
        for (const double value : {rule.NumValue[1], rule.NumValue[1] + rule.NumValue[2]})
            stored << basKovaData::ExecuteSql(db.database(), u"INSERT INTO R VALUES (%1, %2)"_s.arg(stored.size())
                                                                 .arg(QString::number(value, 'f', 6)));
        QFETCH(qint64, beyond);
        QCOMPARE(stored, (QList<qint64>{1, beyond}));
    }

    // Every type gets a rule, and 200 rows of a table whose columns are all
    // NOT NULL are kept, each value in the form its type holds.
    void everyTypeFilled_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("shape");  // of every value kept
        QTest::addColumn<bool>("fractions");  // some values with figures after the point
        const QString decimals = uR"(\d{1,5}(\.\d{1,2})?)"_s;
        QTest::newRow("NVARCHAR2") << u"NV"_s << uR"(\d{1,9})"_s << false;
        QTest::newRow("NCHAR") << u"NC"_s << uR"([\d ]{4})"_s << false;
        QTest::newRow("FLOAT(10)") << u"F"_s << uR"(\d{1,3})"_s << false;
        QTest::newRow("FLOAT") << u"F2"_s << decimals << true;
        QTest::newRow("BINARY_FLOAT") << u"BF"_s << decimals << true;
        QTest::newRow("BINARY_DOUBLE") << u"BD"_s << decimals << true;
        QTest::newRow("CLOB") << u"C"_s << uR"(\d{1,9})"_s << false;
        QTest::newRow("NCLOB") << u"NCL"_s << uR"(\d{1,9})"_s << false;
        QTest::newRow("LONG") << u"L"_s << uR"(\d{1,9})"_s << false;
        QTest::newRow("RAW(8)") << u"TEL"_s << u"[0-9A-F]{16}"_s << false;  // bytes, whatever the name
        QTest::newRow("BLOB") << u"B"_s << u"[0-9A-F]{64}"_s << false;
        QTest::newRow("INTERVAL YEAR TO MONTH") << u"YM"_s << uR"(\+0\d-(0\d|1[01]))"_s << false;
        QTest::newRow("INTERVAL DAY TO SECOND") << u"DS"_s << uR"(\+0\d ([01]\d|2[0-3]):[0-5]\d:[0-5]\d\.000000)"_s
                                                << true;
        QTest::newRow("TIMESTAMP WITH TIME ZONE") << u"TZ"_s << uR"(\d{4}/\d\d/\d\d)"_s << false;
    }
    void everyTypeFilled()
    {
        QFETCH(QString, column);
        QFETCH(QString, shape);
        QFETCH(bool, fractions);
        Connected db({u"CREATE TABLE TY (ID NUMBER(4) PRIMARY KEY, NV NVARCHAR2(10) NOT NULL, NC NCHAR(4) NOT NULL, "
                      "F FLOAT(10) NOT NULL, F2 FLOAT NOT NULL, BF BINARY_FLOAT NOT NULL, BD BINARY_DOUBLE NOT NULL, "
                      "C CLOB NOT NULL, NCL NCLOB NOT NULL, L LONG NOT NULL, TEL RAW(8) NOT NULL, B BLOB NOT NULL, "
                      "YM INTERVAL YEAR TO MONTH NOT NULL, DS INTERVAL DAY TO SECOND NOT NULL, "
                      "TZ TIMESTAMP WITH TIME ZONE NOT NULL)"_s});
        QCOMPARE(Propose(db.database(), u"TY"_s).proposed, 15);
        const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(u"TY"_s), 200);
        QVERIFY(!result.aborted);
        QCOMPARE(result.failures, 0);
        const QRegularExpression whole(QRegularExpression::anchoredPattern(shape));
        const QList<QStringList> values = QueryRows(*db.database(), u"SELECT %1 FROM TY"_s.arg(column));
        QCOMPARE(values.size(), 200);
        qsizetype withPoint = 0;
        for (const QStringList& value : values) {
            QVERIFY2(whole.match(value.value(0)).hasMatch(), qPrintable(value.value(0)));
            withPoint += value.value(0).contains(u'.');
        }
        QCOMPARE(withPoint > 0, fractions);
    }

    // kova-generate fills parents before their children whatever the order
    // of its files; a cycle keeps the order given and says so.
    void parentsFirst()
    {
        EngineDb db(Family + QStringList{u"CREATE TABLE A (ID NUMBER(4) PRIMARY KEY, B_ID NUMBER(4))"_s,
                                         u"CREATE TABLE B (ID NUMBER(4) PRIMARY KEY, A_ID NUMBER(4) REFERENCES A (ID))"_s,
                                         u"ALTER TABLE A ADD FOREIGN KEY (B_ID) REFERENCES B (ID)"_s});
        const auto file = [&db](const QString& table, const QString& columns) {
            const QString path = db.dir.filePath(table + u".json"_s);
            WriteFile(path, (u"{\"kova-rules\": 1, \"table\": \"%1\", \"rows\": 3, \"columns\": [%2]}"_s.arg(table, columns)).toUtf8());
            return path;
        };
        const QString child = file(u"CHILD"_s, u"{\"column\": \"ID\", \"kind\": \"sequence\", \"start\": 1, \"step\": 1},"
                                               " {\"column\": \"PARENT_ID\", \"kind\": \"select\", \"sql\": \"SELECT ID FROM PARENT\"},"
                                               " {\"column\": \"顧客名\", \"kind\": \"fixed\", \"value\": \"x\"}"_s);
        const QString parent = file(u"PARENT"_s, u"{\"column\": \"ID\", \"kind\": \"sequence\", \"start\": 100, \"step\": 1},"
                                                 " {\"column\": \"NAME\", \"kind\": \"fixed\", \"value\": \"p\"}"_s);
        const QString a = file(u"A"_s, u"{\"column\": \"ID\", \"kind\": \"sequence\", \"start\": 1, \"step\": 1},"
                                       " {\"column\": \"B_ID\", \"kind\": \"null\"}"_s);
        const QString b = file(u"B"_s, u"{\"column\": \"ID\", \"kind\": \"sequence\", \"start\": 1, \"step\": 1},"
                                       " {\"column\": \"A_ID\", \"kind\": \"null\"}"_s);
        QString error;
        const auto run = [&](const QStringList& files, QString* out, QString* err) {
            QTextStream o(out), e(err);
            return kovagenerate::Run(*kovagenerate::ParseArguments(QStringList{u"scott/tiger@"_s + db.db.path} + files, &error),
                                     o, e, false);
        };
        QString out, err;
        QCOMPARE(run({child, parent}, &out, &err), kovagenerate::AllCreated);
        QCOMPARE(out, u"PARENT: 3 rows created, 0 refused\nCHILD: 3 rows created, 0 refused\n"_s);
        out.clear();
        QCOMPARE(run({b, a}, &out, &err), kovagenerate::AllCreated);
        QCOMPARE(out, u"B: 3 rows created, 0 refused\nA: 3 rows created, 0 refused\n"_s);
        // A cycle of references that may be NULL is no cycle to the order.
        QCOMPARE(err, QString());
    }
};

QTEST_GUILESS_MAIN(tst_AutoRules)
#include "tst_AutoRules.moc"
