#include "ui/GroupBox.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionGroupBox>

namespace ui {

void TGroupBox::paintEvent(QPaintEvent* event)
{
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const TLook look{option.rect,         option.state,  option.activeSubControls,
                     option.text,         static_cast<qint64>(palette().cacheKey()),
                     font(),              devicePixelRatio(), style()};
    if (FDrawn.isNull() || !(look == FLook)) {
        FDrawn = QPixmap(size() * look.Ratio);
        FDrawn.setDevicePixelRatio(look.Ratio);
        FDrawn.fill(Qt::transparent);
        // As a painter on the widget itself starts out.
        QPainter painter(&FDrawn);
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        painter.setBackground(palette().brush(backgroundRole()));
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
        FLook = look;
    }
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawPixmap(0, 0, FDrawn);
}

} // namespace ui
