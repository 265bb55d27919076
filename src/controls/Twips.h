#pragma once
// Sizes given in twips (1/1440 inch), as window layouts state them, in pixels
// of the screen a widget is on.
#include <QWidget>
#include <QtMath>

namespace controls {

inline int TwipsToPixels(const QWidget* widget, int twips)
{
    return qRound(twips * widget->logicalDpiX() / 1440.0);
}

}  // namespace controls
