#pragma once
// SQL*Plus's line rules, apart from running anything: which lines make a
// command and which a statement, and where each ends.
//
// - A line ending with "-" (blanks before it allowed) goes on in the next
//   line, the hyphen and the line break read as one blank, while the first
//   line of a command or statement is being read: "PROMPT a -" then "b"
//   prints "a b", and an INSERT whose first lines end with "-" reads as one
//   line. Once a statement has its first line, its lines are kept as they
//   are ("a -" then "b" subtracts). Comment lines (--, REM) never go on, and
//   neither does a line ending with "--".
// - That first line is a command when its first word is one of
//   SqlPlusCommands; it is then complete: a command never joins a statement.
//   A first word that is neither a command nor the first word of a SQL
//   statement is an unknown command, and the line is dropped.
// - Otherwise lines are gathered into a statement up to a line whose last
//   character outside quotes (alternative quotes q'[...]' too) and comments
//   is ";" (not part of the statement), or a line of "/" alone (which runs
//   the last statement again when nothing is gathered). A PL/SQL block (see
//   PlainBlock) ends with the "/" line only. A line of "." alone ends the
//   statement without running it.
// - A carriage return before the line break ends the line, unless the line
//   ends inside a literal that goes on: there it belongs to the value.
#include "SqlPlusCommands.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class ScriptLines {
public:
    struct Item {
        enum class Kind {
            Command,   // `command`, `text` its arguments
            Unknown,   // `text` the line
            Statement, // `text` the statement to run
            Again,     // "/" with nothing gathered
            Kept,      // "." ended `text` without running it
        };
        Kind kind = Kind::Statement;
        const SqlPlusCommands::Command* command = nullptr;
        QString text;
        int line = 0;  // the line it began at
    };

    // Takes the next line (its number in its source) and returns what it
    // completes, if anything.
    std::optional<Item> feed(const QString& line, int number);
    // Drops what is gathered; returns the line it began at, 0 when nothing
    // was.
    int discard();
    // Lines of a statement gathered so far (0 between statements).
    int pendingLines() const { return static_cast<int>(m_lines.size()); }
    // A first line goes on after a "-".
    bool continuing() const { return m_continued >= 0; }

    // A script call's text after "@", "@@" or START: the file (in double
    // quotes when it holds blanks) and its arguments (each in single or double
    // quotes, or up to a blank).
    struct ScriptCall {
        QString file;
        QStringList arguments;
    };
    static ScriptCall readScriptCall(const QString& text);
    // The words of a command's text, a word in single or double quotes
    // given without them (a quote doubled inside stands for one).
    static QStringList words(const QString& text);
    // The first tokens of a statement, blanks and comments skipped: words in
    // upper case, any other symbol on its own ("(SELECT" gives "(", "SELECT").
    static QStringList leadingTokens(const QString& sql);
    // A script's or data file's text: UTF-8 (with or without a byte order
    // mark), or code page 932 when the bytes are no UTF-8.
    static QString decode(const QByteArray& bytes);

private:
    std::optional<Item> firstLine(const QString& line, int number, bool carriageReturn);
    std::optional<Item> statementLine(QString line, bool carriageReturn);
    void clear();

    QString m_first;      // a first line that goes on, without its "-"
    int m_continued = -1;  // the line it began at
    QStringList m_lines;   // the statement being gathered
    int m_firstLine = 0;
    bool m_hasText = false;  // it holds more than blanks and comments
    bool m_inQuote = false;
    QChar m_quoteClose;  // in an alternative quote: its closing delimiter
    bool m_inIdentifier = false;
    bool m_inComment = false;
    // It ends only with "/" (a PL/SQL block); nothing while its first lines
    // do not tell.
    std::optional<bool> m_slashOnly;
};
