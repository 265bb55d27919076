#include "ScriptSettings.h"

#include "ScriptLines.h"

using namespace Qt::StringLiterals;

namespace {

// ON or OFF into `value`; false for any other word.
bool ReadSwitch(const QString& word, bool* value)
{
    if (word.compare("ON"_L1, Qt::CaseInsensitive) == 0)
        *value = true;
    else if (word.compare("OFF"_L1, Qt::CaseInsensitive) == 0)
        *value = false;
    else
        return false;
    return true;
}

QString OnOff(bool on)
{
    return on ? u"ON"_s : u"OFF"_s;
}

enum class Option { None, Feedback, Echo, Define, Verify };

Option KeptOption(const QString& word)
{
    if (ScriptSettings::abbreviates(word, "FEEDBACK"_L1, 4))
        return Option::Feedback;
    if (ScriptSettings::abbreviates(word, "ECHO"_L1, 4))
        return Option::Echo;
    if (ScriptSettings::abbreviates(word, "DEFINE"_L1, 3))
        return Option::Define;
    if (ScriptSettings::abbreviates(word, "VERIFY"_L1, 3))
        return Option::Verify;
    return Option::None;
}

}  // namespace

bool ScriptSettings::abbreviates(const QString& word, QLatin1StringView full, int least)
{
    return word.size() >= least && word.size() <= full.size() && full.startsWith(word, Qt::CaseInsensitive);
}

bool ScriptSettings::isSqlStatement(const QString& arguments)
{
    const QString first = ScriptLines::words(arguments).value(0).toUpper();
    return first == "TRANSACTION"_L1 || first == "ROLE"_L1 || first == "CONSTRAINT"_L1 || first == "CONSTRAINTS"_L1;
}

QStringList ScriptSettings::set(const QString& arguments)
{
    QString text = arguments.trimmed();
    if (text.endsWith(u';'))
        text.chop(1);
    const QStringList words = ScriptLines::words(text);
    if (words.isEmpty())
        return {u"SET needs an option and its value, such as SET FEEDBACK OFF"_s};
    // The options this console does not keep may take several words
    // (SET SERVEROUTPUT ON SIZE 1000000); their words are passed over up to
    // the next option it keeps.
    QStringList errors;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (KeptOption(words[i]) == Option::None)
            continue;
        const QString error = setOption(words[i], words.value(i + 1));
        if (!error.isEmpty())
            errors.append(error);
        ++i;
    }
    return errors;
}

QString ScriptSettings::setOption(const QString& option, const QString& value)
{
    const QString name = option.toUpper();
    switch (KeptOption(option)) {
    case Option::Feedback: {
        bool on = false;
        bool number = false;
        const int rows = value.toInt(&number);
        if (ReadSwitch(value, &on))
            m_feedback = on ? 1 : 0;
        else if (number && rows >= 0)
            m_feedback = rows;
        else
            return u"%1 takes ON, OFF or a number of rows, not \"%2\"; it stays as it was"_s.arg(name, value);
        return {};
    }
    case Option::Echo:
    case Option::Verify:
        if (!ReadSwitch(value, KeptOption(option) == Option::Echo ? &m_echo : &m_verify))
            return u"%1 takes ON or OFF, not \"%2\"; it stays as it was"_s.arg(name, value);
        return {};
    case Option::Define: {
        bool on = false;
        if (ReadSwitch(value, &on)) {
            m_define = on;
            if (on)
                m_prefix = QLatin1Char('&');
        } else if (value.size() == 1 && !value.at(0).isLetterOrNumber() && !value.at(0).isSpace()) {
            m_define = true;
            m_prefix = value.at(0);
        } else {
            return u"%1 takes ON, OFF or one character that is neither a letter, a digit nor a blank, not \"%2\"; "
                   "it stays as it was"_s.arg(name, value);
        }
        return {};
    }
    case Option::None:
        break;
    }
    return {};
}

std::optional<QString> ScriptSettings::show(const QString& name) const
{
    switch (KeptOption(name)) {
    case Option::Feedback:
        if (m_feedback == 0)
            return u"feedback OFF"_s;
        return u"feedback ON for %1 or more rows"_s.arg(m_feedback);
    case Option::Echo:
        return u"echo "_s + OnOff(m_echo);
    case Option::Verify:
        return u"verify "_s + OnOff(m_verify);
    case Option::Define:
        if (!m_define)
            return u"define OFF"_s;
        return u"define \"%1\" (hex %2)"_s.arg(m_prefix).arg(m_prefix.unicode(), 2, 16, QLatin1Char('0'));
    case Option::None:
        break;
    }
    if (name.compare("ALL"_L1, Qt::CaseInsensitive) == 0) {
        QStringList lines;
        for (const char* option : {"DEFINE", "ECHO", "FEEDBACK", "VERIFY"})
            lines.append(*show(QLatin1String(option)));
        return lines.join(u'\n');
    }
    return std::nullopt;
}
