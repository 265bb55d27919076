#include "browser/ProfileRules.h"

#include "rules/ColumnRule.h"
#include "session/OraError.h"
#include "rules/RuleEditing.h"
#include "shared/NumberText.h"

#include <memory>

using namespace Qt::StringLiterals;

namespace browser {

namespace {

// The column names of lines "COLUMN: ..." of 自動設定's result.
bool Named(const QStringList& lines, const QString& column)
{
    for (const QString& line : lines)
        if (line.section(u": "_s, 0, 0).compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

}  // namespace

ProfileRulesResult ApplyProfileRules(OraDatabase* database, const QString& table,
                                     const generate::TableProfile& profile, bool keysFromProfile)
{
    using basKovaData::ColumnRule;
    ProfileRulesResult result;
    result.proposed = ProposeRules(database, table);
    if (result.proposed.failed)
        return result;
    // Every foreign key column, a reference to the table's own rows as well.
    QStringList foreign;
    try {
        for (const ForeignKey& key : ForeignKeys(database, table))
            foreign << key.column;
    } catch (const OraError& error) {
        result.proposed.failed = true;
        result.proposed.errorText = error.message();
        return result;
    }
    const int count = std::min<int>(basKovaData::ColumnCount, int(basKovaData::ColumnRules.size()) - 1);
    for (int j = 1; j <= count; ++j) {
        ColumnRule& rule = basKovaData::ColumnRules[std::size_t(j)];
        const QString name = rule.ColumnName.trimmed();
        const generate::ColumnProfile* learned = profile.column(name);
        QString why;
        if (rule.family() == basKovaData::TypeFamily::Other)
            why = u"no rule for its type"_s;
        else if (rule.IsKey || rule.Unique || rule.storedKind() == basKovaData::Kind::Sequence)
            why = u"a key: its values may not repeat"_s;
        else if (rule.parent() || foreign.contains(name, Qt::CaseInsensitive))
            why = u"a foreign key: drawn from its parent's rows"_s;
        else if (rule.IsIdentity || Named(result.proposed.identityColumns, name))
            why = u"the database gives its value"_s;
        else if (Named(result.proposed.triggerFilled, name))
            why = u"a trigger fills it"_s;
        else if (Named(result.proposed.nullForChecks, name))
            why = u"NULL, as its CHECK is not read"_s;
        else if (!learned || learned->family != generate::ProfileFamily(rule.family()))
            why = u"not in the profile"_s;
        if (!why.isEmpty()) {
            result.kept << name + u": "_s + why;
            // A foreign key that may be NULL keeps the source's share of NULLs.
            if (learned && foreign.contains(name, Qt::CaseInsensitive) && !rule.IsNotNull && !rule.IsKey
                && rule.storedKind() != basKovaData::Kind::Null)
                rule.NullRate = std::clamp(int(std::lround(learned->nulls * 100.0)), 0, 100);
            if (keysFromProfile && learned && learned->low && rule.storedKind() == basKovaData::Kind::Sequence
                && rule.family() == basKovaData::TypeFamily::Numeric) {
                QStringList boxes = basKovaData::SequenceBoxTexts(rule, basKovaData::TypeFamily::Numeric);
                boxes[0] = basKovaData::NumberText(*learned->low).trimmed();
                basKovaData::StoreSequenceBoxes(rule, basKovaData::TypeFamily::Numeric, boxes);
            }
            continue;
        }
        rule.clearRule();
        rule.setKind(basKovaData::Kind::Distribution);
        rule.Distribution = std::make_shared<const generate::ColumnProfile>(*learned);
        result.distributed << name;
    }
    return result;
}

}  // namespace browser
