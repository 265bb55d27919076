#include "generate/KeyCapacity.h"

#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace generate {

qint64 SequenceRoom(const basKovaData::ColumnRule& rule)
{
    using basKovaData::TypeFamily;
    const TypeFamily family = rule.family();
    if (rule.storedKind() != basKovaData::Kind::Sequence || rule.Length <= 0
        || (family != TypeFamily::Numeric && family != TypeFamily::Character))
        return -1;
    // NUMBER(p,s) holds up to 10^(p-s) - 10^-s (NUMBER(4,2) 99.99, NUMBER(2,-1)
    // 990), rounding a value to its steps of 10^-s; a text of n characters
    // holds n digits, or a minus and n - 1.
    const bool number = family == TypeFamily::Numeric;
    const int digits = number ? rule.Length - rule.Scale : rule.Length;
    if (digits >= 16)
        return -1;
    const double unit = number ? std::pow(10.0, -double(rule.Scale)) : 1.0;
    const double high = std::pow(10.0, digits) - unit;
    const double low = number ? -high : -(std::pow(10.0, digits - 1) - 1.0);
    const double start = rule.NumValue[0];
    const double step = rule.NumValue[1];
    const double half = unit / 2;
    if (!(start < high + half && start > low - half))
        return 0;
    if (step == 0)
        return 1;
    const double span = step > 0 ? high + half - start : start - (low - half);
    const double count = std::ceil(span / std::abs(step) - 1e-9);
    return count >= 9e18 ? -1 : std::max<qint64>(qint64(count), 1);
}

QString KeyRoomRefusal(const KeyRoom& room, qint64 rows)
{
    if (room.sequence)
        return u"%1項目 %2 の桁数では %3件を作成できません。\n%4 に入る連番は%5から%6件までです。"_s
            .arg(room.key ? u"キー"_s : QString(), room.Name())
            .arg(rows)
            .arg(room.type)
            .arg(QString::number(room.start, 'g', 16))
            .arg(room.rows);
    QString message = u"項目 %1 の規則で作れる重複しない値は%2件までのため、%3件は作成できません。"_s.arg(room.Name())
                          .arg(room.rows)
                          .arg(rows);
    if (room.taken > 0)
        message += u"\n（テーブルにある%1件の値は使えません。）"_s.arg(room.taken);
    return message;
}

KeyRoom RowsTheKeysHold(const basKovaData::TableRules& rules, OraDatabase* database)
{
    ValueGenerator generator(rules, database);
    return generator.ReadKeyRoom();
}

}  // namespace generate
