#pragma once

#include <QAbstractListModel>
#include <QCache>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QListView>
#include <QPixmap>
#include <QTextLayout>
#include <QStringList>
#include <QStyledItemDelegate>

#include "ui/Throttle.h"

#include <algorithm>
#include <deque>
#include <memory>

namespace ui {

// The lines of a log, the newest last, at most a given number of them.
class TLogModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // inPlace: when the log is full, its rows stay and their texts move up,
    // so a view keeps its layout and scroll range; otherwise the oldest rows
    // are removed and new ones inserted, which a selection follows.
    void Append(const QStringList& lines, int maximum, bool inPlace = false);
    // How many of count new lines Append adds: only the newest that can stay.
    static int Adding(qsizetype count, int maximum) { return static_cast<int>(std::min<qsizetype>(count, maximum)); }
    void Clear();
    QString Line(int row) const { return FLines[static_cast<std::size_t>(row)]; }

private:
    std::deque<QString> FLines;
};

// Draws a row as the styled delegate does, its text from a cache of laid-out
// lines: a line is shaped once, not at every repaint that scrolls it by. A
// picked row, whose highlight follows the text, and elided or wrapped text
// are left to the styled delegate.
class TLogRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Pictures of rows kept for copying.
    qsizetype Pictures() const { return FPictures.size(); }

    // What a copied row's picture depends on; another look is another picture.
    struct TRowLook {
        QString Text;
        QSize Size;
        qreal Ratio;
        int State;
        int Features;
        int Direction;
        int Alignment;
        qint64 Palette;
        QFont Font;
        QRgb Below;
        const QStyle* Style;
        bool operator==(const TRowLook&) const = default;
    };

private:
    struct TLaidOut {
        QFont Font; // of the view when laid out
        QSize Hint;
        std::shared_ptr<QTextLayout> Layout; // laid out for Width
        int Width = -1;
        qreal Height = 0;
        int Paints = 0;
        quint64 LastPaint = 0; // the row paint it was last drawn in
    };
    TLaidOut& Cached(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void DrawRow(QPainter* painter, QStyleOptionViewItem opt, const TLaidOut& laidOut, const QRect& textRect) const;
    // The colour a row of the option's list is drawn over, if a plain one.
    static QColor SolidBackground(const QStyleOptionViewItem& option);

    // A few lines that repeat; their pictures are as wide as the list.
    static constexpr int PaintsBeforePicture = 3;
    static constexpr qsizetype MaxPictures = 16;
    static constexpr int MaxPictureWidth = 4096;
    mutable QHash<QString, TLaidOut> FCache;
    mutable QCache<TRowLook, QPixmap> FPictures{MaxPictures};
    mutable quint64 FRowPaints = 0;
};

size_t qHash(const TLogRowDelegate::TRowLook& look, size_t seed = 0);

// The exchange log: it keeps its newest lines as a memo does, and shows them
// as a read-only list that lays out and shapes only the rows on screen. Lines
// appended within a turn of the event loop, or within FlushPeriodMs, reach the
// list as one batch, so a fast exchange costs no text layout that nobody
// could see.
class TLogView final : public QListView {
    Q_OBJECT
public:
    explicit TLogView(QWidget* parent = nullptr);
    static constexpr int FlushPeriodMs = 40;

    void setMaximumBlockCount(int count) { FMaximum = count; }
    void appendPlainText(const QString& line);
    // Every kept line, ended by line breaks between them, as a memo gives it.
    QString toPlainText() const;
    void clear();

    void doItemsLayout() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    void Flush() const;
    // The size the list takes for every row: that of the last one.
    QSize LastRowHint() const;

    TLogModel* FModel;
    mutable QStringList FPending;
    mutable TThrottle FFlush;
    int FMaximum = 201;
    // Rows the texts of a full log move up by in the append under way.
    mutable int FShiftRows = 0;
    QSize FLaidOutHint; // LastRowHint at the last layout
};

} // namespace ui
