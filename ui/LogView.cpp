#include "ui/LogView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QScrollBar>

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

void TLogModel::Append(const QStringList& lines, int maximum)
{
    // Only the newest that can stay are added at all.
    const qsizetype skip = std::max<qsizetype>(0, lines.size() - maximum);
    const int adding = static_cast<int>(lines.size() - skip);
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

TLogView::TLogView(QWidget* parent)
    : QListView(parent), FModel(new TLogModel(this)), FFlush(FlushPeriodMs, [this] { Flush(); })
{
    setModel(FModel);
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
    FModel->Append(FPending, FMaximum);
    FPending.clear();
    // As a memo does: a view left at the newest line follows the new ones.
    if (atBottom)
        const_cast<TLogView*>(this)->scrollToBottom();
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
