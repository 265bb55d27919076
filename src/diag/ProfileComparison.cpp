#include "diag/ProfileComparison.h"

using namespace Qt::StringLiterals;
using generate::Figure;
using generate::FigureKind;

namespace diag {

namespace {

QString FigureCaption(FigureKind kind)
{
    switch (kind) {
    case FigureKind::Nulls:
        return u"NULL率"_s;
    case FigureKind::Distinct:
        return u"異なる値の数"_s;
    case FigureKind::Frequent:
        return u"頻出値（TVD）"_s;
    case FigureKind::Values:
        return u"値（KS）"_s;
    case FigureKind::Lengths:
        return u"長さ（KS）"_s;
    case FigureKind::Children:
        break;
    }
    return u"親ごとの子の数（KS）"_s;
}

QString SideText(const Figure& figure, double value)
{
    switch (figure.kind) {
    case FigureKind::Nulls:
        return QString::number(value * 100.0, 'f', 1) + u" %"_s;
    case FigureKind::Distinct:
        return QString::number(value, 'f', 0);
    default:
        return {};
    }
}

QString DistanceText(const Figure& figure, double value)
{
    switch (figure.kind) {
    case FigureKind::Nulls:
        return QString::number(value, 'f', 2) + u" pt"_s;
    case FigureKind::Distinct:
        return QString::number(value * 100.0, 'f', 1) + u" %"_s;
    default:
        return QString::number(value, 'f', 3);
    }
}

void AddLines(std::vector<QStringList>& lines, const QString& name, const std::vector<Figure>& figures,
              const QString& note)
{
    if (figures.empty()) {
        lines.push_back({name, note, {}, {}, {}, {}, {}});
        return;
    }
    for (const Figure& figure : figures)
        lines.push_back({name, FigureCaption(figure.kind), SideText(figure, figure.source),
                         SideText(figure, figure.target), DistanceText(figure, figure.distance),
                         DistanceText(figure, figure.limit), figure.past() ? u"超過"_s : u"OK"_s});
}

}  // namespace

generate::TableProfile ProfileOfRules(const basKovaData::TableRules& rules)
{
    generate::TableProfile profile;
    profile.table = rules.table;
    for (int j = 1; j <= rules.count(); ++j) {
        const basKovaData::ColumnRule& rule = rules[j];
        if (rule.storedKind() != basKovaData::Kind::Distribution || !rule.Distribution)
            continue;
        profile.columnNames << rule.ColumnName.trimmed();
        profile.columns.push_back(*rule.Distribution);
    }
    return profile;
}

QStringList ComparisonHeadings()
{
    return {u"列"_s, u"指標"_s, u"元"_s, u"生成"_s, u"距離"_s, u"限度"_s, u"判定"_s};
}

std::vector<QStringList> ComparisonLines(const generate::TableComparison& comparison)
{
    std::vector<QStringList> lines;
    for (const generate::ColumnComparison& column : comparison.columns)
        AddLines(lines, column.column, column.figures, column.note);
    for (const generate::KeyComparison& key : comparison.keys)
        AddLines(lines, u"→ %1 (%2)"_s.arg(key.parentTable, key.columns.join(u", "_s)), key.figures, key.note);
    return lines;
}

}  // namespace diag
