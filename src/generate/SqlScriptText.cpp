#include "generate/SqlScriptText.h"

#include "shared/StatementShape.h"

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using basKovaData::SqlValue;

// A quoted piece of a character value, quotes included, in UTF-8 bytes.
constexpr qsizetype PieceBytes = 1000;
// Past this many bytes a character value no longer fits a VARCHAR2 literal
// expression and goes as TO_CLOB pieces.
constexpr qsizetype VarcharBytes = 4000;

qsizetype Utf8Bytes(QChar c)
{
    const char16_t u = c.unicode();
    // A surrogate is half of a four-byte character.
    return u < 0x80 ? 1 : u < 0x800 || c.isSurrogate() ? 2 : 3;
}

qsizetype Utf8Bytes(QStringView text)
{
    qsizetype bytes = 0;
    for (const QChar c : text)
        bytes += Utf8Bytes(c);
    return bytes;
}

// The lines of one statement: a token starts a new line when the line would
// grow past ScriptLineBytes with it. Tokens hold no line break.
class ScriptLines {
public:
    explicit ScriptLines(QString& out) : m_out(out) {}
    void add(QStringView token)
    {
        if (token.isEmpty())
            return;
        const qsizetype bytes = Utf8Bytes(token);
        if (m_bytes > 0 && m_bytes + bytes > ScriptLineBytes) {
            m_out += u'\n';
            m_bytes = 0;
        }
        m_out += token;
        m_bytes += bytes;
    }
    // Statement text between values, cut before each " ," outside quotes so
    // that a row of many columns spreads over lines.
    void addText(QStringView text)
    {
        bool quoted = false;
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == u'\'')
                quoted = !quoted;
            else if (!quoted && i > start && text[i] == u' ' && i + 1 < text.size() && text[i + 1] == u',') {
                add(text.mid(start, i - start));
                start = i;
            }
        }
        add(text.mid(start));
    }

private:
    QString& m_out;
    qsizetype m_bytes = 0;
};

// A character value as quoted pieces joined with "||": line breaks as
// CHR(10) and CHR(13), pieces of at most PieceBytes, each piece a token.
void AddTextValue(ScriptLines& lines, QStringView text)
{
    const bool clob = Utf8Bytes(text) > VarcharBytes;
    bool first = true;
    QString token;
    const auto push = [&](QStringView part) {
        token.clear();
        if (!first)
            token += u"||"_s;
        token += part;
        lines.add(token);
        first = false;
    };
    QString piece;
    qsizetype pieceBytes = 0;
    const auto flushPiece = [&] {
        if (pieceBytes == 0)
            return;
        push((clob ? u"TO_CLOB("_s : QString()) + u'\'' + piece + u'\'' + (clob ? u")"_s : QString()));
        piece.clear();
        pieceBytes = 0;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n' || c == u'\r') {
            flushPiece();
            push(c == u'\n' ? u"CHR(10)" : u"CHR(13)");
            continue;
        }
        // A surrogate pair stays in one piece.
        const qsizetype units = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView unit = text.mid(i, units);
        const qsizetype bytes = (c == u'\'' ? 2 : 1) * Utf8Bytes(unit);
        if (pieceBytes + bytes + 2 > PieceBytes)
            flushPiece();
        if (c == u'\'')
            piece += c;
        piece += unit;
        pieceBytes += bytes;
        i += units - 1;
    }
    flushPiece();
    if (first)
        lines.add(u"''");
}

}  // namespace

void AppendScriptStatement(QString& out, const basKovaData::StatementShape& shape)
{
    ScriptLines lines(out);
    const QString& text = shape.text();
    qsizetype from = 0;
    for (std::size_t i = 0; i < shape.markers().size(); ++i) {
        const qsizetype marker = shape.markers()[i];
        lines.addText(QStringView(text).mid(from, marker - from));
        const SqlValue& value = shape.values()[i];
        if (value.type == SqlValue::Type::Text)
            AddTextValue(lines, value.text);
        else
            lines.add(value.text);
        from = marker + 1;
    }
    QStringView tail = QStringView(text).mid(from);
    while (!tail.isEmpty() && tail.back().isSpace())
        tail.chop(1);
    lines.addText(tail);
    out += u";\n"_s;
}

}  // namespace generate
