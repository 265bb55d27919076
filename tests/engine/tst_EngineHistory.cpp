// label: engine
// The statement history as V$SQL and V$SQLTEXT, read with the statements of the
// SQL history window.
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "engine/SqlHistory.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kovatest;

namespace {

const QString ListQuery = QStringLiteral(" SELECT HASH_VALUE,FIRST_LOAD_TIME,SQL_TEXT FROM V$SQL ");

QString PiecesQuery(const QString& hash)
{
    return QStringLiteral(" SELECT SQL_TEXT FROM V$SQLTEXT WHERE HASH_VALUE = ") + hash + QStringLiteral(" ")
           + QStringLiteral(" ORDER BY PIECE");
}

QDateTime At(int hour, int minute)
{
    return QDateTime(QDate(2001, 12, 10), QTime(hour, minute, 0));
}

}  // namespace

class tst_EngineHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }

    void newestFirstAndFilteredByLoadTime()
    {
        QTemporaryDir dir;
        QDateTime now = At(10, 0);
        basKovaData::SetClock([&now] { return now; });
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE 発注 (A NUMBER)")});
        now = At(11, 0);
        db.database->DbExecuteSQL(QStringLiteral("INSERT INTO 発注 VALUES (1)"));
        now = At(12, 30);
        db.database->DbExecuteSQL(QStringLiteral("DELETE FROM 発注 WHERE A = 5"));
        now = At(13, 0);

        const QList<QStringList> newest = QueryRows(*db.database, ListQuery + QStringLiteral(" ORDER BY FIRST_LOAD_TIME DESC"));
        QVERIFY(newest.size() >= 3);
        // The query itself is the newest statement.
        QCOMPARE(newest[0][1], QStringLiteral("2001-12-10/13:00:00"));
        QCOMPARE(newest[1][2], QStringLiteral("DELETE FROM 発注 WHERE A = 5"));
        QCOMPARE(newest[2][2], QStringLiteral("INSERT INTO 発注 VALUES (1)"));

        const QList<QStringList> filtered = QueryRows(
            *db.database, ListQuery + QStringLiteral(" WHERE SQL_TEXT Like '%発注%' AND FIRST_LOAD_TIME LIKE '2001-12-10/12%'"));
        QCOMPARE(filtered.size(), 1);
        QCOMPARE(filtered[0][2], QStringLiteral("DELETE FROM 発注 WHERE A = 5"));
        QCOMPARE(filtered[0][0], QString::number(SqlHistory::HashValue(filtered[0][2])));
    }

    void identicalTextsShareOneEntry()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE T (A NUMBER)")});
        for (int i = 0; i < 3; ++i)
            db.database->DbExecuteSQL(QStringLiteral("INSERT INTO T VALUES (7)"));
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT EXECUTIONS FROM V$SQL WHERE SQL_TEXT = 'INSERT INTO T VALUES (7)'")),
                 QList<QStringList>{{QStringLiteral("3")}});
    }

    void fullTextComesInPiecesOf64()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE T (A VARCHAR2(300))")});
        const QString longValue = QString(100, QLatin1Char('x')) + QString(50, QChar(0x65E5));
        const QString statement = QStringLiteral("INSERT INTO T VALUES ('") + longValue + QStringLiteral("')");
        db.database->DbExecuteSQL(statement);
        const QString hash = QString::number(SqlHistory::HashValue(statement));
        const QList<QStringList> pieces = QueryRows(*db.database, PiecesQuery(hash));
        QCOMPARE(pieces.size(), int((statement.size() + 63) / 64));
        QString joined;
        for (const QStringList& piece : pieces) {
            QVERIFY(piece[0].size() <= 64);
            joined += piece[0];
        }
        QCOMPARE(joined, statement);
        // V$SQL lists the first 1000 characters only.
        const QString huge = QStringLiteral("SELECT '") + QString(1200, QLatin1Char('y')) + QStringLiteral("' FROM DUAL");
        QueryRows(*db.database, huge);
        const QString hugeHash = QString::number(SqlHistory::HashValue(huge));
        const QList<QStringList> listed = QueryRows(*db.database, ListQuery + QStringLiteral(" WHERE HASH_VALUE = ") + hugeHash);
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed[0][2], huge.left(1000));
        QCOMPARE(QueryRows(*db.database, PiecesQuery(QStringLiteral("'abc'"))).size(), 0);
    }

    void historyIsBoundedLeastRecentlyUsedFirst()
    {
        SqlHistory history(3);
        history.record(QStringLiteral("a"));
        history.record(QStringLiteral("b"));
        history.record(QStringLiteral("c"));
        history.record(QStringLiteral("a"));  // used again: now the newest
        history.record(QStringLiteral("d"));  // drops b, the least recently used
        QStringList texts;
        for (const SqlHistory::Entry& entry : history.snapshot())
            texts.append(entry.text);
        QCOMPARE(texts, (QStringList{QStringLiteral("d"), QStringLiteral("a"), QStringLiteral("c")}));
    }

    void manyStatementsKeepTheLeastRecentlyUsedOrder()
    {
        // A simple list as the model: newest first, at most `capacity` texts.
        const int capacity = 37;
        SqlHistory history(capacity);
        QStringList model;
        QHash<QString, qint64> executions;
        quint32 state = 12345;
        for (int i = 0; i < 3000; ++i) {
            state = state * 1103515245u + 12345u;
            const QString text = QStringLiteral("INSERT INTO T VALUES (%1)").arg((state >> 16) % 90);
            history.record(text);
            if (model.removeOne(text)) {
                ++executions[text];
            } else {
                executions[text] = 1;
                if (model.size() == capacity)
                    executions.remove(model.takeLast());
            }
            model.prepend(text);
        }
        QCOMPARE(history.size(), capacity);
        QStringList texts;
        for (const SqlHistory::Entry& entry : history.snapshot()) {
            texts.append(entry.text);
            QCOMPARE(entry.hashValue, SqlHistory::HashValue(entry.text));
            QCOMPARE(entry.executions, executions.value(entry.text));
        }
        QCOMPARE(texts, model);
    }

    void wrongConditionIsAnError()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir);
        QVERIFY_THROWS_EXCEPTION(OraError, QueryRows(*db.database, ListQuery + QStringLiteral(" WHERE NOPE = 1")));
    }
};

QTEST_GUILESS_MAIN(tst_EngineHistory)
#include "tst_EngineHistory.moc"
