#include "ui/EditFrames.h"

#include "ui/PaintCopy.h"

#include <QApplication>
#include <QHash>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionFrame>

namespace ui {
namespace {

// What the panel's drawing depends on; another look is another picture.
struct TFrameLook {
    QSize Size;
    qreal Ratio;
    int State;
    int LineWidth;
    int MidLineWidth;
    int Features;
    int Direction;
    qint64 Palette;
    bool operator==(const TFrameLook&) const = default;
};

size_t qHash(const TFrameLook& look, size_t seed = 0)
{
    return qHashMulti(seed, look.Size.width(), look.Size.height(), look.Ratio, look.State, look.LineWidth,
                      look.MidLineWidth, look.Features, look.Direction, look.Palette);
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
        // Looked up at every paint of every field: a key spelled out as text
        // would cost more than the copy.
        const TFrameLook look{frame->rect.size(),
                              ratio,
                              static_cast<int>(frame->state),
                              frame->lineWidth,
                              frame->midLineWidth,
                              static_cast<int>(frame->features),
                              static_cast<int>(frame->direction),
                              frame->palette.cacheKey()};
        auto found = FPictures.constFind(look);
        if (found == FPictures.cend()) {
            QStyleOptionFrame atOrigin = *frame;
            atOrigin.rect.moveTopLeft(QPoint(0, 0));
            // As the edit's own painter stands when it asks for the panel.
            const QPixmap picture = DrawnPicture(frame->rect.size(), *painter, Qt::transparent, [&](QPainter& drawing) {
                QProxyStyle::drawPrimitive(element, &atOrigin, &drawing, widget);
            });
            // Sizes and states of a window's fields are few; palettes that
            // keep changing must not grow the store without end.
            if (FPictures.size() >= MaxPictures)
                FPictures.clear();
            found = FPictures.insert(look, picture);
        }
        painter->drawPixmap(frame->rect.topLeft(), *found);
    }

private:
    static constexpr qsizetype MaxPictures = 128;
    mutable QHash<TFrameLook, QPixmap> FPictures;
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
