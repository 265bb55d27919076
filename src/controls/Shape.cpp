#include "controls/Shape.h"

#include <QPainter>

#include <algorithm>

namespace controls {

Shape::Shape(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
}

void Shape::setBorderColor(const QColor& color)
{
    m_borderColor = color;
    update();
}

void Shape::setBorderWidth(int width)
{
    m_borderWidth = std::max(0, width);
    update();
}

void Shape::setFillColor(const QColor& color)
{
    m_fillColor = color;
    update();
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_fillColor.isValid())
        painter.fillRect(rect(), m_fillColor);
    const int width = std::min({m_borderWidth, this->width() / 2, height() / 2});
    if (width <= 0)
        return;
    // The line lies inside the shape's rectangle, like a frame drawn inward.
    const QRect r = rect();
    painter.fillRect(QRect(r.left(), r.top(), r.width(), width), m_borderColor);
    painter.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), m_borderColor);
    painter.fillRect(QRect(r.left(), r.top(), width, r.height()), m_borderColor);
    painter.fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), m_borderColor);
}

}  // namespace controls
