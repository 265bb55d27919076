#include "charts/ProfileChart.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

using namespace Qt::StringLiterals;

namespace charts {

namespace {

using generate::ColumnProfile;

const QColor SourceColor(0x3b, 0x6f, 0xb6);
const QColor TargetColor(0xe0, 0x8a, 0x2c);
const QColor AxisColor(0x55, 0x55, 0x55);

// The chart's words: the report's English, the windows' Japanese.
struct Words {
    QString empty, byLength, byValue, none, highest, target, source;
};
const Words English{u"(empty)"_s, u"other values, by length (characters)"_s, u"other values, by value"_s,
                    u"none: every value is NULL or frequent"_s, u"highest bar "_s, u"target"_s, u"source"_s};
const Words Japanese{u"（空）"_s, u"その他の値：長さ（文字数）ごと"_s, u"その他の値：値ごと"_s,
                     u"なし：すべて NULL か頻出値です"_s, u"最も高い棒 "_s, u"生成"_s, u"元"_s};
constexpr int MostBars = 8;      // frequent values shown
constexpr int HistogramBins = 24;
constexpr double Gap = 8.0;

QString Percent(double share)
{
    return QString::number(share * 100.0, 'f', share >= 0.1 ? 0 : 1) + u'%';
}

// One row of the bar panel: a label and each side's share of all rows.
struct Bar {
    QString label;
    double source = 0.0;
    double target = 0.0;
};

double FrequentShare(const ColumnProfile& profile, const QString& value)
{
    for (const ColumnProfile::Frequent& frequent : profile.frequent)
        if (frequent.value == value)
            return frequent.share;
    return 0.0;
}

std::vector<Bar> Bars(const ColumnProfile& source, const ColumnProfile* target)
{
    std::vector<Bar> bars{{u"NULL"_s, source.nulls, target ? target->nulls : 0.0}};
    QStringList values;
    for (const ColumnProfile* side : {&source, target})
        if (side)
            for (const ColumnProfile::Frequent& frequent : side->frequent)
                if (!values.contains(frequent.value))
                    values << frequent.value;
    for (const QString& value : values)
        bars.push_back({value, FrequentShare(source, value), target ? FrequentShare(*target, value) : 0.0});
    std::stable_sort(bars.begin() + 1, bars.end(), [](const Bar& a, const Bar& b) {
        return std::max(a.source, a.target) > std::max(b.source, b.target);
    });
    if (bars.size() > std::size_t(MostBars) + 1)
        bars.resize(std::size_t(MostBars) + 1);
    return bars;
}

QString ValueLabel(const QString& value, ColumnProfile::Family family, const Words& words)
{
    if (value.isEmpty())
        return words.empty;
    if (family == ColumnProfile::Family::Date && value.size() >= 8)
        return value.left(4) + u'-' + value.mid(4, 2) + u'-' + value.mid(6, 2)
               + (value.mid(9).isEmpty() || value.mid(9) == u"000000"_s ? QString() : u' ' + value.mid(9, 2) + u':'
                                                                                     + value.mid(11, 2));
    return value;
}

void PaintBars(QPainter& painter, const QRectF& area, std::vector<Bar> bars, ColumnProfile::Family family,
               const Words& words, bool twoSides)
{
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    // Two sides' bars take a line each; the values that do not fit are left out.
    const double least = line * (twoSides ? 2.0 : 1.2);
    const std::size_t fit = std::max<std::size_t>(1, std::size_t(area.height() / least));
    if (bars.size() > fit)
        bars.resize(fit);
    const double rowHeight = std::min(area.height() / double(bars.size()), line * 2.6);
    const double labelWidth = area.width() * 0.34;
    const double percentWidth = metrics.horizontalAdvance(u"100%"_s) + 4.0;
    const double barSpace = std::max(area.width() - labelWidth - percentWidth - Gap, 10.0);
    double most = 0.01;
    for (const Bar& bar : bars)
        most = std::max({most, bar.source, bar.target});
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const Bar& bar = bars[i];
        const QRectF row(area.left(), area.top() + rowHeight * double(i), area.width(), rowHeight);
        const QString label = i == 0 ? bar.label : ValueLabel(bar.label, family, words);
        painter.setPen(i == 0 ? AxisColor : Qt::black);
        painter.drawText(QRectF(row.left(), row.top(), labelWidth - 4.0, row.height()), Qt::AlignRight | Qt::AlignVCenter,
                         metrics.elidedText(label, Qt::ElideRight, labelWidth - 4.0));
        const double thick = (row.height() - 4.0) / (twoSides ? 2.0 : 1.0);
        const std::array<std::pair<double, QColor>, 2> sides{{{bar.source, SourceColor}, {bar.target, TargetColor}}};
        for (int s = 0; s < (twoSides ? 2 : 1); ++s) {
            const double width = barSpace * sides[std::size_t(s)].first / most;
            const QRectF box(row.left() + labelWidth, row.top() + 2.0 + thick * s, std::max(width, 1.0), thick - 1.0);
            painter.fillRect(box, sides[std::size_t(s)].second);
            painter.setPen(AxisColor);
            painter.drawText(QRectF(box.right() + 3.0, box.top(), percentWidth + Gap, box.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, Percent(sides[std::size_t(s)].first));
        }
    }
}

// Each of `count` bins' share of all rows, the buckets spread evenly over
// their range; lengths (whole numbers) each take the unit around them.
std::array<double, HistogramBins> Bins(const ColumnProfile& profile, double low, double high, int count)
{
    std::array<double, HistogramBins> bins{};
    const double width = (high - low) / count;
    const double widen = profile.family == ColumnProfile::Family::Text ? 0.5 : 0.0;
    for (const ColumnProfile::Bucket& bucket : profile.buckets) {
        const double from = bucket.low - widen;
        const double to = bucket.high + widen;
        if (to <= from || width <= 0.0) {
            const int bin = width <= 0.0 ? 0 : int((from - low) / width);
            bins[std::size_t(std::clamp(bin, 0, count - 1))] += bucket.share;
            continue;
        }
        for (int b = 0; b < count; ++b) {
            const double start = std::max(from, low + width * b);
            const double end = std::min(to, low + width * (b + 1));
            if (end > start)
                bins[std::size_t(b)] += bucket.share * (end - start) / (to - from);
        }
    }
    return bins;
}

QString AxisLabel(double value, ColumnProfile::Family family)
{
    if (family == ColumnProfile::Family::Date)
        return QDateTime::fromSecsSinceEpoch(qint64(std::llround(value)), Qt::UTC).toString(u"yyyy-MM-dd"_s);
    return QString::number(value, 'g', 6);
}

void PaintHistogram(QPainter& painter, const QRectF& area, const ColumnProfile& source, const ColumnProfile* target,
                    const Words& words)
{
    const QFontMetricsF metrics(painter.font());
    const ColumnProfile::Family family = source.family;
    const bool lengths = family == ColumnProfile::Family::Text;
    const QRectF caption(area.left(), area.top(), area.width(), metrics.height());
    painter.setPen(Qt::black);
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter,
                     lengths ? words.byLength : words.byValue);
    double low = 0.0;
    double high = 0.0;
    bool any = false;
    for (const ColumnProfile* side : {&source, target})
        if (side && side->family == family)
            for (const ColumnProfile::Bucket& bucket : side->buckets) {
                low = any ? std::min(low, bucket.low) : bucket.low;
                high = any ? std::max(high, bucket.high) : bucket.high;
                any = true;
            }
    const QRectF plot(area.left() + 4.0, area.top() + metrics.height() + 4.0, area.width() - 8.0,
                      area.height() - metrics.height() * 2.0 - 10.0);
    painter.setPen(AxisColor);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    if (!any) {
        painter.drawText(plot, Qt::AlignCenter, words.none);
        return;
    }
    // Lengths: one bin per length while they are few.
    const int count = lengths ? std::clamp(int(high - low) + 1, 1, HistogramBins) : HistogramBins;
    const double axisLow = lengths ? low - 0.5 : low;
    const double axisHigh = lengths ? high + 0.5 : high;
    const std::array<double, HistogramBins> mine = Bins(source, axisLow, axisHigh, count);
    const std::array<double, HistogramBins> theirs = target && target->family == family
                                                         ? Bins(*target, axisLow, axisHigh, count)
                                                         : std::array<double, HistogramBins>{};
    double most = 1e-9;
    for (int b = 0; b < count; ++b)
        most = std::max({most, mine[std::size_t(b)], theirs[std::size_t(b)]});
    const double binWidth = plot.width() / count;
    const double half = std::min(target ? binWidth / 2.0 - 0.5 : binWidth - 1.0, 28.0);
    for (int b = 0; b < count; ++b) {
        const double x = plot.left() + binWidth * b + (binWidth - (target ? half * 2.0 : half)) / 2.0;
        const double h1 = plot.height() * mine[std::size_t(b)] / most;
        painter.fillRect(QRectF(x, plot.bottom() - h1, half, h1), SourceColor);
        if (target) {
            const double h2 = plot.height() * theirs[std::size_t(b)] / most;
            painter.fillRect(QRectF(x + half, plot.bottom() - h2, half, h2), TargetColor);
        }
    }
    painter.setPen(AxisColor);
    const QRectF under(plot.left(), plot.bottom() + 2.0, plot.width(), metrics.height());
    // Lengths label their first and last bars; values the ends of the axis.
    const QRectF first(plot.left(), under.top(), lengths ? binWidth : plot.width(), under.height());
    const QRectF last(lengths ? plot.right() - binWidth : plot.left(), under.top(), lengths ? binWidth : plot.width(),
                      under.height());
    painter.drawText(first, (lengths ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, AxisLabel(low, family));
    const double middle = (low + high) / 2.0;
    if (!lengths || middle == std::floor(middle))
        painter.drawText(under, Qt::AlignHCenter | Qt::AlignVCenter, AxisLabel(middle, family));
    if (!lengths || high > low)
        painter.drawText(last, (lengths ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter, AxisLabel(high, family));
    painter.drawText(caption, Qt::AlignRight | Qt::AlignVCenter, words.highest + Percent(most));
}

void PaintLegend(QPainter& painter, const QRectF& line, bool twoSides, const Words& words)
{
    const QFontMetricsF metrics(painter.font());
    double x = line.right();
    const std::array<std::pair<QString, QColor>, 2> entries{{{words.target, TargetColor}, {words.source, SourceColor}}};
    for (std::size_t i = twoSides ? 0 : 1; i < entries.size(); ++i) {
        const double width = metrics.horizontalAdvance(entries[i].first);
        x -= width;
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x, line.top(), width + 1.0, line.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         entries[i].first);
        const double box = metrics.ascent() * 0.8;
        x -= box + 4.0;
        painter.fillRect(QRectF(x, line.center().y() - box / 2.0, box, box), entries[i].second);
        x -= Gap * 2.0;
    }
}

}  // namespace

void PaintProfile(QPainter& painter, const QRectF& area, const QString& title, const generate::ColumnProfile& source,
                  const generate::ColumnProfile* target, bool japanese)
{
    const Words& words = japanese ? Japanese : English;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QFontMetricsF metrics(painter.font());
    const QRectF inner = area.adjusted(Gap, Gap / 2.0, -Gap, -Gap / 2.0);
    const QRectF head(inner.left(), inner.top(), inner.width(), metrics.height() * 1.4);
    QFont bold = painter.font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(bold).elidedText(title, Qt::ElideRight, inner.width() * 0.6));
    QFont plain = bold;
    plain.setBold(false);
    painter.setFont(plain);
    PaintLegend(painter, head, target != nullptr, words);
    const QRectF body(inner.left(), head.bottom() + Gap / 2.0, inner.width(), inner.bottom() - head.bottom() - Gap / 2.0);
    const double split = body.width() * 0.48;
    PaintBars(painter, QRectF(body.left(), body.top(), split - Gap, body.height()), Bars(source, target), source.family,
              words, target != nullptr);
    PaintHistogram(painter, QRectF(body.left() + split, body.top(), body.width() - split, body.height()), source,
                   target, words);
    painter.restore();
}

QImage ProfileImage(const QString& title, const generate::ColumnProfile& source, const generate::ColumnProfile* target,
                    QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    PaintProfile(painter, QRectF(QPointF(0, 0), QSizeF(size)), title, source, target, false);
    painter.end();
    return image;
}

}  // namespace charts
