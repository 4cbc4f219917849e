#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

#include "ui/Throttle.h"

#include <deque>

namespace ui {

// The lines of a log, the newest last, at most a given number of them.
class TLogModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void Append(const QStringList& lines, int maximum);
    void Clear();
    QString Line(int row) const { return FLines[static_cast<std::size_t>(row)]; }

private:
    std::deque<QString> FLines;
};

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

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Flush() const;

    TLogModel* FModel;
    mutable QStringList FPending;
    mutable TThrottle FFlush;
    int FMaximum = 201;
};

} // namespace ui
