#pragma once
// What the console does when a SQL statement fails, as WHENEVER SQLERROR sets
// it, and the clause of EXIT, which WHENEVER SQLERROR EXIT shares:
//
//   WHENEVER SQLERROR EXIT [SUCCESS|FAILURE|WARNING|n|SQL.SQLCODE] [COMMIT|ROLLBACK]
//   WHENEVER SQLERROR CONTINUE [COMMIT|ROLLBACK|NONE]
//   EXIT [SUCCESS|FAILURE|WARNING|n|SQL.SQLCODE] [COMMIT|ROLLBACK]
//
// SQL*Plus's reference has EXIT without COMMIT or ROLLBACK commit, and has
// WHENEVER SQLERROR EXIT take the EXIT command's clause: both commit here too.
// CONTINUE alone neither commits nor rolls back (NONE). SUCCESS is 0, FAILURE
// 1, WARNING 2 and SQL.SQLCODE the ORA number of the statement that failed
// last. Without a code the session ends as the console's plain EXIT ends it:
// with 1 when a statement failed, else 0 (where SQL*Plus would end with
// SUCCESS), so that a failed script never reports success unasked.
#include <QString>
#include <QStringList>

#include <optional>

class SqlErrorAction {
public:
    enum class Transaction { None, Commit, Rollback };

    struct Exit {
        enum class Code { Unset, Fixed, SqlCode };
        Code code = Code::Unset;
        int value = 0;
        Transaction transaction = Transaction::Commit;

        // The exit status; none when no code was given. `sqlCode` is the ORA
        // number of the statement that failed last (0 when none did).
        std::optional<int> status(int sqlCode) const;
    };

    // Reads the words after EXIT (any case, a ";" at the end ignored); on a
    // word it does not know, a message into `error` and nothing returned.
    static std::optional<Exit> readExit(QStringList words, QString* error);

    // Takes the text after WHENEVER SQLERROR. Returns a message, and keeps the
    // action as it was, when the text is wrong.
    QString set(const QString& arguments);

    bool exits() const { return m_exits; }
    const Exit& exit() const { return m_exit; }
    // What CONTINUE does with the transaction after a failed statement.
    Transaction onContinue() const { return m_continue; }

private:
    bool m_exits = false;
    Exit m_exit;
    Transaction m_continue = Transaction::None;
};
