#include "rules/frmProfileChart.h"

#include "generate/ColumnProfile.h"
#include "charts/ProfileChart.h"

#include <QPainter>

frmProfileChart::frmProfileChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void frmProfileChart::setProfiles(const QString& title, std::shared_ptr<const generate::ColumnProfile> source,
                                  std::shared_ptr<const generate::ColumnProfile> target)
{
    m_title = title;
    m_source = std::move(source);
    m_target = std::move(target);
    update();
}

void frmProfileChart::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!m_source)
        return;
    charts::PaintProfile(painter, QRectF(rect()), m_title, *m_source, m_target.get(), true);
}
