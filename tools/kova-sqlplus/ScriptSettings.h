#pragma once
// The console settings that scripts change with SET and read with SHOW:
//
//   FEED[BACK] {ON|OFF|n}  the confirmation lines ("1 row created.",
//                          "Table created." ...) and, for results of n rows
//                          or more, "n rows selected." (ON is 1, 0 is OFF)
//   ECHO {ON|OFF}          lines read from script files are printed before
//                          they run
//   DEF[INE] {ON|OFF|c}    substitution variables, and their prefix character
//                          (ON brings back "&")
//   VER[IFY] {ON|OFF}      the old and new text of a line whose substitution
//                          variables were replaced
//
// One SET may change several of them ("SET ECHO OFF FEEDBACK 6"). Every other
// option is accepted and changes nothing (LINESIZE, PAGESIZE, SERVEROUTPUT,
// TERMOUT ...), whatever its value.
#include <QChar>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>

#include <optional>

class ScriptSettings {
public:
    // True when `word` stands for the option `full` of which the first
    // `least` characters must be written ("FEED" for "FEEDBACK"); any case.
    static bool abbreviates(const QString& word, QLatin1StringView full, int least);
    // True when "SET <arguments>" is a SQL statement (SET TRANSACTION, SET
    // ROLE, SET CONSTRAINT(S)) rather than a console setting.
    static bool isSqlStatement(const QString& arguments);

    // Takes the text after SET. Returns a message for each kept option whose
    // value is missing or wrong (the option keeps its setting); the others
    // still take effect.
    QStringList set(const QString& arguments);
    // The line SHOW prints for a kept option (ALL: one line for each), or
    // nothing for a name this console does not keep.
    std::optional<QString> show(const QString& name) const;

    // The row count from which a query's "n rows selected." line is printed;
    // 0 when FEEDBACK is OFF, which also silences the confirmation lines.
    int feedback() const { return m_feedback; }
    bool echo() const { return m_echo; }
    bool verify() const { return m_verify; }
    // The substitution prefix; a null character while DEFINE is OFF.
    QChar definePrefix() const { return m_define ? m_prefix : QChar(); }

private:
    QString setOption(const QString& option, const QString& value);

    // ON for every result, as the console printed before it had settings
    // (SQL*Plus starts at 6).
    int m_feedback = 1;
    bool m_echo = false;
    bool m_verify = true;
    bool m_define = true;
    QChar m_prefix = QLatin1Char('&');
};
