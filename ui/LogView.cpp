#include "ui/LogView.h"

#include "ui/PaintCopy.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <utility>

namespace ui {

int TLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FLines.size());
}

QVariant TLogModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    return FLines[static_cast<std::size_t>(index.row())];
}

void TLogModel::Append(const QStringList& lines, int maximum, bool inPlace)
{
    const int adding = Adding(lines.size(), maximum);
    const qsizetype skip = lines.size() - adding;
    if (inPlace && adding > 0 && static_cast<int>(FLines.size()) == maximum) {
        FLines.erase(FLines.begin(), FLines.begin() + adding);
        FLines.insert(FLines.end(), lines.begin() + skip, lines.end());
        emit dataChanged(index(0), index(maximum - 1), {Qt::DisplayRole});
        return;
    }
    const int excess = static_cast<int>(FLines.size()) + adding - maximum;
    if (excess > 0) {
        beginRemoveRows(QModelIndex(), 0, excess - 1);
        FLines.erase(FLines.begin(), FLines.begin() + excess);
        endRemoveRows();
    }
    if (adding <= 0)
        return;
    const int first = static_cast<int>(FLines.size());
    beginInsertRows(QModelIndex(), first, first + adding - 1);
    FLines.insert(FLines.end(), lines.begin() + skip, lines.end());
    endInsertRows();
}

void TLogModel::Clear()
{
    beginResetModel();
    FLines.clear();
    endResetModel();
}

TLogRowDelegate::TLaidOut& TLogRowDelegate::Cached(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    auto found = FCache.find(text);
    if (found != FCache.end() && found->Font == option.font)
        return *found;
    // Twice the lines a log keeps: what scrolled away is not kept for ever.
    if (found == FCache.end() && FCache.size() >= 512)
        FCache.clear();
    TLaidOut laidOut;
    laidOut.Font = option.font;
    return *FCache.insert(text, laidOut);
}

void TLogRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (opt.state & (QStyle::State_Selected | QStyle::State_HasFocus) || opt.textElideMode != Qt::ElideNone ||
        opt.features & QStyleOptionViewItem::WrapText) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QWidget* widget = opt.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    TLaidOut& laidOut = Cached(option, index);
    if (!laidOut.Layout || laidOut.Width != textRect.width()) {
        // Laid out as the style lays out a row's text.
        QString text = opt.text;
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        laidOut.Layout = std::make_shared<QTextLayout>(text, opt.font);
        QTextOption textOption;
        textOption.setWrapMode(QTextOption::ManualWrap);
        textOption.setTextDirection(opt.direction);
        textOption.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
        laidOut.Layout->setTextOption(textOption);
        // Keeps the shaped glyphs: otherwise each repaint shapes the row anew.
        laidOut.Layout->setCacheEnabled(true);
        laidOut.Height = 0;
        laidOut.Layout->beginLayout();
        for (QTextLine line = laidOut.Layout->createLine(); line.isValid(); line = laidOut.Layout->createLine()) {
            line.setLineWidth(textRect.width());
            line.setPosition(QPointF(0, laidOut.Height));
            laidOut.Height += line.height();
        }
        laidOut.Layout->endLayout();
        laidOut.Width = textRect.width();
    }
    // A line that comes again and again (the same request, polled) is drawn
    // once over the list's own background and then copied. A line seen once,
    // or one that comes back only after as many other rows as pictures are
    // kept (a measured value that wanders), is drawn directly: its picture
    // would have made way for others before it came back, and taking one
    // costs more than drawing the line.
    const quint64 previous = std::exchange(laidOut.LastPaint, ++FRowPaints);
    const bool comesBackSoon =
        ++laidOut.Paints >= PaintsBeforePicture && FRowPaints - previous <= static_cast<quint64>(MaxPictures);
    const QColor below = SolidBackground(opt);
    if (!comesBackSoon || !below.isValid() || !CopyLandsAsDrawn(*painter) || opt.rect.width() > MaxPictureWidth) {
        DrawRow(painter, opt, laidOut, textRect);
        return;
    }
    const qreal ratio = painter->device()->devicePixelRatio();
    const TRowLook look{opt.text,
                        opt.rect.size(),
                        ratio,
                        static_cast<int>(opt.state),
                        static_cast<int>(opt.features),
                        static_cast<int>(opt.direction),
                        static_cast<int>(opt.displayAlignment),
                        opt.palette.cacheKey(),
                        opt.font,
                        below.rgba(),
                        style};
    QPixmap* found = FPictures.object(look);
    if (!found) {
        // As the list's painter stands when it asks for the row.
        found = new QPixmap(DrawnPicture(opt.rect.size(), *painter, below, [&](QPainter& drawing) {
            drawing.translate(-opt.rect.topLeft());
            DrawRow(&drawing, opt, laidOut, textRect);
        }));
        // The least lately copied goes first: the polled line stays. The
        // store owns the picture from here.
        FPictures.insert(look, found);
    }
    painter->drawPixmap(opt.rect.topLeft(), *found);
}

void TLogRowDelegate::DrawRow(QPainter* painter, QStyleOptionViewItem opt, const TLaidOut& laidOut,
                              const QRect& textRect) const
{
    const QWidget* widget = opt.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // The background as the style draws it; the text as it would.
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                            : QPalette::Inactive;
    painter->save();
    painter->setClipRect(opt.rect, Qt::IntersectClip);
    painter->setPen(opt.palette.color(group, QPalette::Text));
    const QSize box = QSizeF(laidOut.Layout->maximumWidth(), laidOut.Height).toSize();
    laidOut.Layout->draw(painter, QStyle::alignedRect(opt.direction, opt.displayAlignment, box, textRect).topLeft());
    painter->restore();
}

QColor TLogRowDelegate::SolidBackground(const QStyleOptionViewItem& option)
{
    // Beneath a row of a list lies its viewport's own background, filled in
    // before the rows are drawn; only a plain opaque one can be drawn anew.
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const QWidget* port = view ? view->viewport() : nullptr;
    if (!port || !port->autoFillBackground())
        return {};
    const QBrush brush = port->palette().brush(port->backgroundRole());
    if (brush.style() != Qt::SolidPattern || brush.color().alpha() != 255)
        return {};
    return brush.color();
}

size_t qHash(const TLogRowDelegate::TRowLook& look, size_t seed)
{
    return qHashMulti(seed, look.Text, look.Size.width(), look.Size.height(), look.Ratio, look.State, look.Palette,
                      look.Below);
}

QSize TLogRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // Asked of one row only when the rows are alike: worked out when asked.
    TLaidOut& laidOut = Cached(option, index);
    if (!laidOut.Hint.isValid())
        laidOut.Hint = QStyledItemDelegate::sizeHint(option, index);
    return laidOut.Hint;
}

TLogView::TLogView(QWidget* parent)
    : QListView(parent), FModel(new TLogModel(this)), FFlush(FlushPeriodMs, [this] { Flush(); })
{
    setModel(FModel);
    setItemDelegate(new TLogRowDelegate(this));
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
}

void TLogView::appendPlainText(const QString& line)
{
    FPending.append(line);
    FFlush.Request();
}

void TLogView::Flush() const
{
    FFlush.Cancel();
    if (FPending.isEmpty())
        return;
    QScrollBar* bar = verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    // Rows a technician picked keep their lines; otherwise the rows stay put
    // and only their texts move, which spares the view a new layout.
    const bool picked = selectionModel()->hasSelection() || selectionModel()->currentIndex().isValid();
    FShiftRows = picked ? 0 : TLogModel::Adding(FPending.size(), FMaximum);
    FModel->Append(FPending, FMaximum, !picked);
    FShiftRows = 0;
    FPending.clear();
    // As a memo does: a view left at the newest line follows the new ones.
    if (atBottom)
        const_cast<TLogView*>(this)->scrollToBottom();
}

QSize TLogView::LastRowHint() const
{
    const int rows = FModel->rowCount();
    if (rows == 0)
        return QSize();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return itemDelegate()->sizeHint(option, FModel->index(rows - 1));
}

void TLogView::doItemsLayout()
{
    QListView::doItemsLayout();
    FLaidOutHint = LastRowHint();
}

void TLogView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    // The texts of a full log moved up in rows that stay: so does the picture,
    // and only the rows that come into sight are drawn. Rows of another size
    // need a new layout, and a screen reader is told of every changed row.
    if (FShiftRows > 0 && LastRowHint() == FLaidOutHint && !QAccessible::isActive()) {
        QWidget* const port = viewport();
        const int by = FShiftRows * visualRect(topLeft).height();
        port->scroll(0, -by);
        // What lay below the last row was no row: where it moved to is drawn anew.
        const int end = visualRect(bottomRight).bottom() + 1;
        if (end < port->height())
            port->update(0, end - by, port->width(), port->height() - end + by);
        return;
    }
    QListView::dataChanged(topLeft, bottomRight, roles);
}

QString TLogView::toPlainText() const
{
    Flush();
    QStringList lines;
    for (int row = 0; row < FModel->rowCount(); ++row)
        lines.append(FModel->Line(row));
    return lines.join(QLatin1Char('\n'));
}

void TLogView::clear()
{
    FPending.clear();
    FFlush.Cancel();
    FModel->Clear();
}

void TLogView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        // The chosen lines, or all of them when none is chosen.
        QStringList lines;
        const QModelIndexList chosen = selectionModel()->selectedRows();
        QList<int> rows;
        for (const QModelIndex& index : chosen)
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        for (const int row : rows)
            lines.append(FModel->Line(row));
        QApplication::clipboard()->setText(lines.isEmpty() ? toPlainText() : lines.join(QLatin1Char('\n')));
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace ui
