#include "engine/ServerDialect.h"

#include "engine/SqlLexer.h"

using namespace Qt::StringLiterals;

namespace {

bool IsWord(const SqlToken& token, const char* word)
{
    return token.kind == SqlToken::Kind::Word && token.text == word;
}

QString NameText(const SqlToken& token)
{
    const QString text = QString::fromStdString(token.text);
    if (token.kind == SqlToken::Kind::QuotedName)
        return u"\""_s + QString(text).replace(u"\""_s, u"\"\""_s) + u"\""_s;
    return text;
}

// "ANALYZE TABLE [schema.]name COMPUTE|ESTIMATE STATISTICS ..." as PostgreSQL's
// "ANALYZE [schema.]name"; empty for any other statement.
QString PostgresAnalyze(const LexedStatement& lexed)
{
    const auto& head = lexed.head;
    const int count = lexed.headCount;
    if (count < 5 || !IsWord(head[0], "ANALYZE") || !IsWord(head[1], "TABLE"))
        return {};
    const auto isName = [](const SqlToken& token) {
        return token.kind == SqlToken::Kind::Word || token.kind == SqlToken::Kind::QuotedName;
    };
    if (!isName(head[2]))
        return {};
    QString name = NameText(head[2]);
    int next = 3;
    if (count >= 7 && head[3].kind == SqlToken::Kind::Symbol && head[3].text == "." && isName(head[4])) {
        name += u"."_s + NameText(head[4]);
        next = 5;
    }
    if (next + 1 >= count)
        return {};
    if (!(IsWord(head[next], "COMPUTE") || IsWord(head[next], "ESTIMATE")) || !IsWord(head[next + 1], "STATISTICS"))
        return {};
    return u"ANALYZE "_s + name;
}

}  // namespace

ServerKind ServerKindFromName(const QString& dbmsName)
{
    const QString name = dbmsName.trimmed();
    if (name.startsWith(u"Oracle"_s, Qt::CaseInsensitive))
        return ServerKind::Oracle;
    if (name.startsWith(u"PostgreSQL"_s, Qt::CaseInsensitive))
        return ServerKind::PostgreSQL;
    return ServerKind::Other;
}

QString ServerStatement(ServerKind kind, const QString& sql)
{
    const LexedStatement lexed = LexOneStatement(sql.toUtf8());
    if (kind == ServerKind::PostgreSQL) {
        const QString analyze = PostgresAnalyze(lexed);
        return analyze.isEmpty() ? QString::fromStdString(lexed.text) : analyze;
    }
    QString text = sql.trimmed();
    while (text.endsWith(QLatin1Char(';'))) {
        text.chop(1);
        text = text.trimmed();
    }
    return text;
}
