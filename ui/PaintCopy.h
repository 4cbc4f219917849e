#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>

#include <functional>

class QPainter;

namespace ui {

// Whether a picture drawn once and blended in by this painter gives the same
// pixels as drawing it there: only on whole pixels, with nothing else blended
// on the way.
bool CopyLandsAsDrawn(const QPainter& painter);

// A picture of size at like's resolution, filled with background, and drawn
// by draw with a painter that stands as like stands when it asks for it.
QPixmap DrawnPicture(QSize size, const QPainter& like, const QColor& background,
                     const std::function<void(QPainter&)>& draw);

} // namespace ui
