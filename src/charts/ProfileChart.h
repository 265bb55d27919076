#pragma once
// A chart of a column's profile, drawn with a plain QPainter so that the
// report, the editors and the comparison window share it: the NULL share and
// the frequent values as bars (source and target side by side, labelled),
// the rest as a histogram over value (numbers, dates) or length (texts), both
// sides on one axis, and a legend. Without a target only the source is drawn.
#include "generate/ColumnProfile.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

namespace charts {

// Draws into `area` with the painter's font, its words in Japanese for the
// windows or in English for the report.
void PaintProfile(QPainter& painter, const QRectF& area, const QString& title, const generate::ColumnProfile& source,
                  const generate::ColumnProfile* target, bool japanese);

// The chart as an image of `size` on white, in English, for the report (needs
// a QGuiApplication for its text).
QImage ProfileImage(const QString& title, const generate::ColumnProfile& source, const generate::ColumnProfile* target,
                    QSize size);

}  // namespace charts
