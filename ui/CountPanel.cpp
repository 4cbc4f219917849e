#include "ui/CountPanel.h"

#include <QGlyphRun>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTextLayout>

#include <cmath>

namespace ui {
namespace {

// Glyphs and their places as the text engine lays out text on one line.
QList<QGlyphRun> LaidOut(const QString& text, const QFont& font, QPaintDevice* device)
{
    QTextLayout layout(text, font, device);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return layout.glyphRuns();
}

// As the text engine keeps positions: in 64ths of a pixel, cut, not rounded.
qreal Fixed(qreal value) { return std::trunc(value * 64) / 64; }

} // namespace

const TCountPanel::TDigits& TCountPanel::Digits()
{
    if (FDigits.Checked && FDigits.Font == font() && FDigits.Dpi == logicalDpiY())
        return FDigits;
    FDigits = TDigits();
    FDigits.Checked = true;
    FDigits.Font = font();
    FDigits.Dpi = logicalDpiY();
    const QString digits = QStringLiteral("0123456789");
    const auto pair = [&](int a, int b) { return LaidOut(digits.mid(a, 1) + digits.mid(b, 1), font(), this); };
    for (int d = 0; d < 10; ++d) {
        const QList<QGlyphRun> laidOut = pair(d, 0);
        if (laidOut.size() != 1 || laidOut[0].glyphIndexes().size() != 2)
            return FDigits;
        FDigits.Raw = laidOut[0].rawFont();
        FDigits.Glyphs[d] = laidOut[0].glyphIndexes()[0];
        FDigits.Advances[d] = laidOut[0].positions()[1].x() - laidOut[0].positions()[0].x();
    }
    // Kerning or shaping between two digits would move them or change their
    // glyphs: every pair is laid out once and must stand as placed here, or
    // the label draws them itself.
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b) {
            const QList<QGlyphRun> laidOut = pair(a, b);
            if (laidOut.size() != 1 || laidOut[0].rawFont() != FDigits.Raw ||
                laidOut[0].glyphIndexes() != QList<quint32>{FDigits.Glyphs[a], FDigits.Glyphs[b]} ||
                laidOut[0].positions()[1].x() - laidOut[0].positions()[0].x() != FDigits.Advances[a])
                return FDigits;
        }
    QTextLayout line(digits, font(), this);
    line.beginLayout();
    const QTextLine only = line.createLine();
    line.endLayout();
    FDigits.Ascent = only.ascent();
    // The line's own height, not the whole pixels a line takes in a layout.
    FDigits.Height = only.ascent() + only.descent();
    FDigits.Placeable = true;
    return FDigits;
}

bool TCountPanel::ShowsPlaceableCount()
{
    const QString shown = text();
    if (shown.isEmpty() || shown.size() > 10 || alignment() != Qt::AlignCenter || margin() != 0 || !isEnabled() ||
        layoutDirection() != Qt::LeftToRight || textFormat() == Qt::RichText ||
        style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        return false;
    for (const QChar c : shown)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return Digits().Placeable;
}

void TCountPanel::paintEvent(QPaintEvent* event)
{
    if (!ShowsPlaceableCount()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    qreal width = 0;
    for (const QChar c : text()) {
        const int d = c.unicode() - '0';
        glyphs.append(FDigits.Glyphs[d]);
        positions.append(QPointF(width, 0));
        width += FDigits.Advances[d];
    }
    // Where the style's text drawing puts one centred line in the contents.
    const QRect r = contentsRect();
    const QRectF bounds(r.x() + (r.width() - width) / 2, r.y() + (r.height() - FDigits.Height) / 2, width,
                        FDigits.Height);
    // A count wider or taller than the panel is cut at its edge, as text is.
    if (!QRectF(r).contains(bounds))
        painter.setClipRect(r, Qt::IntersectClip);
    const qreal x = Fixed(bounds.x());
    const qreal y = Fixed(bounds.y()) + FDigits.Ascent;
    QGlyphRun run;
    run.setRawFont(FDigits.Raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    QStyleOption option;
    option.initFrom(this);
    painter.setPen(QPen(option.palette.brush(foregroundRole()), painter.pen().widthF()));
    painter.drawGlyphRun(QPointF(x, y), run);
}

} // namespace ui
