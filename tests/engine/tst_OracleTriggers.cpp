// label: engine
// Row triggers that fill columns on the embedded engine: what the rows hold
// after INSERT and UPDATE, how the triggers are listed, disabled, dropped
// and kept in the file; materialized views and dimensions as accepted.
#include "support/EngineSupport.h"

#include "shared/StatementShape.h"

#include <QTest>

using namespace kovatest;
using namespace Qt::StringLiterals;

namespace {

const QStringList Schema = {
    u"CREATE TABLE item (id NUMBER(6) NOT NULL, name VARCHAR2(20), qty NUMBER(4), kind VARCHAR2(10), "
    "changed NUMBER(4), made DATE, CONSTRAINT item_pk PRIMARY KEY (id))"_s,
    u"CREATE SEQUENCE item_seq"_s,
};

const QString KeyTrigger = u"CREATE OR REPLACE TRIGGER item_trg BEFORE INSERT ON item FOR EACH ROW BEGIN "
                           "IF :NEW.id IS NULL THEN SELECT item_seq.NEXTVAL INTO :NEW.id FROM DUAL; END IF; "
                           ":NEW.made := current_date; END;"_s;

QString Trigger(const QString& header, const QString& body)
{
    return u"CREATE OR REPLACE TRIGGER item_trg BEFORE "_s + header + u" BEGIN "_s + body + u" END;"_s;
}

}  // namespace

class tst_OracleTriggers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rows_data();
    void rows();
    void refused_data();
    void refused();
    void listedAndKept();
    void boundRows();
};

void tst_OracleTriggers::rows_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");
    const QString ids = u"SELECT id FROM item ORDER BY name"_s;
    const QString kinds = u"SELECT kind FROM item ORDER BY id"_s;
    const QString kindRow = Trigger(u"INSERT ON item FOR EACH ROW"_s, u":NEW.kind := 'k';"_s);
    const QString one = u"INSERT INTO item (id, name) VALUES (1, 'a')"_s;

    QTest::newRow("key filled when NULL, NEXTVAL only then")
        << QStringList{KeyTrigger, u"INSERT INTO item (name) VALUES ('a')"_s,
                       u"INSERT INTO item (id, name) VALUES (10, 'b')"_s, u"INSERT INTO item (name) VALUES ('c')"_s}
        << u"SELECT id, CASE WHEN made IS NOT NULL THEN 'dated' END FROM item ORDER BY name"_s
        << u"1,dated;10,dated;2,dated"_s;
    QTest::newRow("all columns, no list")
        << QStringList{KeyTrigger, u"INSERT INTO item VALUES (NULL, 'a', 1, NULL, NULL, NULL)"_s} << ids << u"1"_s;
    QTest::newRow("INSERT ... SELECT: each row")
        << QStringList{KeyTrigger, u"INSERT INTO item (name) SELECT 'p' FROM dual UNION ALL SELECT 'q' FROM dual"_s}
        << ids << u"1;2"_s;
    QTest::newRow("assignments in order")
        << QStringList{Trigger(u"INSERT ON item FOR EACH ROW"_s,
                               u":NEW.qty := 2; :NEW.qty := :NEW.qty * 10; :NEW.name := UPPER(:NEW.name) || :NEW.qty;"_s),
                       one}
        << u"SELECT name, qty FROM item"_s << u"A20,20"_s;
    QTest::newRow("IF, ELSIF, nested IF, ELSE")
        << QStringList{Trigger(u"INSERT ON item FOR EACH ROW"_s,
                               u"IF :NEW.qty > 100 THEN :NEW.kind := 'BIG'; ELSIF :NEW.qty > 10 THEN "
                               "IF :NEW.name = 'x' THEN :NEW.kind := 'MIDX'; ELSE :NEW.kind := 'MID'; END IF; "
                               "ELSE :NEW.kind := 'SMALL'; END IF;"_s),
                       u"INSERT INTO item (id, name, qty) VALUES (1, 'a', 500)"_s,
                       u"INSERT INTO item (id, name, qty) VALUES (2, 'x', 50)"_s,
                       u"INSERT INTO item (id, name, qty) VALUES (3, 'b', 50)"_s,
                       u"INSERT INTO item (id, name, qty) VALUES (4, 'c', 1)"_s}
        << kinds << u"BIG;MIDX;MID;SMALL"_s;
    QTest::newRow("INSERT OR UPDATE, INSERTING, :OLD")
        << QStringList{Trigger(u"INSERT OR UPDATE ON item FOR EACH ROW"_s,
                               u"IF INSERTING THEN :NEW.kind := 'new'; ELSE :NEW.kind := 'upd'; "
                               ":NEW.changed := :OLD.qty; END IF;"_s),
                       u"INSERT INTO item (id, name, qty) VALUES (1, 'a', 5)"_s,
                       u"INSERT INTO item (id, name, qty) VALUES (2, 'b', 6)"_s,
                       u"UPDATE item SET qty = qty + 2 WHERE id = 1"_s}
        << u"SELECT id, qty, kind, changed FROM item ORDER BY id"_s << u"1,7,upd,5;2,6,new,[NULL]"_s;
    QTest::newRow("UPDATE OF a column")
        << QStringList{Trigger(u"UPDATE OF qty ON item FOR EACH ROW"_s, u":NEW.changed := :OLD.qty;"_s),
                       u"INSERT INTO item (id, name, qty) VALUES (1, 'a', 5)"_s, u"UPDATE item SET qty = 9"_s,
                       u"UPDATE item SET name = 'z'"_s}
        << u"SELECT name, qty, changed FROM item"_s << u"z,9,5"_s;
    QTest::newRow("WHEN with NEW")
        << QStringList{u"CREATE TRIGGER item_trg BEFORE INSERT ON item FOR EACH ROW WHEN (NEW.qty > 5) "
                       "BEGIN :NEW.kind := 'many'; END;"_s,
                       u"INSERT INTO item (id, qty) VALUES (1, 3)"_s, u"INSERT INTO item (id, qty) VALUES (2, 8)"_s}
        << kinds << u"[NULL];many"_s;
    QTest::newRow("DECLARE, SELECT INTO from the table")
        << QStringList{u"CREATE OR REPLACE TRIGGER item_trg BEFORE INSERT ON item FOR EACH ROW DECLARE n NUMBER; "
                       "BEGIN SELECT (NVL(MAX(qty),0)+1) INTO n FROM item WHERE name = :new.name; "
                       ":new.qty := n; END;"_s,
                       u"INSERT INTO item (id, name) VALUES (1, 'a')"_s, u"INSERT INTO item (id, name) VALUES (2, 'a')"_s,
                       u"INSERT INTO item (id, name) VALUES (3, 'b')"_s}
        << u"SELECT qty FROM item ORDER BY id"_s << u"1;2;1"_s;
    QTest::newRow("NEXTVAL into a variable, read once")
        << QStringList{u"CREATE TRIGGER item_trg BEFORE INSERT ON item FOR EACH ROW DECLARE n NUMBER; BEGIN "
                       "SELECT item_seq.NEXTVAL INTO n FROM dual; IF :NEW.id IS NULL THEN :NEW.id := n; "
                       "ELSE :NEW.qty := n; END IF; END;"_s,
                       u"INSERT INTO item (name) VALUES ('a')"_s, u"INSERT INTO item (id, name) VALUES (9, 'b')"_s}
        << u"SELECT id, qty FROM item ORDER BY name"_s << u"1,[NULL];9,2"_s;
    QTest::newRow("REFERENCING")
        << QStringList{Trigger(u"INSERT ON item REFERENCING NEW AS n OLD AS o FOR EACH ROW"_s, u":n.kind := 'ref';"_s),
                       one}
        << kinds << u"ref"_s;
    QTest::newRow("two triggers, in order")
        << QStringList{Trigger(u"INSERT ON item FOR EACH ROW"_s, u":NEW.qty := 3;"_s),
                       u"CREATE TRIGGER item_trg2 BEFORE INSERT ON item FOR EACH ROW BEGIN "
                       ":NEW.kind := 'q' || :NEW.qty; END;"_s,
                       one}
        << kinds << u"q3"_s;
    QTest::newRow("owner, quotes, EDITIONABLE, ALTER ... ENABLE")
        << QStringList{u"CREATE OR REPLACE EDITIONABLE TRIGGER \"SCOTT\".\"ITEM_TRG\" BEFORE INSERT ON \"SCOTT\".\"ITEM\" "
                       "FOR EACH ROW BEGIN :NEW.kind := 'k'; END;"_s,
                       u"ALTER TRIGGER \"SCOTT\".\"ITEM_TRG\" ENABLE"_s, one}
        << kinds << u"k"_s;
    QTest::newRow("replaced")
        << QStringList{Trigger(u"INSERT ON item FOR EACH ROW"_s, u":NEW.kind := 'old';"_s), kindRow, one}
        << kinds << u"k"_s;
    QTest::newRow("disabled, enabled")
        << QStringList{kindRow, u"ALTER TRIGGER item_trg DISABLE"_s, one, u"ALTER TRIGGER item_trg ENABLE"_s,
                       u"INSERT INTO item (id) VALUES (2)"_s}
        << kinds << u"[NULL];k"_s;
    QTest::newRow("created DISABLE")
        << QStringList{u"CREATE TRIGGER item_trg BEFORE INSERT ON item FOR EACH ROW DISABLE BEGIN "
                       ":NEW.kind := 'k'; END;"_s, one}
        << kinds << u"[NULL]"_s;
    QTest::newRow("ALTER TABLE ... DISABLE ALL TRIGGERS")
        << QStringList{kindRow, u"ALTER TABLE item DISABLE ALL TRIGGERS"_s, one} << kinds << u"[NULL]"_s;
    QTest::newRow("dropped") << QStringList{kindRow, u"DROP TRIGGER item_trg"_s, one} << kinds << u"[NULL]"_s;
    QTest::newRow("gone with its table")
        << QStringList{kindRow, u"DROP TABLE item"_s, Schema[0], one} << kinds << u"[NULL]"_s;
    QTest::newRow("materialized view and its log")
        << QStringList{u"CREATE MATERIALIZED VIEW LOG ON item WITH ROWID"_s,
                       u"CREATE MATERIALIZED VIEW item_mv BUILD IMMEDIATE REFRESH COMPLETE ON DEMAND "
                       "ENABLE QUERY REWRITE AS SELECT name, SUM(qty) AS total FROM item GROUP BY name"_s,
                       u"INSERT INTO item (id, name, qty) VALUES (1, 'a', 2)"_s,
                       u"INSERT INTO item (id, name, qty) VALUES (2, 'a', 3)"_s}
        << u"SELECT name, total FROM item_mv"_s << u"a,5"_s;
    QTest::newRow("materialized view dropped")
        << QStringList{u"CREATE MATERIALIZED VIEW item_mv AS SELECT name FROM item"_s,
                       u"DROP MATERIALIZED VIEW item_mv"_s}
        << u"SELECT count(*) FROM user_views"_s << u"0"_s;
    QTest::newRow("renamed column, trigger made again")
        << QStringList{kindRow, u"ALTER TABLE item RENAME COLUMN kind TO sort"_s,
                       Trigger(u"INSERT ON item FOR EACH ROW"_s, u":NEW.sort := 'k';"_s), one}
        << u"SELECT sort FROM item"_s << u"k"_s;
    QTest::newRow("MERGE: rows through the triggers")
        << QStringList{Trigger(u"INSERT OR UPDATE ON item FOR EACH ROW"_s,
                               u"IF INSERTING THEN :NEW.kind := 'i'; ELSE :NEW.kind := 'u'; END IF;"_s), one,
                       u"MERGE INTO item t USING (SELECT 1 id FROM dual UNION ALL SELECT 2 FROM dual) s ON (t.id = s.id)"
                       " WHEN MATCHED THEN UPDATE SET t.qty = 5 WHEN NOT MATCHED THEN INSERT (id) VALUES (s.id)"_s}
        << u"SELECT id, qty, kind FROM item ORDER BY id"_s << u"1,5,u;2,[NULL],i"_s;
    QTest::newRow("dimension made, dropped, made again")
        << QStringList{u"CREATE DIMENSION item_dim LEVEL item IS (item.id) LEVEL kind IS (item.kind) "
                       "HIERARCHY h (item CHILD OF kind) ATTRIBUTE item DETERMINES (item.name)"_s,
                       u"DROP DIMENSION item_dim"_s, u"CREATE DIMENSION item_dim LEVEL item IS item.id"_s}
        << u"SELECT count(*) FROM user_tables"_s << u"1"_s;
}

void tst_OracleTriggers::rows()
{
    QFETCH(QStringList, statements);
    QFETCH(QString, query);
    QFETCH(QString, expected);
    EngineDb db(Schema);
    for (const QString& statement : statements)
        QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(statement); }), u"accepted"_s);
    QCOMPARE(db.text(query), expected);
}

// Rows a trigger's table refuses as Oracle does, the table unchanged.
void tst_OracleTriggers::refused_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("before");  // run first
    const QString invalid = u"ORA-04098: trigger 'ITEM_TRG' is invalid and failed re-validation"_s;
    QTest::newRow("trigger of a renamed column")
        << u"INSERT INTO item (id, name) VALUES (2, 'b')"_s << invalid
        << QStringList{u"ALTER TABLE item RENAME COLUMN made TO born"_s};
    QTest::newRow("trigger of a dropped column")
        << u"MERGE INTO item t USING dual ON (t.id = 2) WHEN NOT MATCHED THEN INSERT (id) VALUES (2)"_s << invalid
        << QStringList{u"ALTER TABLE item DROP COLUMN made"_s};
    QTest::newRow("query of too many columns") << u"INSERT INTO item (name) SELECT name, qty FROM item"_s
                                               << u"ORA-00913: too many values"_s << QStringList{};
    QTest::newRow("query of too few columns") << u"INSERT INTO item SELECT id, name FROM item"_s
                                              << u"ORA-00947: not enough values"_s << QStringList{};
    QTest::newRow("too few values") << u"INSERT INTO item (name, qty) VALUES ('b')"_s
                                    << u"ORA-00947: not enough values"_s << QStringList{};
    QTest::newRow("no such column") << u"INSERT INTO item (nothing) VALUES (1)"_s
                                    << u"ORA-00904: \"NOTHING\": invalid identifier"_s << QStringList{};
}

void tst_OracleTriggers::refused()
{
    QFETCH(QString, sql);
    QFETCH(QString, line);
    QFETCH(QStringList, before);
    EngineDb db(Schema + QStringList{KeyTrigger, u"INSERT INTO item (name, qty) VALUES ('a', 1)"_s} + before);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(sql); }), line);
    QCOMPARE(db.text(u"SELECT id, name, qty FROM item"_s), u"1,a,1"_s);
}

void tst_OracleTriggers::listedAndKept()
{
    QTemporaryDir dir;
    {
        const TestDatabase db = OpenTestDatabase(
            dir, {Schema[0], Schema[1],
                  u"CREATE TRIGGER item_trg BEFORE INSERT OR UPDATE ON item FOR EACH ROW WHEN (NEW.id IS NULL) "
                  "BEGIN :NEW.id := item_seq.NEXTVAL; END;"_s,
                  u"CREATE TRIGGER item_trg2 BEFORE UPDATE ON item FOR EACH ROW BEGIN :NEW.kind := 'u'; END;"_s,
                  u"ALTER TRIGGER item_trg2 DISABLE"_s});
        QCOMPARE(RowsText(QueryRows(*db.database,
                                    u"SELECT TRIGGER_NAME, TRIGGER_TYPE, TRIGGERING_EVENT, TABLE_NAME, STATUS, "
                                    "WHEN_CLAUSE, TRIGGER_BODY FROM USER_TRIGGERS ORDER BY TRIGGER_NAME"_s)),
                 u"ITEM_TRG,BEFORE EACH ROW,INSERT OR UPDATE,ITEM,ENABLED,NEW.id IS NULL,"
                 "BEGIN :NEW.id := item_seq.NEXTVAL; END;;"
                 "ITEM_TRG2,BEFORE EACH ROW,UPDATE,ITEM,DISABLED,[NULL],BEGIN :NEW.kind := 'u'; END;"_s);
    }
    const TestDatabase again = OpenTestDatabase(dir, {u"INSERT INTO item (name) VALUES ('a')"_s,
                                                      u"UPDATE item SET name = 'b'"_s});
    QCOMPARE(RowsText(QueryRows(*again.database, u"SELECT id, name, kind FROM item"_s)), u"1,b,[NULL]"_s);
}

void tst_OracleTriggers::boundRows()
{
    EngineDb db(Schema + QStringList{KeyTrigger});
    db.db.session->DbBeginTrans();
    for (const char* name : {"a", "b"}) {
        basKovaData::StatementShape shape;
        shape.appendText(u"INSERT INTO item (name, qty) VALUES ("_s);
        shape.appendTextValue(QString::fromLatin1(name));
        shape.appendText(u", "_s);
        shape.appendNumber(u"7");
        shape.appendText(u")"_s);
        QCOMPARE(ErrorOf([&] { db->DbExecuteShape(shape); }), u"accepted"_s);
    }
    db.db.session->DbCommitTrans();
    QCOMPARE(db.text(u"SELECT id, name, qty FROM item ORDER BY id"_s), u"1,a,7;2,b,7"_s);
}

QTEST_GUILESS_MAIN(tst_OracleTriggers)
#include "tst_OracleTriggers.moc"
