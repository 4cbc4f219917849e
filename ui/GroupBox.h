#pragma once

#include <QFont>
#include <QGroupBox>
#include <QPixmap>
#include <QStyle>

namespace ui {

// A group box that draws its frame and caption once and then copies them.
// The fields inside it are not opaque, so each new value they show repaints
// the box beneath; the style looks up its frame picture by file at every
// paint, which costs more than the field itself.
class TGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What the drawing depends on; another value draws it anew.
    struct TLook {
        QRect Rect;
        QStyle::State State;
        QStyle::SubControls Active;
        QString Title;
        qint64 Palette = 0;
        QFont Font;
        qreal Ratio = 0;
        const QStyle* Style = nullptr;
        bool operator==(const TLook&) const = default;
    };
    TLook FLook;
    QPixmap FDrawn;
};

} // namespace ui
