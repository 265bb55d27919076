#pragma once
// The console has no PL/SQL. What it does with blocks:
//
// - A block, and a CREATE FUNCTION, PROCEDURE, PACKAGE, TRIGGER, TYPE,
//   LIBRARY or JAVA, holds ";" at the ends of its lines: it is gathered up to
//   a line holding only "/". The CREATE statements then go to the database
//   like any other, which refuses or takes them.
// - An anonymous block (BEGIN ... END;) whose body is nothing but SQL
//   statements (INSERT, UPDATE, DELETE, MERGE, COMMIT, ROLLBACK, SAVEPOINT)
//   and NULL runs those statements one after the other, each on its own, as
//   install scripts that load rows in blocks need.
// - Any other block is refused as a whole, naming the first construct that
//   needs PL/SQL: DECLARE, an assignment, IF, LOOP, FOR, EXCEPTION, EXECUTE
//   IMMEDIATE, a nested block, SELECT INTO, RETURNING INTO, a procedure call
//   such as DBMS_OUTPUT.PUT_LINE ...
//
// The body is split at the ";" outside quotes, quoted names and comments.
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class PlainBlock {
public:
    enum class Kind {
        Change,    // sent to the database as it is (DML, SAVEPOINT, ROLLBACK TO)
        Commit,
        Rollback,
        Nothing,   // NULL
    };

    struct Statement {
        QString sql;
        Kind kind = Kind::Change;
        int line = 0;  // where it begins, counted from 0 at the block's first line
    };

    // Whether the statement that begins with `tokens` (upper-cased words and
    // symbols, comments left out) is gathered up to a "/" line; nothing
    // while its first tokens do not tell yet ("CREATE OR REPLACE").
    static std::optional<bool> endsWithSlash(const QStringList& tokens);
    // True for the tokens of an anonymous block: BEGIN or DECLARE first.
    static bool isAnonymous(const QStringList& tokens);
    // The message that refuses `what` for being PL/SQL.
    static QString unsupported(const QString& what);

    // Reads the text of an anonymous block (without its "/" line).
    explicit PlainBlock(const QString& text);

    // Why the block cannot run (empty when it can), and the line of the
    // block it names (from 0).
    const QString& refusal() const { return m_refusal; }
    int refusalLine() const { return m_refusalLine; }
    const QList<Statement>& statements() const { return m_statements; }

private:
    void refuse(const QString& construct, int line);
    void malformed(const QString& problem, int line);

    QList<Statement> m_statements;
    QString m_refusal;
    int m_refusalLine = 0;
};
