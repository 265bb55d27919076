#include "SqlErrorAction.h"

using namespace Qt::StringLiterals;

namespace {

QStringList Words(const QString& text)
{
    QString trimmed = text.trimmed();
    if (trimmed.endsWith(u';'))
        trimmed.chop(1);
    return trimmed.toUpper().simplified().split(u' ', Qt::SkipEmptyParts);
}

std::optional<SqlErrorAction::Transaction> TransactionWord(const QString& word, bool none)
{
    if (word == "COMMIT"_L1)
        return SqlErrorAction::Transaction::Commit;
    if (word == "ROLLBACK"_L1)
        return SqlErrorAction::Transaction::Rollback;
    if (none && word == "NONE"_L1)
        return SqlErrorAction::Transaction::None;
    return std::nullopt;
}

}  // namespace

std::optional<int> SqlErrorAction::Exit::status(int sqlCode) const
{
    switch (code) {
    case Code::Fixed:
        return value;
    case Code::SqlCode:
        return sqlCode;
    case Code::Unset:
        break;
    }
    return std::nullopt;
}

std::optional<SqlErrorAction::Exit> SqlErrorAction::readExit(QStringList words, QString* error)
{
    if (!words.isEmpty() && words.last().endsWith(u';')) {
        words.last().chop(1);
        if (words.last().isEmpty())
            words.removeLast();
    }
    Exit exit;
    qsizetype i = 0;
    if (i < words.size()) {
        const QString word = words[i].toUpper();
        bool number = false;
        const int value = word.toInt(&number);
        if (number || word == "SUCCESS"_L1 || word == "FAILURE"_L1 || word == "WARNING"_L1) {
            exit.code = Exit::Code::Fixed;
            exit.value = number ? value : word == "SUCCESS"_L1 ? 0 : word == "FAILURE"_L1 ? 1 : 2;
            ++i;
        } else if (word == "SQL.SQLCODE"_L1) {
            exit.code = Exit::Code::SqlCode;
            ++i;
        }
    }
    if (i < words.size()) {
        if (const auto transaction = TransactionWord(words[i].toUpper(), false)) {
            exit.transaction = *transaction;
            ++i;
        }
    }
    if (i < words.size()) {
        *error = u"EXIT takes [SUCCESS|FAILURE|WARNING|n|SQL.SQLCODE] [COMMIT|ROLLBACK]; \"%1\" is none of them"_s
                     .arg(words[i]);
        return std::nullopt;
    }
    return exit;
}

QString SqlErrorAction::set(const QString& arguments)
{
    const QStringList words = Words(arguments);
    const QString what = words.value(0);
    if (what == "EXIT"_L1) {
        QString error;
        const std::optional<Exit> exit = readExit(words.mid(1), &error);
        if (!exit)
            return u"WHENEVER SQLERROR "_s + error;
        m_exits = true;
        m_exit = *exit;
        return {};
    }
    if (what == "CONTINUE"_L1 && words.size() <= 2) {
        const auto transaction = words.size() == 2 ? TransactionWord(words[1], true) : Transaction::None;
        if (transaction) {
            m_exits = false;
            m_continue = *transaction;
            return {};
        }
    }
    return u"WHENEVER SQLERROR takes EXIT [SUCCESS|FAILURE|WARNING|n|SQL.SQLCODE] [COMMIT|ROLLBACK] "
           "or CONTINUE [COMMIT|ROLLBACK|NONE], not \"%1\"; what it did stays"_s.arg(arguments.trimmed());
}
