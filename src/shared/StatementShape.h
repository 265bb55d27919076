#pragma once
// A statement of a run (an INSERT or an UPDATE of one row) held once: its text
// with a "?" where each value goes, and the values. What the embedded engine
// runs and the statement history shows is the literal text rendered from it;
// what a server gets in a batch is the same text with the values bound.
#include <QString>
#include <QStringView>

#include <optional>

#include <vector>

namespace basKovaData {

// A number as SQL writes it: digits with an optional sign, point and exponent.
bool IsNumberLiteral(QStringView text);
// The text of a character literal ('a''b' gives a'b); none when `sql` is not
// one literal.
std::optional<QString> LiteralText(QStringView sql);

struct SqlValue {
    enum class Type : unsigned char { Number, Text, Null };
    Type type = Type::Null;
    // Number: the number as written; Text: the value itself, unquoted;
    // Null: how the literal text spells the keyword ("Null", "NULL").
    QString text;
};

class StatementShape {
public:
    // The text with a "?" at each value.
    const QString& text() const { return m_text; }
    const std::vector<SqlValue>& values() const { return m_values; }
    // Where the "?" of each value stands in text().
    const std::vector<qsizetype>& markers() const { return m_markers; }

    void clear();
    // Text that is part of the statement itself.
    void appendText(QStringView text) { m_text += text; }
    void appendText(QChar c) { m_text += c; }
    void appendNumber(QStringView digits);
    void appendTextValue(QString value);
    // A "?" and its value.
    void appendValue(SqlValue value);
    void appendNull(QStringView spelling);
    // TO_DATE(?,'YYYYMMDD HH24MISS') of a date text.
    void appendDate(QString dateText);
    // A value in SQL form: a number, a character literal, NULL or TO_DATE of
    // a date text become values; any other SQL text stays part of the
    // statement. Blanks around it stay in the text, as they were written.
    void appendSql(QStringView sql);
    // What appendSql makes of SQL text that has no blanks around it: the
    // value (`date` set when it stands in TO_DATE(?,'YYYYMMDD HH24MISS')),
    // or none for SQL text that stays part of the statement.
    static std::optional<SqlValue> ValueOfSql(QStringView sql, bool* date);
    // The shape as another statement of the same text: `text`, its `markers`
    // and `values`, one per marker, which are taken (the vector comes back
    // empty). A statement made row after row keeps its text this way.
    void reuseText(const QString& text, const std::vector<qsizetype>& markers, std::vector<SqlValue>& values);

    // The statement with every value written in: numbers as written,
    // character values between single quotes with quotes doubled.
    QString Literal() const;
    // Appends the literal of the values [first, first + count) of a list
    // that belongs to this shape's text (rows queued for one batch).
    static void AppendLiteral(QString& out, const QString& text, const std::vector<qsizetype>& markers,
                              const SqlValue* values);

private:
    void addMarker();

    QString m_text;
    std::vector<qsizetype> m_markers;
    std::vector<SqlValue> m_values;
};

// Whether two statement texts are the same; a text shared from row to row
// (see reuseText) is known to be at once.
inline bool SameText(const QString& a, const QString& b)
{
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

// A text as an SQL character literal: between single quotes, quotes doubled,
// so that a value such as O'Brien arrives as typed.
void AppendQuoted(QString& sql, QStringView text);

}  // namespace basKovaData
