#pragma once
#include <QColor>
#include <QWidget>

namespace controls {

// A rectangle drawn on a window: a border line, and inside it either nothing
// (the window shows through) or a solid fill. It takes no mouse clicks and no
// focus, so it can lie behind or over other controls as a frame or as a
// growing bar.
class Shape : public QWidget {
    Q_OBJECT

public:
    explicit Shape(QWidget* parent = nullptr);

    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& color);

    // Width of the border line in pixels; 0 draws no border.
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);

    // An invalid colour (the default) leaves the inside transparent.
    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_borderColor = Qt::black;
    int m_borderWidth = 1;
    QColor m_fillColor;
};

}  // namespace controls
