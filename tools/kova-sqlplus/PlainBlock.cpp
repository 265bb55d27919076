#include "PlainBlock.h"

#include "engine/SqlLexer.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A part of the block's text between two ";" (or its start or end).
struct Piece {
    qsizetype begin = -1;  // its first character that is no blank and no comment
    qsizetype end = 0;     // its ";", or the end of the text
    int line = 0;          // the line of `begin`
    bool closed = false;   // a ";" ends it
};

bool IsWordAt(const QString& text, qsizetype at, QLatin1StringView word)
{
    const qsizetype end = at + word.size();
    return QStringView(text).mid(at, word.size()).compare(word, Qt::CaseInsensitive) == 0
           && (end >= text.size() || !(text.at(end).isLetterOrNumber() || text.at(end) == u'_'
                                        || text.at(end) == u'$' || text.at(end) == u'#'));
}

class Tokens {
public:
    explicit Tokens(const QString& sql) : m_tokens(ExpressionTokens(sql.toStdString())) {}

    bool empty() const { return m_tokens.empty(); }
    size_t size() const { return m_tokens.size(); }
    // The word (upper-cased) at `i`; empty for any other token.
    QString word(size_t i) const { return text(i, SqlToken::Kind::Word); }
    QString symbol(size_t i) const { return text(i, SqlToken::Kind::Symbol); }
    bool hasWord(QLatin1StringView word, size_t from = 0) const
    {
        for (size_t i = from; i < m_tokens.size(); ++i) {
            if (this->word(i) == word)
                return true;
        }
        return false;
    }

private:
    QString text(size_t i, SqlToken::Kind kind) const
    {
        if (i >= m_tokens.size() || m_tokens[i].kind != kind)
            return {};
        return QString::fromStdString(m_tokens[i].text);
    }

    std::vector<SqlToken> m_tokens;
};

// The construct of a statement of the block's body that needs PL/SQL; empty
// for a plain statement, whose kind goes into `kind`.
QString Construct(const Tokens& tokens, PlainBlock::Kind* kind)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        const QString symbol = tokens.symbol(i);
        if (symbol == ":"_L1 && tokens.symbol(i + 1) == "="_L1)
            return u"an assignment (:=)"_s;
        if (symbol.size() > 1 && symbol.startsWith(u':'))
            return u"a bind variable (%1)"_s.arg(symbol);
    }
    const QString verb = tokens.word(0);
    *kind = PlainBlock::Kind::Change;
    if (verb == "INSERT"_L1 || verb == "UPDATE"_L1 || verb == "DELETE"_L1 || verb == "MERGE"_L1) {
        for (size_t i = 1; i < tokens.size(); ++i) {
            if ((tokens.word(i) == "RETURNING"_L1 || tokens.word(i) == "RETURN"_L1) && tokens.hasWord("INTO"_L1, i))
                return u"RETURNING INTO"_s;
        }
        return {};
    }
    if (verb == "SAVEPOINT"_L1)
        return {};
    if (verb == "ROLLBACK"_L1) {
        if (!tokens.hasWord("TO"_L1))
            *kind = PlainBlock::Kind::Rollback;
        return {};
    }
    if (verb == "COMMIT"_L1) {
        *kind = PlainBlock::Kind::Commit;
        return {};
    }
    if (verb == "NULL"_L1 && tokens.size() == 1) {
        *kind = PlainBlock::Kind::Nothing;
        return {};
    }
    if (verb == "SELECT"_L1 || verb == "WITH"_L1)
        return u"SELECT INTO"_s;
    if (verb == "EXECUTE"_L1)
        return u"EXECUTE IMMEDIATE"_s;
    if (verb == "BEGIN"_L1 || verb == "DECLARE"_L1)
        return u"a block inside the block (%1)"_s.arg(verb);
    static const QStringList Keywords = {u"IF"_s,    u"CASE"_s,  u"LOOP"_s,   u"WHILE"_s,  u"FOR"_s,
                                         u"FORALL"_s, u"EXIT"_s,  u"CONTINUE"_s, u"GOTO"_s, u"RAISE"_s,
                                         u"RETURN"_s, u"OPEN"_s,  u"FETCH"_s,  u"CLOSE"_s,  u"PIPE"_s,
                                         u"PRAGMA"_s, u"EXCEPTION"_s};
    if (Keywords.contains(verb))
        return verb;
    if (tokens.symbol(0) == "<"_L1 && tokens.symbol(1) == "<"_L1)
        return u"a label (<<...>>)"_s;
    if (!verb.isEmpty()) {
        // name[.name...] alone or followed by its arguments: a call.
        QString name = verb;
        size_t i = 1;
        while (tokens.symbol(i) == "."_L1 && !tokens.word(i + 1).isEmpty()) {
            name += u'.' + tokens.word(i + 1);
            i += 2;
        }
        if (i == tokens.size() || tokens.symbol(i) == "("_L1)
            return u"a procedure call (%1)"_s.arg(name);
    }
    return u"the statement beginning with \"%1\""_s.arg(verb.isEmpty() ? tokens.symbol(0) : verb);
}

}  // namespace

std::optional<bool> PlainBlock::endsWithSlash(const QStringList& tokens)
{
    static const QStringList Modifiers = {u"OR"_s, u"REPLACE"_s, u"EDITIONABLE"_s, u"NONEDITIONABLE"_s,
                                          u"AND"_s, u"COMPILE"_s, u"RESOLVE"_s, u"NOFORCE"_s};
    static const QStringList Objects = {u"FUNCTION"_s, u"PROCEDURE"_s, u"PACKAGE"_s, u"TRIGGER"_s,
                                        u"TYPE"_s,     u"LIBRARY"_s,   u"JAVA"_s};
    if (tokens.isEmpty())
        return std::nullopt;
    if (tokens[0] != "CREATE"_L1)
        return isAnonymous(tokens);
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        if (!Modifiers.contains(tokens[i]))
            return Objects.contains(tokens[i]);
    }
    return std::nullopt;
}

bool PlainBlock::isAnonymous(const QStringList& tokens)
{
    return !tokens.isEmpty() && (tokens[0] == "BEGIN"_L1 || tokens[0] == "DECLARE"_L1);
}

QString PlainBlock::unsupported(const QString& what)
{
    return u"PL/SQL is not supported here: %1. Nothing of it is run."_s.arg(what);
}

PlainBlock::PlainBlock(const QString& text)
{
    enum class State { Code, Quote, Name, LineComment, BlockComment };
    State state = State::Code;
    QList<Piece> pieces;
    Piece piece;
    bool begun = false;  // BEGIN has been read
    int line = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < n ? text.at(i + 1) : QChar();
        if (c == u'\n')
            ++line;
        switch (state) {
        case State::Quote:
            // A doubled quote closes the literal and opens it again.
            if (c == u'\'')
                state = State::Code;
            continue;
        case State::Name:
            if (c == u'"')
                state = State::Code;
            continue;
        case State::LineComment:
            if (c == u'\n')
                state = State::Code;
            continue;
        case State::BlockComment:
            if (c == u'*' && next == u'/') {
                state = State::Code;
                ++i;
            }
            continue;
        case State::Code:
            break;
        }
        if (c == u'-' && next == u'-') {
            state = State::LineComment;
            ++i;
        } else if (c == u'/' && next == u'*') {
            state = State::BlockComment;
            ++i;
        } else if (c == u';') {
            piece.end = i;
            piece.closed = true;
            if (piece.begin >= 0)
                pieces.append(piece);
            piece = Piece();
        } else if (!c.isSpace()) {
            if (!begun) {
                if (!IsWordAt(text, i, "BEGIN"_L1)) {
                    if (IsWordAt(text, i, "DECLARE"_L1))
                        refuse(u"DECLARE"_s, line);
                    else
                        malformed(u"it does not begin with BEGIN"_s, line);
                    return;
                }
                begun = true;
                i += 4;
                continue;
            }
            if (piece.begin < 0) {
                piece.begin = i;
                piece.line = line;
            }
            if (c == u'\'')
                state = State::Quote;
            else if (c == u'"')
                state = State::Name;
        }
    }
    if (state == State::Quote || state == State::Name) {
        malformed(u"a quote is never closed"_s, line);
        return;
    }
    piece.end = n;
    if (piece.begin >= 0)
        pieces.append(piece);

    for (qsizetype p = 0; p < pieces.size(); ++p) {
        const Piece& part = pieces[p];
        const QString sql = text.mid(part.begin, part.end - part.begin).trimmed();
        const Tokens tokens(sql);
        if (tokens.word(0) == "END"_L1) {
            // END, or END and the block's label, closes the block; nothing may follow.
            if (!part.closed)
                malformed(u"its END has no \";\""_s, part.line);
            else if (tokens.size() > 2 || p + 1 < pieces.size())
                malformed(u"text follows its END"_s, part.line);
            return;
        }
        if (!part.closed)
            break;
        Kind kind = Kind::Change;
        const QString construct = tokens.empty() ? u"a statement that cannot be read"_s : Construct(tokens, &kind);
        if (!construct.isEmpty()) {
            refuse(construct, part.line);
            return;
        }
        m_statements.append(Statement{sql, kind, part.line});
    }
    malformed(u"it does not end with \"END;\""_s, line);
}

void PlainBlock::refuse(const QString& construct, int line)
{
    m_statements.clear();
    m_refusalLine = line;
    m_refusal = unsupported(u"%1 (line %2 of the block)"_s.arg(construct).arg(line + 1))
                + u" Between BEGIN and END this console runs only INSERT, UPDATE, DELETE, MERGE, COMMIT, "
                  "ROLLBACK, SAVEPOINT and NULL statements, one after the other."_s;
}

void PlainBlock::malformed(const QString& problem, int line)
{
    m_statements.clear();
    m_refusalLine = line;
    m_refusal = u"The block is not run: %1 (line %2 of the block)."_s.arg(problem).arg(line + 1);
}
