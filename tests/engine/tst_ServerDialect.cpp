// label: core
// What a server reached through ODBC receives: Oracle the program's text as
// written, PostgreSQL its own words for the few Oracle forms it lacks; and the
// connection string handed to the driver.
#include "engine/OdbcEngine.h"
#include "session/OraError.h"
#include "engine/ServerDialect.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ServerKind)

class tst_ServerDialect : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void statement_data();
    void statement();
    void kinds();
    void connectionString_data();
    void connectionString();
};

void tst_ServerDialect::statement_data()
{
    QTest::addColumn<ServerKind>("kind");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("sent");
    const auto oracle = ServerKind::Oracle;
    const auto pg = ServerKind::PostgreSQL;
    const QString analyze = u"ANALYZE TABLE 受注 COMPUTE STATISTICS"_s;
    QTest::newRow("oracle analyze unchanged") << oracle << analyze << analyze;
    QTest::newRow("oracle sysdate unchanged") << oracle << u"Insert into T Values( SYSDATE )"_s
                                              << u"Insert into T Values( SYSDATE )"_s;
    QTest::newRow("oracle terminator dropped") << oracle << u" SELECT 1 FROM DUAL ; "_s << u"SELECT 1 FROM DUAL"_s;
    QTest::newRow("other server unchanged") << ServerKind::Other << analyze << analyze;
    QTest::newRow("pg analyze") << pg << analyze << u"ANALYZE 受注"_s;
    QTest::newRow("pg analyze lower case, schema") << pg << u"analyze table app.w estimate statistics sample 5 percent"_s
                                                   << u"ANALYZE APP.W"_s;
    QTest::newRow("pg analyze quoted name") << pg << u"ANALYZE TABLE \"My\"\"T\" COMPUTE STATISTICS"_s
                                            << u"ANALYZE \"My\"\"T\""_s;
    QTest::newRow("pg analyze other form kept") << pg << u"ANALYZE TABLE W DELETE STATISTICS"_s
                                                << u"ANALYZE TABLE W DELETE STATISTICS"_s;
    QTest::newRow("pg sysdate") << pg << u"Insert into T Values( SYSDATE ,'SYSDATE' )"_s
                                << u"Insert into T Values( (SYSDATE()) ,'SYSDATE' )"_s;
    QTest::newRow("pg sysdate call kept") << pg << u"SELECT sysdate() FROM dual"_s << u"SELECT sysdate() FROM dual"_s;
    QTest::newRow("pg minus") << pg << u"SELECT A FROM T MINUS SELECT A FROM U"_s
                              << u"SELECT A FROM T EXCEPT SELECT A FROM U"_s;
    QTest::newRow("pg column named like a word") << pg << u"SELECT t.sysdate FROM t"_s << u"SELECT t.sysdate FROM t"_s;
}

void tst_ServerDialect::statement()
{
    QFETCH(ServerKind, kind);
    QFETCH(QString, sql);
    QTEST(ServerStatement(kind, sql), "sent");
}

void tst_ServerDialect::kinds()
{
    QCOMPARE(ServerKindFromName(u"Oracle"_s), ServerKind::Oracle);
    QCOMPARE(ServerKindFromName(u"PostgreSQL"_s), ServerKind::PostgreSQL);
    QCOMPARE(ServerKindFromName(u"Microsoft SQL Server"_s), ServerKind::Other);
    // Two statements never reach any server.
    for (const ServerKind kind : {ServerKind::Oracle, ServerKind::PostgreSQL})
        QVERIFY_THROWS_EXCEPTION(OraError, ServerStatement(kind, u"DELETE FROM T; DROP TABLE T"_s));
}

void tst_ServerDialect::connectionString_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("text");
    QTest::newRow("dsn") << u"ORCL"_s << u"scott"_s << u"tiger"_s << u"DSN=ORCL;UID=scott;PWD=tiger"_s;
    QTest::newRow("connection string") << u"Driver=X;Server=h;"_s << u"u"_s << u"p"_s
                                       << u"Driver=X;Server=h;UID=u;PWD=p"_s;
    QTest::newRow("semicolon in password") << u"ORCL"_s << u"scott"_s << u"ti;ger"_s
                                           << u"DSN=ORCL;UID=scott;PWD={ti;ger}"_s;
    QTest::newRow("brace in password") << u"ORCL"_s << u"scott"_s << u"a}b"_s << u"DSN=ORCL;UID=scott;PWD={a}}b}"_s;
    QTest::newRow("no password") << u"ORCL"_s << u"scott"_s << u""_s << u"DSN=ORCL;UID=scott"_s;
}

void tst_ServerDialect::connectionString()
{
    QFETCH(QString, service);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, text);
    QCOMPARE(OdbcEngine::ConnectionString(service, user, password), text);
    // QODBC puts "DSN=" back in front unless the text names a driver or server.
    const QString name = OdbcEngine::QodbcDatabaseName(text);
    const bool verbatim = text.contains(u"driver="_s, Qt::CaseInsensitive)
                          || text.contains(u"server="_s, Qt::CaseInsensitive);
    QCOMPARE(verbatim ? name : u"DSN="_s + name, text);
}

QTEST_GUILESS_MAIN(tst_ServerDialect)
#include "tst_ServerDialect.moc"
