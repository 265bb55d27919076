#include "SubstitutionVariables.h"

using namespace Qt::StringLiterals;

namespace {

// The name at `from` in `text` (empty when none begins there).
QString NameAt(const QString& text, qsizetype from)
{
    qsizetype end = from;
    while (end < text.size() && SubstitutionVariables::isNameCharacter(text.at(end)))
        ++end;
    return text.mid(from, end - from);
}

// The text of a DEFINE: in quotes (a quote written twice stands for one, and
// what follows the closing quote is dropped), or as written.
QString DefinedText(const QString& text)
{
    if (text.isEmpty() || (text.at(0) != u'\'' && text.at(0) != u'"'))
        return text;
    const QChar quote = text.at(0);
    QString value;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text.at(i) == quote) {
            if (i + 1 < text.size() && text.at(i + 1) == quote) {
                ++i;
            } else {
                break;
            }
        }
        value += text.at(i);
    }
    return value;
}

}  // namespace

bool SubstitutionVariables::isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#';
}

SubstitutionVariables::Result SubstitutionVariables::substitute(const QString& text, QChar prefix) const
{
    Result result;
    result.text = text;
    if (prefix.isNull() || !text.contains(prefix))
        return result;
    const QStringList lines = text.split(u'\n');
    QStringList replaced;
    replaced.reserve(lines.size());
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QString& line = lines[number];
        QString out;
        qsizetype i = 0;
        while (i < line.size()) {
            if (line.at(i) != prefix) {
                out += line.at(i++);
                continue;
            }
            const qsizetype start = i + (i + 1 < line.size() && line.at(i + 1) == prefix ? 2 : 1);
            const QString name = NameAt(line, start);
            if (name.isEmpty()) {
                out += line.mid(i, start - i);
                i = start;
                continue;
            }
            const std::optional<QString> found = value(name);
            if (!found) {
                result.undefined = name.toUpper();
                result.undefinedKept = start - i == 2;
                result.verify.clear();
                return result;
            }
            out += *found;
            i = start + name.size();
            if (i < line.size() && line.at(i) == u'.')
                ++i;
        }
        if (out != line) {
            result.verify.append(u"old%1: %2"_s.arg(number + 1, 4).arg(line));
            result.verify.append(u"new%1: %2"_s.arg(number + 1, 4).arg(out));
        }
        replaced.append(out);
    }
    result.text = replaced.join(u'\n');
    return result;
}

void SubstitutionVariables::define(const QString& name, const QString& value)
{
    m_values.insert(name.toUpper(), value);
}

void SubstitutionVariables::undefine(const QString& name)
{
    m_values.remove(name.toUpper());
}

std::optional<QString> SubstitutionVariables::value(const QString& name) const
{
    const auto found = m_values.constFind(name.toUpper());
    if (found == m_values.constEnd())
        return std::nullopt;
    return *found;
}

QString SubstitutionVariables::defineCommand(const QString& arguments, QString* error)
{
    const QString text = arguments.trimmed();
    if (text.isEmpty()) {
        QStringList lines;
        for (auto it = m_values.constBegin(); it != m_values.constEnd(); ++it)
            lines.append(described(it.key()));
        return lines.join(u'\n');
    }
    const QString name = NameAt(text, 0);
    const QString rest = text.mid(name.size()).trimmed();
    if (name.isEmpty() || (!rest.isEmpty() && !rest.startsWith(u'='))) {
        *error = u"DEFINE takes a name and \"= text\", as in DEFINE owner = HR; \"%1\" is not that"_s.arg(text);
        return {};
    }
    if (rest.isEmpty()) {
        if (!value(name))
            *error = u"symbol %1 is UNDEFINED"_s.arg(name);
        return value(name) ? described(name.toUpper()) : QString();
    }
    define(name, DefinedText(rest.mid(1).trimmed()));
    return {};
}

void SubstitutionVariables::undefineCommand(const QString& arguments, QString* error)
{
    QString text = arguments.trimmed();
    if (text.endsWith(u';'))
        text.chop(1);
    const QStringList names = text.simplified().split(u' ', Qt::SkipEmptyParts);
    if (names.isEmpty())
        *error = u"UNDEFINE takes the names of the variables to forget"_s;
    for (const QString& name : names) {
        if (NameAt(name, 0) != name) {
            *error = u"\"%1\" is not the name of a substitution variable"_s.arg(name);
            return;
        }
        undefine(name);
    }
}

QString SubstitutionVariables::described(const QString& name) const
{
    return u"DEFINE %1 = \"%2\" (CHAR)"_s.arg(name.leftJustified(15), m_values.value(name));
}
