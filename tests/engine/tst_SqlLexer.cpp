// label: core
// The statement lexer: one statement per text, Oracle words rewritten, and the
// shared form of DML texts that differ only in their literals.
#include "engine/OracleTypes.h"
#include "engine/SqlLexer.h"

#include <QTest>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

LexedStatement Lex(const QString& sql)
{
    const QByteArray utf8 = sql.toUtf8();
    return LexStatement(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

}  // namespace

class tst_SqlLexer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void statements_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shared");
        QTest::addColumn<QStringList>("literals");
        QTest::addColumn<bool>("trailing");
        auto row = [](const char* name, const char* sql, const char* text, const char* shared,
                      QStringList literals, bool trailing) {
            QTest::newRow(name) << QString::fromUtf8(sql) << QString::fromUtf8(text) << QString::fromUtf8(shared)
                                << literals << trailing;
        };
        row("insert", "Insert into T Values(  12 ,'abc' ,Null ) ", "Insert into T Values(  12 ,'abc' ,Null ) ",
            "Insert into T Values(  ? ,? ,Null ) ", {QStringLiteral("12"), QStringLiteral("abc")}, false);
        row("doubled quote", "INSERT INTO T VALUES ('it''s')", "INSERT INTO T VALUES ('it''s')",
            "INSERT INTO T VALUES (?)", {QStringLiteral("it's")}, false);
        row("numbers", "UPDATE T SET A = -1.5e3, B = .5 WHERE K = 7", "UPDATE T SET A = -1.5e3, B = .5 WHERE K = 7",
            "UPDATE T SET A = -?, B = ? WHERE K = ?", {QStringLiteral("1.5e3"), QStringLiteral(".5"), QStringLiteral("7")}, false);
        row("identifier digits stay", "DELETE FROM T2 WHERE C1 = 'x'", "DELETE FROM T2 WHERE C1 = 'x'",
            "DELETE FROM T2 WHERE C1 = ?", {QStringLiteral("x")}, false);
        row("japanese", "INSERT INTO 商品 VALUES ('日本')", "INSERT INTO 商品 VALUES ('日本')",
            "INSERT INTO 商品 VALUES (?)", {QStringLiteral("日本")}, false);
        row("query is not shared", "SELECT 1 FROM T ORDER BY 1", "SELECT 1 FROM T ORDER BY 1", "", {}, false);
        row("insert select not shared", "INSERT INTO T SELECT 1 FROM U", "INSERT INTO T SELECT 1 FROM U", "", {}, false);
        row("parameters not shared", "DELETE FROM T WHERE A = :a AND B = 1", "DELETE FROM T WHERE A = :a AND B = 1", "", {}, false);
        row("blob literal not shared", "INSERT INTO T VALUES (X'0A')", "INSERT INTO T VALUES (X'0A')", "", {}, false);
        row("trailing semicolon", "DELETE FROM T WHERE A = 1 ; -- done", "DELETE FROM T WHERE A = 1 ",
            "DELETE FROM T WHERE A = ? ", {QStringLiteral("1")}, false);
        row("second statement", "DELETE FROM T; DROP TABLE U", "DELETE FROM T", "", {}, true);
        row("semicolon in literal", "INSERT INTO T VALUES ('a;b')", "INSERT INTO T VALUES ('a;b')",
            "INSERT INTO T VALUES (?)", {QStringLiteral("a;b")}, false);
        row("semicolon in quoted name", "DELETE FROM \"a;b\"", "DELETE FROM \"a;b\"", "", {}, false);
        row("semicolon in comment", "DELETE FROM T /* ; */ WHERE A = 'x'", "DELETE FROM T /* ; */ WHERE A = 'x'",
            "DELETE FROM T /* ; */ WHERE A = ?", {QStringLiteral("x")}, false);
        row("sysdate", "INSERT INTO T VALUES (SYSDATE, 'x')", "INSERT INTO T VALUES ((SYSDATE()), 'x')",
            "INSERT INTO T VALUES ((SYSDATE()), ?)", {QStringLiteral("x")}, false);
        row("sysdate column is kept", "SELECT T.SYSDATE FROM T", "SELECT T.SYSDATE FROM T", "", {}, false);
        row("minus", "SELECT A FROM T MINUS SELECT A FROM U", "SELECT A FROM T EXCEPT SELECT A FROM U", "", {}, false);
        row("unterminated quote", "DELETE FROM T WHERE A = 'x", "DELETE FROM T WHERE A = 'x", "", {}, false);
        row("quote that closes at the end", "DELETE FROM T WHERE A = 'x''", "DELETE FROM T WHERE A = 'x''", "", {}, false);
    }

    void statements()
    {
        QFETCH(QString, sql);
        QFETCH(QString, text);
        QFETCH(QString, shared);
        QFETCH(QStringList, literals);
        QFETCH(bool, trailing);
        const LexedStatement lexed = Lex(sql);
        QCOMPARE(lexed.trailingStatement, trailing);
        if (trailing)
            return;
        QCOMPARE(Q(lexed.text), text);
        QCOMPARE(Q(lexed.sharedText), shared);
        QStringList actual;
        for (const SqlLiteral& literal : lexed.literals)
            actual.append(Q(literal.text));
        QCOMPARE(actual, literals);
    }

    void emptyTexts_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("nothing") << QString();
        QTest::newRow("blanks") << QStringLiteral("  \r\n\t");
        QTest::newRow("comments") << QStringLiteral("-- a\n/* b */");
        QTest::newRow("semicolon") << QStringLiteral(";");
    }

    void emptyTexts()
    {
        QFETCH(QString, sql);
        QVERIFY(Lex(sql).empty());
    }

    void viewQueryText_data()
    {
        QTest::addColumn<QString>("create");
        QTest::addColumn<QString>("query");
        QTest::newRow("plain") << QStringLiteral("CREATE VIEW V AS SELECT 1 FROM DUAL") << QStringLiteral("SELECT 1 FROM DUAL");
        QTest::newRow("columns and as inside") << QStringLiteral("create view v (a, b) as\n  select x as a, y from t")
                                               << QStringLiteral("select x as a, y from t");
        QTest::newRow("quoted name") << QStringLiteral("CREATE VIEW \"AS\" AS SELECT 2") << QStringLiteral("SELECT 2");
        QTest::newRow("no as") << QStringLiteral("CREATE VIEW V") << QString();
    }

    void viewQueryText()
    {
        QFETCH(QString, create);
        QFETCH(QString, query);
        QCOMPARE(Q(ViewQueryText(create.toStdString())), query);
    }

    void declaredTypes_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("padded");
        using F = OracleColumnType::Family;
        QTest::newRow("varchar2") << QStringLiteral("varchar2 ( 20 )") << int(F::Character) << 20 << false;
        QTest::newRow("char") << QStringLiteral("CHAR(6)") << int(F::Character) << 6 << true;
        QTest::newRow("number") << QStringLiteral("NUMBER(10,2)") << int(F::Numeric) << 22 << false;
        QTest::newRow("date") << QStringLiteral("DATE") << int(F::Date) << 7 << false;
        QTest::newRow("datetime") << QStringLiteral("DATETIME") << int(F::Date) << 7 << false;
        QTest::newRow("raw") << QStringLiteral("RAW(16)") << int(F::Other) << 16 << false;
        QTest::newRow("garbage") << QStringLiteral("NUMBER(x,") << int(F::Numeric) << 22 << false;
    }

    void declaredTypes()
    {
        QFETCH(QString, declared);
        QFETCH(int, family);
        QFETCH(int, length);
        QFETCH(bool, padded);
        const OracleColumnType type = ParseDeclaredType(declared.toStdString());
        QCOMPARE(int(type.family), family);
        QCOMPARE(type.dataLength, length);
        QCOMPARE(type.blankPadded, padded);
    }
};

QTEST_GUILESS_MAIN(tst_SqlLexer)
#include "tst_SqlLexer.moc"
