#include "CompareReport.h"

#include "charts/ProfileChart.h"

#include <QBuffer>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace kovagenerate {

namespace {

using generate::Figure;
using generate::FigureKind;

// The cells of a figure: source, target, distance, limit, verdict.
std::array<QString, 5> Cells(const Figure& figure)
{
    const auto count = [](double value) {
        return value == std::floor(value) ? QString::number(value, 'f', 0) : QString::number(value, 'f', 1);
    };
    const QString verdict = figure.past() ? u"PAST"_s : u"ok"_s;
    switch (figure.kind) {
    case FigureKind::Nulls:
        return {QString::number(figure.source * 100.0, 'f', 2) + u'%',
                QString::number(figure.target * 100.0, 'f', 2) + u'%', QString::number(figure.distance, 'f', 2) + u" pt"_s,
                QString::number(figure.limit, 'g', 6) + u" pt"_s, verdict};
    case FigureKind::Distinct:
        return {count(figure.source), count(figure.target), QString::number(figure.distance * 100.0, 'f', 1) + u'%',
                QString::number(figure.limit * 100.0, 'g', 6) + u'%', verdict};
    default:
        break;
    }
    return {QString(), QString(), QString::number(figure.distance, 'f', 4), QString::number(figure.limit, 'g', 6),
            verdict};
}

// Columns on a terminal: East Asian wide characters take two.
int Width(const QString& text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
                          || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
                          || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
        width += wide ? 2 : 1;
    }
    return width;
}

QString Left(const QString& text, int width)
{
    return text + QString(std::max(width - Width(text), 0), u' ');
}

QString Right(const QString& text, int width)
{
    return QString(std::max(width - Width(text), 0), u' ') + text;
}

QString KeyName(const generate::KeyComparison& key)
{
    return u"→ "_s + key.parentTable + (key.columns.isEmpty() ? QString() : u" ("_s + key.columns.join(u", "_s) + u')');
}

QString Html(const QString& text)
{
    return text.toHtmlEscaped();
}

void FigureRows(QString& page, const std::vector<Figure>& figures)
{
    for (const Figure& figure : figures) {
        const std::array<QString, 5> cells = Cells(figure);
        page += figure.past() ? u"<tr class=\"past\">"_s : u"<tr>"_s;
        page += u"<td>"_s + Html(generate::FigureName(figure.kind)) + u"</td>"_s;
        for (const QString& cell : cells)
            page += u"<td class=\"n\">"_s + Html(cell) + u"</td>"_s;
        page += u"</tr>\n"_s;
    }
}

const QString Style = uR"(body{font-family:sans-serif;margin:1.5em;color:#222}
h2{border-bottom:1px solid #999;margin-top:2em}
table{border-collapse:collapse;margin:.4em 0}
td,th{border:1px solid #ccc;padding:.15em .6em}
th{background:#eee;text-align:left}
td.n{text-align:right;font-variant-numeric:tabular-nums}
tr.past td{background:#fde2e2;font-weight:bold}
.column{margin:1em 0 1.6em}
.note{color:#666;font-style:italic}
img{display:block;border:1px solid #ddd;max-width:100%}
.summary{font-weight:bold;margin-top:2em})"_s;

const QString FigureHead =
    u"<tr><th>figure</th><th>source</th><th>target</th><th>distance</th><th>limit</th><th>verdict</th></tr>\n"_s;

QString ChartUri(const QString& title, const generate::ColumnProfile& source, const generate::ColumnProfile* target)
{
    const QImage image = charts::ProfileImage(title, source, target, QSize(760, 250));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return u"data:image/png;base64,"_s + QString::fromLatin1(png.toBase64());
}

}  // namespace

ComparedTable CompareTable(generate::ProfiledTable source, generate::ProfiledTable target,
                           const generate::CompareLimits& limits)
{
    ComparedTable compared{std::move(source), std::move(target), {}};
    compared.figures = generate::CompareProfiles(compared.source.profile, compared.target.profile, limits);
    compared.figures.table = compared.source.profile.table;
    const auto kindOf = [](const generate::ProfiledTable& side, const QString& column) {
        for (const auto& [name, kind] : side.otherKinds)
            if (name.compare(column, Qt::CaseInsensitive) == 0)
                return kind;
        return QString();
    };
    for (generate::ColumnComparison& column : compared.figures.columns) {
        if (!column.figures.empty())
            continue;
        const bool inSource = compared.source.profile.column(column.column) != nullptr;
        const QString kind = kindOf(inSource ? compared.target : compared.source, column.column);
        if (!kind.isEmpty())
            column.note += u": its rule there is of kind "_s + kind;
    }
    // Columns neither profile holds, of another kind on both sides or one.
    for (const auto* side : {&compared.source, &compared.target})
        for (const auto& [name, kind] : side->otherKinds) {
            const bool listed = std::any_of(compared.figures.columns.begin(), compared.figures.columns.end(),
                                            [&](const auto& c) { return c.column.compare(name, Qt::CaseInsensitive) == 0; });
            if (!listed)
                compared.figures.columns.push_back(
                    {name, {}, u"in neither profile: its rule is of kind "_s + kind
                                   + (side == &compared.source ? u" in the source"_s : u" in the target"_s)});
        }
    return compared;
}

QString ComparisonSummary(const std::vector<ComparedTable>& tables)
{
    QStringList past;
    int count = 0;
    for (const ComparedTable& table : tables) {
        past << table.figures.past();
        count += table.figures.figureCount();
    }
    if (past.isEmpty())
        return u"all %1 figures within their thresholds"_s.arg(count);
    return u"%1 of %2 figures past their thresholds: %3"_s.arg(past.size()).arg(count).arg(past.join(u", "_s));
}

void PrintComparison(const std::vector<ComparedTable>& tables, QTextStream& out)
{
    for (const ComparedTable& table : tables) {
        const generate::TableComparison& figures = table.figures;
        out << figures.table << "  (rows: source " << figures.sourceRows << ", target " << figures.targetRows << ")\n";
        int name = Width(u"column"_s);
        for (const generate::ColumnComparison& column : figures.columns)
            name = std::max(name, Width(column.column));
        for (const generate::KeyComparison& key : figures.keys)
            name = std::max(name, Width(KeyName(key)));
        const std::array<int, 6> widths{14, 10, 10, 10, 8, 4};
        out << "  " << Left(u"column"_s, name) << "  " << Left(u"figure"_s, widths[0]) << Right(u"source"_s, widths[1])
            << Right(u"target"_s, widths[2]) << Right(u"distance"_s, widths[3]) << Right(u"limit"_s, widths[4])
            << "  verdict\n";
        const auto print = [&](const QString& label, const std::vector<Figure>& list, const QString& note) {
            if (list.empty()) {
                out << "  " << Left(label, name) << "  " << note << '\n';
                return;
            }
            for (std::size_t i = 0; i < list.size(); ++i) {
                const std::array<QString, 5> cells = Cells(list[i]);
                out << "  " << Left(i == 0 ? label : QString(), name) << "  "
                    << Left(generate::FigureName(list[i].kind), widths[0]) << Right(cells[0], widths[1])
                    << Right(cells[1], widths[2]) << Right(cells[2], widths[3]) << Right(cells[3], widths[4]) << "  "
                    << cells[4] << '\n';
            }
            if (!note.isEmpty())
                out << "  " << Left(QString(), name) << "  (" << note << ")\n";
        };
        for (const generate::ColumnComparison& column : figures.columns)
            print(column.column, column.figures, column.note);
        for (const generate::KeyComparison& key : figures.keys)
            print(KeyName(key), key.figures, key.note);
        out << '\n';
    }
    out << ComparisonSummary(tables) << '\n';
}

QByteArray ComparisonPage(const std::vector<ComparedTable>& tables, const QString& source, const QString& target)
{
    QString page = u"<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">\n<title>kova-generate --compare</title>\n"
                   "<style>"_s
                   + Style + u"</style></head><body>\n<h1>Profiles compared</h1>\n<p>source: "_s + Html(source)
                   + u"<br>target: "_s + Html(target) + u"</p>\n"_s;
    for (const ComparedTable& table : tables) {
        const generate::TableComparison& figures = table.figures;
        page += u"<h2>"_s + Html(figures.table) + u"</h2>\n<p>rows: source %1, target %2</p>\n"_s.arg(figures.sourceRows).arg(
                    figures.targetRows);
        for (const generate::ColumnComparison& column : figures.columns) {
            page += u"<div class=\"column\"><h3>"_s + Html(column.column) + u"</h3>\n"_s;
            if (!column.figures.empty()) {
                page += u"<table>"_s + FigureHead;
                FigureRows(page, column.figures);
                page += u"</table>\n"_s;
            }
            if (!column.note.isEmpty())
                page += u"<p class=\"note\">"_s + Html(column.note) + u"</p>\n"_s;
            const generate::ColumnProfile* mine = table.source.profile.column(column.column);
            const generate::ColumnProfile* theirs = table.target.profile.column(column.column);
            const QString title = figures.table + u'.' + column.column;
            if (mine || theirs)
                page += u"<img alt=\""_s + Html(title) + u"\" src=\""_s
                        + ChartUri(title + (mine ? QString() : u" (target only)"_s), mine ? *mine : *theirs,
                                   mine ? theirs : nullptr)
                        + u"\">\n"_s;
            page += u"</div>\n"_s;
        }
        if (!figures.keys.empty()) {
            page += u"<h3>children per parent row</h3>\n"_s;
            for (const generate::KeyComparison& key : figures.keys) {
                page += u"<p>"_s + Html(KeyName(key)) + u"</p>\n"_s;
                if (!key.figures.empty()) {
                    page += u"<table>"_s + FigureHead;
                    FigureRows(page, key.figures);
                    page += u"</table>\n"_s;
                }
                if (!key.note.isEmpty())
                    page += u"<p class=\"note\">"_s + Html(key.note) + u"</p>\n"_s;
            }
        }
    }
    page += u"<p class=\"summary\">"_s + Html(ComparisonSummary(tables)) + u"</p>\n</body></html>\n"_s;
    return page.toUtf8();
}

}  // namespace kovagenerate
