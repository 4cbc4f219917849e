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

QPixmap DrawnPicture(QSize size, const QPainter& like, const QColor& background,
                     const std::function<void(QPainter&)>& draw)
{
    const qreal ratio = like.device()->devicePixelRatio();
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(background);
    QPainter drawing(&picture);
    drawing.setPen(like.pen());
    drawing.setBrush(like.brush());
    drawing.setBackground(like.background());
    drawing.setFont(like.font());
    drawing.setRenderHints(like.renderHints());
    draw(drawing);
    drawing.end();
    return picture;
}

} // namespace ui
