// label: core
// SQL*Plus's line rules without a database: which lines are commands, which
// make statements, how a first line goes on after "-", and how a script call
// reads its file and arguments.
#include "ScriptLines.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What the lines make, one entry per item: "NAME: arguments" for a command,
// "? line" for an unknown command, "SQL: text" for a statement, "/" to run
// the last again, ". text" for a statement kept without running; "@n" marks
// an item that began at line n other than its last.
QString Items(const QString& input)
{
    ScriptLines lines;
    QStringList items;
    const QStringList all = input.split(u'\n');
    for (qsizetype i = 0; i < all.size(); ++i) {
        const std::optional<ScriptLines::Item> item = lines.feed(all[i], int(i) + 1);
        if (!item)
            continue;
        QString text;
        switch (item->kind) {
        case ScriptLines::Item::Kind::Command:
            text = item->command->name + u": "_s + item->text;
            break;
        case ScriptLines::Item::Kind::Unknown:
            text = u"? "_s + item->text;
            break;
        case ScriptLines::Item::Kind::Statement:
            text = u"SQL: "_s + item->text;
            break;
        case ScriptLines::Item::Kind::Again:
            text = u"/"_s;
            break;
        case ScriptLines::Item::Kind::Kept:
            text = u". "_s + item->text;
            break;
        }
        if (item->line != i + 1)
            text += u" @"_s + QString::number(item->line);
        items.append(text);
    }
    if (const int began = lines.discard())
        items.append(u"unfinished @"_s + QString::number(began));
    return items.join(u" | "_s);
}

}  // namespace

class tst_ScriptLines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void items_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("items");
        const QString insert = u"INSERT INTO T VALUES (1);"_s;
        const QString ran = u"SQL: INSERT INTO T VALUES (1)"_s;
        auto row = [](const char* name, const QString& input, const QString& items) {
            QTest::newRow(name) << input << items;
        };
        // A command takes its own line, abbreviated as SQL*Plus allows, and never joins the statement after it.
        row("connect", u"CONNECT scott/tiger\n"_s + insert, u"CONNECT: scott/tiger | "_s + ran);
        row("abbreviations", u"conn a/b@c\ncol x format a9\nspo out.log\npro hi\nrem x\ndef a = 1\nundef a\nsho user\n"
                             "bre on x\ncomp sum of y on x\ntti 'T'\nbti off\ncl col\nacc v default 1\nho ls\nexec p\n"
                             "whenever sqlerror exit\nvar n number\nprint n\ndesc t\ntimi start\nsta f.sql\nr"_s,
            u"CONNECT: a/b@c | COLUMN: x format a9 | SPOOL: out.log | PROMPT: hi | REMARK: x | DEFINE: a = 1 | "
            "UNDEFINE: a | SHOW: user | BREAK: on x | COMPUTE: sum of y on x | TTITLE: 'T' | BTITLE: off | "
            "CLEAR: col | ACCEPT: v default 1 | HOST: ls | EXECUTE: p | WHENEVER: sqlerror exit | VARIABLE: n number | "
            "PRINT: n | DESCRIBE: t | TIMING: start | START: f.sql | RUN: "_s);
        row("sqlcl and symbols", u"LOAD sales sales.csv\nSET LOAD BATCH_ROWS 10\n!ls -l\n$dir\n@f a b\n@@g\nstore set x\nexit;"_s,
            u"LOAD: sales sales.csv | SET: LOAD BATCH_ROWS 10 | HOST: ls -l | HOST: dir | @: f a b | @@: g | "
            "STORE: set x | EXIT: ;"_s);
        // Words a statement begins with are no abbreviation; SET TRANSACTION, ROLE, CONSTRAINT(S) are SQL.
        row("sql, not commands", u"SET TRANSACTION READ ONLY;\nset role all;\nSET CONSTRAINTS ALL DEFERRED;\n"
                                 "SAVEPOINT a;\nDELETE FROM t;\nCALL p();\ncommit;\n(SELECT 1 FROM DUAL);"_s,
            u"SQL: SET TRANSACTION READ ONLY | SQL: set role all | SQL: SET CONSTRAINTS ALL DEFERRED | "
            "SQL: SAVEPOINT a | SQL: DELETE FROM t | SQL: CALL p() | SQL: commit | SQL: (SELECT 1 FROM DUAL)"_s);
        // An alternative quote (q'[...]', Nq'!...!' ...) holds quotes and ";".
        row("alternative quotes", u"INSERT INTO t VALUES (q'[it's; x]');\nSELECT Nq'!a;\n;'!' FROM d;\nSELECT q'<'>' FROM d;"_s,
            u"SQL: INSERT INTO t VALUES (q'[it's; x]') | SQL: SELECT Nq'!a;\n;'!' FROM d @2 | SQL: SELECT q'<'>' FROM d"_s);
        row("unknown command", u"ti on\n"_s + insert + u"\nsto set x"_s,
            u"? ti on | "_s + ran + u" | ? sto set x"_s);
        // A first line goes on after "-", inside quotes too; later lines keep theirs.
        row("command goes on", u"PROMPT a -\nb\nCOLUMN x -\n  HEADING y"_s, u"PROMPT: a b @1 | COLUMN: x HEADING y @3"_s);
        row("first line goes on", u"INSERT INTO t VALUES (1726-\n, 'Monitor'-\n, 'virtually-flat,-\nhigh')\n, 11);"_s,
            u"SQL: INSERT INTO t VALUES (1726 , 'Monitor' , 'virtually-flat, high')\n, 11) @1"_s);
        row("later lines keep the hyphen", u"SELECT 5\n- 2 -\n1 FROM DUAL;\nCOMMENT ON TABLE t IS\n'a -\nb';"_s,
            u"SQL: SELECT 5\n- 2 -\n1 FROM DUAL @1 | SQL: COMMENT ON TABLE t IS\n'a -\nb' @4"_s);
        row("comments do not go on", u"REM -----\n"_s + insert + u"\n-- note -\n"_s + insert + u"\nSELECT 1 --\nFROM DUAL;"_s,
            u"REMARK: ----- | "_s + ran + u" | "_s + ran + u" | SQL: SELECT 1 --\nFROM DUAL @5"_s);
        row("goes on past the end", u"PROMPT a -"_s, u"unfinished @1"_s);
        // ";" and "/" end a statement; "." ends it unrun; "/" alone runs the last again.
        row("ends", u"INSERT INTO t\nVALUES (';')\n.\n/\nBEGIN\n  NULL;\nEND;\n/\nINSERT INTO t\n"_s,
            u". INSERT INTO t\nVALUES (';') @1 | / | SQL: BEGIN\n  NULL;\nEND; @5 | unfinished @9"_s);
    }

    void items()
    {
        QFETCH(QString, input);
        QTEST(Items(input), "items");
    }

    void scriptCall_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("file and arguments") << u"f.sql v3 pw"_s << u"f.sql"_s << QStringList{u"v3"_s, u"pw"_s};
        QTest::newRow("quoted") << u"\"my dir/f.sql\" 'a b' \"it\"\"s\""_s << u"my dir/f.sql"_s
                                << QStringList{u"a b"_s, u"it\"s"_s};
        QTest::newRow("semicolon") << u"f;"_s << u"f"_s << QStringList{};
    }

    void scriptCall()
    {
        QFETCH(QString, text);
        const ScriptLines::ScriptCall call = ScriptLines::readScriptCall(text);
        QTEST(call.file, "file");
        QTEST(call.arguments, "arguments");
    }
};

QTEST_GUILESS_MAIN(tst_ScriptLines)
#include "tst_ScriptLines.moc"
