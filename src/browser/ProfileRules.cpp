#include "browser/ProfileRules.h"

#include "browser/CheckConditions.h"
#include "rules/ColumnRule.h"
#include "session/OraError.h"
#include "rules/RuleEditing.h"
#include "shared/NumberText.h"
#include "shared/TypeFamily.h"

#include <array>
#include <memory>
#include <optional>
#include <set>

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

// LOB, LONG and RAW columns: their values are never profiled, whatever the
// statistics say of them.
bool LobOrRaw(const basKovaData::ColumnRule& rule)
{
    const basKovaData::TypeDetail detail = basKovaData::DetailOfTypeText(rule.TypeText.text().trimmed().toUpper());
    return detail == basKovaData::TypeDetail::LongText || detail == basKovaData::TypeDetail::Hex;
}

}  // namespace

QString KeptText(const KeptColumn& kept, bool japanese)
{
    // By KeptWhy, in its order: the windows' words, then the console's.
    static const std::array<std::pair<QString, QString>, 9> reasons = {{
        {u"この型のルールはありません"_s, u"no rule for its type"_s},
        {u"キー（値は重複できません）"_s, u"a key: its values may not repeat"_s},
        {u"外部キー（親の行から取ります）"_s, u"a foreign key: drawn from its parent's rows"_s},
        {u"データベースが値を与えます"_s, u"the database gives its value"_s},
        {u"トリガーが値を入れます"_s, u"a trigger fills it"_s},
        {u"CHECK を読めないため NULL"_s, u"NULL, as its CHECK is not read"_s},
        {u"ほかの列と一緒の CHECK があります"_s, u"a CHECK names it beside another column"_s},
        {u"プロファイルにありません"_s, u"not in the profile"_s},
        {u"値は分からず NULL の割合だけ合わせます"_s, u"only its share of NULLs is known: it keeps that"_s},
    }};
    const auto& reason = reasons[std::size_t(kept.why)];
    return kept.column + u": "_s + (japanese ? reason.first : reason.second);
}

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
    std::set<int> shared;  // columns of a CHECK over several columns
    try {
        for (const ForeignKey& key : ForeignKeys(database, table))
            foreign << key.column;
        for (const CheckConstraint& check : CheckConstraints(database, table)) {
            const CheckReading reading =
                ReadCheck(check.condition, basKovaData::ColumnRules, basKovaData::ColumnCount);
            if (std::set<int>(reading.named.begin(), reading.named.end()).size() > 1)
                shared.insert(reading.named.begin(), reading.named.end());
        }
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
        std::optional<KeptWhy> why;
        if (rule.family() == basKovaData::TypeFamily::Other)
            why = KeptWhy::Type;
        else if (rule.IsKey || rule.Unique || rule.storedKind() == basKovaData::Kind::Sequence)
            why = KeptWhy::Key;
        else if (rule.parent() || foreign.contains(name, Qt::CaseInsensitive))
            why = KeptWhy::ForeignKey;
        else if (rule.IsIdentity || Named(result.proposed.identityColumns, name))
            why = KeptWhy::Database;
        else if (Named(result.proposed.triggerFilled, name))
            why = KeptWhy::Trigger;
        else if (Named(result.proposed.nullForChecks, name))
            why = KeptWhy::UnreadCheck;
        else if (shared.count(j) > 0)
            why = KeptWhy::SharedCheck;
        else if (!learned || learned->family != generate::ProfileFamily(rule.family()))
            why = KeptWhy::NotProfiled;
        else if (learned->nulls < 1.0
                 && (LobOrRaw(rule) || (learned->frequent.empty() && learned->buckets.empty() && learned->dictionary.isEmpty())))
            why = KeptWhy::NullShareOnly;  // a LOB or RAW, or statistics that name no value
        if (why) {
            result.kept.push_back({name, *why});
            // A foreign key that may be NULL, and a column of which only the
            // NULLs were counted, keep the source's share of NULLs.
            if (learned && (foreign.contains(name, Qt::CaseInsensitive) || why == KeptWhy::NullShareOnly)
                && !rule.IsNotNull && !rule.IsKey && rule.storedKind() != basKovaData::Kind::Null)
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
