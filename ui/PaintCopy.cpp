#include "ui/PaintCopy.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTransform>

#include <cmath>

namespace ui {
namespace {

bool Whole(qreal value) { return value == std::round(value); }

} // namespace

bool CopyLandsAsDrawn(const QPainter& painter)
{
    const QTransform& at = painter.deviceTransform();
    return Whole(painter.device()->devicePixelRatio()) && at.type() <= QTransform::TxTranslate && Whole(at.dx()) &&
           Whole(at.dy()) && painter.opacity() == 1.0 &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver;
}

} // namespace ui
