#include "ui/EditFrames.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionFrame>

#include <cmath>

namespace ui {
namespace {

bool Whole(qreal value) { return value == std::round(value); }

// Blending the copy in is the drawing itself only on whole pixels, with
// nothing else blended on the way.
bool CopyLandsAsDrawn(const QPainter& painter)
{
    const QTransform& at = painter.deviceTransform();
    return Whole(painter.device()->devicePixelRatio()) && at.type() <= QTransform::TxTranslate && Whole(at.dx()) &&
           Whole(at.dy()) && painter.opacity() == 1.0 &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver;
}

class TCopiedFrameStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
        if (element != PE_PanelLineEdit || !frame || !CopyLandsAsDrawn(*painter)) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const qreal ratio = painter->device()->devicePixelRatio();
        // What the panel's drawing depends on; another look is another picture.
        const QString key = QStringLiteral("zorvex-edit-frame %1x%2 %3 %4 %5 %6 %7 %8 %9")
                                .arg(frame->rect.width())
                                .arg(frame->rect.height())
                                .arg(ratio)
                                .arg(static_cast<int>(frame->state))
                                .arg(frame->lineWidth)
                                .arg(frame->midLineWidth)
                                .arg(static_cast<int>(frame->features))
                                .arg(static_cast<int>(frame->direction))
                                .arg(frame->palette.cacheKey());
        QPixmap picture;
        if (!QPixmapCache::find(key, &picture)) {
            picture = QPixmap(frame->rect.size() * ratio);
            picture.setDevicePixelRatio(ratio);
            picture.fill(Qt::transparent);
            QStyleOptionFrame atOrigin = *frame;
            atOrigin.rect.moveTopLeft(QPoint(0, 0));
            // As the edit's own painter stands when it asks for the panel.
            QPainter drawing(&picture);
            drawing.setPen(painter->pen());
            drawing.setBrush(painter->brush());
            drawing.setBackground(painter->background());
            drawing.setFont(painter->font());
            drawing.setRenderHints(painter->renderHints());
            QProxyStyle::drawPrimitive(element, &atOrigin, &drawing, widget);
            drawing.end();
            QPixmapCache::insert(key, picture);
        }
        painter->drawPixmap(frame->rect.topLeft(), picture);
    }
};

QStyle* CopiedFrameStyle()
{
    // One for the application, on its own style, going with it.
    static QPointer<TCopiedFrameStyle> style;
    if (!style && !QApplication::style()->name().isEmpty()) {
        style = new TCopiedFrameStyle(QApplication::style()->name());
        style->setParent(qApp);
    }
    return style;
}

} // namespace

void CopyEditFrames(QWidget* root)
{
    QStyle* style = CopiedFrameStyle();
    if (!style)
        return;
    for (QLineEdit* edit : root->findChildren<QLineEdit*>())
        edit->setStyle(style);
}

} // namespace ui
