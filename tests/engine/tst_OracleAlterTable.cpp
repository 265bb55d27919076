// label: engine
// A table changed after it was made, as Oracle's scripts change it: columns
// added beside out-of-line constraints, modified, dropped and renamed with
// what hangs on them, the table truncated; CHAR values compared
// blank-padded; synonyms, grants and deferred foreign keys in a file of one
// user.
#include "engine/SqliteEngine.h"
#include "support/EngineSupport.h"

#include <QTest>

#include <sqlite3.h>

using namespace kovatest;
using namespace Qt::StringLiterals;

namespace {

const QStringList Table = {
    u"CREATE TABLE t (id NUMBER, n NUMBER CONSTRAINT t_n_ck CHECK (n > 0), s VARCHAR2(10), f CHAR(3), "
    "CONSTRAINT t_pk PRIMARY KEY (id), CONSTRAINT t_ns_uk UNIQUE (n, s))"_s,
    u"CREATE INDEX t_n_ix ON t (n)"_s,
    u"COMMENT ON COLUMN t.n IS 'count'"_s,
    u"INSERT INTO t VALUES (1, 2, 'abc', 'M')"_s,
};

const QString Columns = u"SELECT COLUMN_NAME || ' ' || DATA_TYPE || ' ' || DATA_LENGTH || ' ' || NULLABLE "
                        "|| ' ' || nvl(DATA_DEFAULT, '-') FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'T' "
                        "ORDER BY COLUMN_ID"_s;

}  // namespace

class tst_OracleAlterTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void changed_data();
    void changed();
    void refusedWithRowsKept_data();
    void refusedWithRowsKept();
    void deferredForeignKeys();
    void ownTriggersFollowTheTable();
};

void tst_OracleAlterTable::changed_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("result");
    QTest::newRow("add beside constraints")
        << QStringList{u"ALTER TABLE t ADD (c VARCHAR2(5) DEFAULT 'x' NOT NULL, d NUMBER CHECK (d < 9))"_s,
                       u"ALTER TABLE t ADD e DATE"_s, u"INSERT INTO t (id, n, s, d) VALUES (2, 3, 'b', 4)"_s}
        << u"SELECT id, n, s, c, d FROM t ORDER BY id"_s << u"1,2,abc,x,[NULL];2,3,b,x,4"_s;
    QTest::newRow("modify one and a list")
        << QStringList{u"ALTER TABLE t MODIFY (s VARCHAR2(50) NOT NULL, n DEFAULT 7)"_s,
                       u"ALTER TABLE t MODIFY f NULL"_s, u"ALTER TABLE t MODIFY id DEFAULT 0"_s}
        << Columns << u"ID NUMBER 22 N 0;N NUMBER 22 Y 7;S VARCHAR2 50 N -;F CHAR 3 Y -"_s;
    QTest::newRow("modify keeps rows, keys and comments")
        << QStringList{u"ALTER TABLE t MODIFY (s VARCHAR2(3), f VARCHAR2(3))"_s}
        << u"SELECT (SELECT group_concat(CONSTRAINT_NAME) FROM (SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS "
           "ORDER BY 1)), (SELECT COMMENTS FROM USER_COL_COMMENTS WHERE COMMENTS IS NOT NULL), id, s, f FROM t"_s
        << u"T_NS_UK,T_N_CK,T_PK,count,1,abc,M  "_s;
    QTest::newRow("CHAR values padded to a new length")
        << QStringList{u"ALTER TABLE t MODIFY (f CHAR(5), s CHAR(4))"_s} << u"SELECT length(f), length(s) FROM t"_s
        << u"5,4"_s;
    QTest::newRow("not null after values")
        << QStringList{u"ALTER TABLE t MODIFY s NOT NULL"_s}
        << u"SELECT NULLABLE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'T' AND COLUMN_NAME = 'S'"_s << u"N"_s;
    // A dropped column takes its own constraints, indexes and comment; the
    // table's rows and the checks of later inserts stay right.
    QTest::newRow("drop column")
        << QStringList{u"ALTER TABLE t DROP COLUMN f"_s, u"ALTER TABLE t DROP CONSTRAINT t_ns_uk"_s,
                       u"ALTER TABLE t DROP (n)"_s, u"INSERT INTO t VALUES (2, 'de')"_s}
        << u"SELECT (SELECT group_concat(CONSTRAINT_NAME) FROM USER_CONSTRAINTS), (SELECT count(*) FROM "
           "sqlite_master WHERE type = 'index' AND sql IS NOT NULL), (SELECT count(*) FROM USER_COL_COMMENTS "
           "WHERE COMMENTS IS NOT NULL), group_concat(id || s, '') FROM t"_s
        << u"T_PK,0,0,1abc2de"_s;
    QTest::newRow("cascade constraints")
        << QStringList{u"ALTER TABLE t DROP COLUMN s CASCADE CONSTRAINTS"_s, u"ALTER TABLE t SET UNUSED (f)"_s}
        << u"SELECT group_concat(CONSTRAINT_NAME) FROM (SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS ORDER BY 1)"_s
        << u"T_N_CK,T_PK"_s;
    QTest::newRow("rename keeps the comment and the check's spelling")
        << QStringList{u"ALTER TABLE t RENAME COLUMN n TO amount"_s, u"INSERT INTO t VALUES (2, 5, 'x', 'F')"_s}
        << u"SELECT COLUMN_NAME || ':' || COMMENTS || ':' || (SELECT SEARCH_CONDITION FROM USER_CONSTRAINTS "
           "WHERE CONSTRAINT_NAME = 'T_N_CK') FROM USER_COL_COMMENTS WHERE COMMENTS IS NOT NULL"_s
        << u"AMOUNT:count:amount > 0"_s;
    QTest::newRow("truncate")
        << QStringList{u"TRUNCATE TABLE t DROP STORAGE"_s, u"INSERT INTO t VALUES (5, 1, 'a', 'F')"_s,
                       u"TRUNCATE TABLE hr.t REUSE STORAGE"_s}
        << u"SELECT count(*) FROM t"_s << u"0"_s;
    // CHAR compares blank-padded with a literal and with CHAR: in a CHECK,
    // =, IN, a key and a join.
    QTest::newRow("char padded")
        << QStringList{u"CREATE TABLE c (flag CHAR(2) CHECK (flag IN ('M', 'F')), st CHAR(8) PRIMARY KEY)"_s,
                       u"CREATE TABLE d (st NCHAR(10))"_s, u"INSERT INTO c VALUES ('M', 'ACTIVE')"_s,
                       u"INSERT INTO d VALUES ('ACTIVE')"_s}
        << u"SELECT (SELECT count(*) FROM c WHERE st = 'ACTIVE' AND flag IN ('M')), (SELECT count(*) FROM c "
           "JOIN d ON c.st = d.st), (SELECT count(*) FROM c WHERE flag = 'M ')"_s
        << u"1,1,1"_s;
    // One user holds the file: privileges and users change nothing; a
    // synonym reads its table, one of a missing object reads nothing.
    QTest::newRow("synonyms and grants")
        << QStringList{u"GRANT SELECT, INSERT ON t TO scott WITH GRANT OPTION"_s, u"REVOKE ALL ON t FROM scott"_s,
                       u"CREATE USER oe IDENTIFIED BY x DEFAULT TABLESPACE users QUOTA UNLIMITED ON users"_s,
                       u"CREATE ROLE app"_s, u"GRANT app TO oe"_s, u"ALTER USER oe ACCOUNT LOCK"_s,
                       u"DROP USER oe CASCADE"_s, u"CREATE PUBLIC SYNONYM tt FOR hr.t"_s,
                       u"CREATE OR REPLACE SYNONYM tt FOR t"_s, u"CREATE SYNONYM gone FOR nothing"_s,
                       u"CREATE SYNONYM old FOR t"_s, u"DROP SYNONYM old"_s}
        << u"SELECT (SELECT s FROM tt), (SELECT group_concat(name) FROM sqlite_master WHERE type = 'view')"_s
        << u"abc,tt"_s;
}

void tst_OracleAlterTable::changed()
{
    QFETCH(QStringList, statements);
    QFETCH(QString, query);
    QFETCH(QString, result);
    EngineDb db(Table + statements);
    QCOMPARE(db.text(query), result);
}

void tst_OracleAlterTable::refusedWithRowsKept_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("line");
    QTest::newRow("not null over nulls")
        << QStringList{u"INSERT INTO t (id, n) VALUES (2, 3)"_s} << u"ALTER TABLE t MODIFY (s NOT NULL)"_s
        << u"ORA-02296: cannot enable (T.S) - null values found"_s;
    QTest::newRow("multi-column constraint")
        << QStringList{} << u"ALTER TABLE t DROP COLUMN s"_s
        << u"ORA-12991: column is referenced in a multi-column constraint"_s;
    QTest::newRow("child")
        << QStringList{u"CREATE TABLE k (id NUMBER CONSTRAINT k_fk REFERENCES t)"_s} << u"TRUNCATE TABLE t"_s
        << u"ORA-02266: unique/primary keys in table referenced by enabled foreign keys"_s;
    QTest::newRow("shorter than a value")
        << QStringList{} << u"ALTER TABLE t MODIFY (n NUMBER, s VARCHAR2(2))"_s
        << u"ORA-01441: cannot decrease column length because some value is too big"_s;
    QTest::newRow("shorter CHAR")
        << QStringList{} << u"ALTER TABLE t MODIFY f CHAR(1)"_s
        << u"ORA-01441: cannot decrease column length because some value is too big"_s;
    QTest::newRow("trailing blanks count")
        << QStringList{u"UPDATE t SET s = 'abc   '"_s} << u"ALTER TABLE t MODIFY s CHAR(3)"_s
        << u"ORA-01441: cannot decrease column length because some value is too big"_s;
}

void tst_OracleAlterTable::refusedWithRowsKept()
{
    QFETCH(QStringList, before);
    QFETCH(QString, sql);
    QFETCH(QString, line);
    EngineDb db(Table + before);
    const QString schema = db.text(u"SELECT sql FROM sqlite_master ORDER BY name"_s);
    const QString rows = db.text(u"SELECT * FROM t ORDER BY id"_s);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(sql); }), line);
    QCOMPARE(db.text(u"SELECT sql FROM sqlite_master ORDER BY name"_s), schema);
    QCOMPARE(db.text(u"SELECT * FROM t ORDER BY id"_s), rows);
}

void tst_OracleAlterTable::deferredForeignKeys()
{
    EngineDb db({u"CREATE TABLE p (id NUMBER PRIMARY KEY)"_s,
                 u"CREATE TABLE ch (p_id NUMBER CONSTRAINT ch_fk REFERENCES p)"_s,
                 u"CREATE TABLE lazy (p_id NUMBER REFERENCES p INITIALLY DEFERRED DEFERRABLE, q_id NUMBER, "
                 "CONSTRAINT lazy_fk FOREIGN KEY (q_id) REFERENCES p DEFERRABLE INITIALLY DEFERRED ENABLE)"_s});
    db->engine().beginTransaction();
    db->DbExecuteSQL(u"SET CONSTRAINTS ALL DEFERRED"_s);
    db->DbExecuteSQL(u"INSERT INTO ch VALUES (1)"_s);
    db->DbExecuteSQL(u"INSERT INTO p VALUES (1)"_s);
    db->engine().commit();
    db->engine().beginTransaction();
    db->DbExecuteSQL(u"INSERT INTO lazy VALUES (2, 3)"_s);
    db->DbExecuteSQL(u"INSERT INTO p VALUES (2)"_s);
    db->DbExecuteSQL(u"INSERT INTO p VALUES (3)"_s);
    db->engine().commit();
    QCOMPARE(db.text(u"SELECT (SELECT count(*) FROM ch), (SELECT count(*) FROM lazy)"_s), u"1,1"_s);
    db->engine().beginTransaction();
    db->DbExecuteSQL(u"SET CONSTRAINT ch_fk IMMEDIATE"_s);
    QCOMPARE(ErrorOf([&] { db->DbExecuteSQL(u"INSERT INTO ch VALUES (9)"_s); }).left(9), u"ORA-02291"_s);
    db->engine().rollback();
    // A COMMIT that finds a deferred key broken rolls the transaction back.
    db->engine().beginTransaction();
    db->DbExecuteSQL(u"INSERT INTO p VALUES (4)"_s);
    db->DbExecuteSQL(u"INSERT INTO lazy VALUES (8, NULL)"_s);
    QCOMPARE(ErrorOf([&] { db->engine().commit(); }).left(34), u"ORA-02091: transaction rolled back"_s);
    QCOMPARE(db.text(u"SELECT (SELECT count(*) FROM p), (SELECT count(*) FROM lazy)"_s), u"3,1"_s);
}

// A trigger of the table's own (as SQLite keeps it) stays with the table
// that is made again.
void tst_OracleAlterTable::ownTriggersFollowTheTable()
{
    EngineDb db(Table + QStringList{u"CREATE TABLE log (v VARCHAR2(10))"_s});
    sqlite3* handle = dynamic_cast<SqliteEngine&>(db->engine()).handle();
    QCOMPARE(sqlite3_exec(handle, "CREATE TRIGGER t_s AFTER INSERT ON t BEGIN INSERT INTO log VALUES (NEW.s); END",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    db->DbExecuteSQL(u"ALTER TABLE t MODIFY (s VARCHAR2(20))"_s);
    db->DbExecuteSQL(u"ALTER TABLE t DROP COLUMN f"_s);
    db->DbExecuteSQL(u"INSERT INTO t VALUES (2, 3, 'kept')"_s);
    QCOMPARE(db.text(u"SELECT (SELECT group_concat(name) FROM sqlite_master WHERE type = 'trigger'), v FROM log"_s),
             u"t_s,kept"_s);
}

QTEST_GUILESS_MAIN(tst_OracleAlterTable)
#include "tst_OracleAlterTable.moc"
