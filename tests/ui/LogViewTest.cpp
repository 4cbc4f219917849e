#include "ui/LogView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QSignalSpy>
#include <QTest>

// Lines appended close together reach the list at once, the newest kept.
TEST(LogView, LinesOfOneTurnArriveAsOneBatchAndOnlyTheNewestStay)
{
    ui::TLogView log;
    log.setMaximumBlockCount(201);
    QSignalSpy inserted(log.model(), &QAbstractItemModel::rowsInserted);
    for (int i = 1; i <= 500; ++i)
        log.appendPlainText(QString::number(i));
    EXPECT_EQ(inserted.count(), 0); // nothing laid out within the turn
    QCoreApplication::processEvents();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(log.model()->rowCount(), 201);
    EXPECT_EQ(log.model()->index(0, 0).data().toString(), "300");
    log.appendPlainText("501");
    const QString text = log.toPlainText(); // a reader sees what is pending too
    EXPECT_TRUE(text.startsWith("301\n302\n"));
    EXPECT_TRUE(text.endsWith("\n500\n501"));
    EXPECT_EQ(text.count(u'\n'), 200);

    log.selectionModel()->select(log.model()->index(200, 0), QItemSelectionModel::Select);
    log.selectionModel()->select(log.model()->index(199, 0), QItemSelectionModel::Select);
    QTest::keyClick(&log, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "500\n501");

    log.clear();
    log.appendPlainText("a");
    log.clear();
    QCoreApplication::processEvents();
    EXPECT_EQ(log.toPlainText(), "");
}

// A full log moves its texts up in rows that stay, unless a technician has
// picked a row: then rows go and come, and the pick stays on its line.
TEST(LogView, FullLogShiftsTextsInPlaceUnlessARowIsPicked)
{
    enum class Pick { None, Selected, Current };
    struct Row {
        Pick Picked;
        int Inserts; // rowsInserted signals for the new line
        int Changes; // dataChanged signals
    };
    const Row rows[] = {
        {Pick::None, 0, 1},
        {Pick::Selected, 1, 0},
        {Pick::Current, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.Picked));
        ui::TLogView log;
        log.setMaximumBlockCount(3);
        for (const char* line : {"1", "2", "3"})
            log.appendPlainText(line);
        QCoreApplication::processEvents();
        const QModelIndex third = log.model()->index(2, 0);
        if (row.Picked == Pick::Selected)
            log.selectionModel()->select(third, QItemSelectionModel::Select);
        if (row.Picked == Pick::Current)
            log.selectionModel()->setCurrentIndex(third, QItemSelectionModel::NoUpdate);
        QSignalSpy inserted(log.model(), &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(log.model(), &QAbstractItemModel::dataChanged);
        log.appendPlainText("4");
        EXPECT_EQ(log.toPlainText(), "2\n3\n4");
        EXPECT_EQ(inserted.count(), row.Inserts);
        EXPECT_EQ(changed.count(), row.Changes);
        const QModelIndex picked = row.Picked == Pick::Selected ? log.selectionModel()->selectedRows().value(0)
                                                                : log.selectionModel()->currentIndex();
        EXPECT_EQ(picked.data().toString(), row.Picked == Pick::None ? "" : "3");
    }
}

namespace {

// A row of the log as the list asks its delegate to draw it, width by height.
QStyleOptionViewItem RowOption(const ui::TLogView& log, int width, int height)
{
    QStyleOptionViewItem option;
    option.initFrom(&log);
    option.widget = &log;
    option.rect = QRect(0, 0, width, height);
    option.textElideMode = log.textElideMode();
    option.state |= QStyle::State_Enabled | QStyle::State_Active;
    return option;
}

} // namespace

// The cached rows look exactly as the styled delegate draws them, in the
// window's font and others, in rows of even and odd height.
TEST(LogView, RowsLookAsTheStyledDelegateDrawsThem)
{
    const QString lines[] = {
        "12:00:24.123  #SLT001T",
        "~001T0160398110047168NND0  Связь потеряна: нет эха от адаптера",
        "W W W WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW",
        "",
    };
    QStyledItemDelegate styled;
    for (const QFont& font : {QApplication::font(), QFont("DejaVu Sans", 8), QFont("DejaVu Sans", 11)})
        for (const int height : {15, 16, 17}) {
            SCOPED_TRACE(font.toString().toStdString() + " " + std::to_string(height));
            ui::TLogView log;
            log.setFont(font);
            log.resize(400, 120);
            for (const QString& line : lines)
                log.appendPlainText(line);
            log.toPlainText();
            for (int row = 0; row < 4; ++row) {
                SCOPED_TRACE(row);
                const QModelIndex index = log.model()->index(row, 0);
                QStyleOptionViewItem option = RowOption(log, 400, height);
                if (row == 1)
                    option.state |= QStyle::State_Selected;
                const auto draw = [&](const QAbstractItemDelegate& delegate) {
                    // Over what the list lays beneath its rows.
                    QImage image(400, height, QImage::Format_ARGB32_Premultiplied);
                    image.fill(log.viewport()->palette().color(log.viewport()->backgroundRole()));
                    QPainter painter(&image);
                    delegate.paint(&painter, option, index);
                    return image;
                };
                // Drawn directly until the line has come a few times, then as
                // the picture taken of it, then as that picture copied.
                for (int time = 1; time <= 4; ++time)
                    EXPECT_TRUE(draw(*log.itemDelegate()) == draw(styled)) << "time " << time;
                EXPECT_EQ(log.itemDelegate()->sizeHint(option, index), styled.sizeHint(option, index));
            }
        }
}

// Only a line that comes back before as many other rows as pictures are kept
// gets a picture: a polled request does, answers whose values wander do not,
// since each picture would be pushed out before its line came back.
TEST(LogView, PicturesOnlyForLinesThatComeBackSoon)
{
    const auto cycle = [](const QString& prefix, int lines, int rounds, const QString& between = {}) {
        QStringList order;
        for (int round = 0; round < rounds; ++round)
            for (int line = 0; line < lines; ++line) {
                if (!between.isEmpty())
                    order.append(between);
                order.append(prefix + QString::number(line));
            }
        return order;
    };
    struct Row {
        const char* Name;
        QStringList Painted; // lines, in the order their rows are drawn
        qsizetype Pictures;
    };
    const Row rows[] = {
        {"one line four times", {"a", "a", "a", "a"}, 1},
        {"one line twice", {"a", "a"}, 0},
        {"two lines in turn", cycle("a", 2, 4), 2},
        {"sixteen lines in turn", cycle("a", 16, 4), 16},
        {"seventeen lines in turn", cycle("a", 17, 4), 0},
        {"a polled request between forty answers", cycle("~001T", 40, 3, "#SLT001T"), 1},
        {"a polled request between eight answers", cycle("~001T", 8, 3, "#SLT001T"), 9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        ui::TLogView log;
        log.resize(400, 120);
        log.setMaximumBlockCount(1000);
        QStringList distinct = row.Painted;
        distinct.removeDuplicates();
        for (const QString& line : distinct)
            log.appendPlainText(line);
        log.toPlainText();
        const QStyleOptionViewItem option = RowOption(log, 400, 16);
        QImage image(400, 16, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        for (const QString& line : row.Painted) {
            const QModelIndex index = log.model()->index(static_cast<int>(distinct.indexOf(line)), 0);
            log.itemDelegate()->paint(&painter, option, index);
        }
        EXPECT_EQ(static_cast<const ui::TLogRowDelegate*>(log.itemDelegate())->Pictures(), row.Pictures);
    }
}

// A full log whose texts move up shows exactly what a log freshly given the
// same lines shows, at the bottom or scrolled back, after shifts of one row,
// of several, of more than fit, with part of it waiting to be repainted, and
// when a wider line comes.
TEST(LogView, ShiftedPictureIsTheFreshOne)
{
    struct Row {
        int Kept;          // lines the log keeps
        int Shift;         // lines appended in each batch
        int Batches;       // that reach the list before it is repainted
        int ScrolledBack;  // rows above the bottom
        bool PendingPaint; // a part of the view is still to be repainted
        bool WiderLine;    // the last line comes out wider
    };
    const Row rows[] = {
        {20, 1, 1, 0, false, false}, {20, 2, 1, 0, false, false}, {20, 5, 1, 0, true, false},
        {20, 30, 1, 0, false, false}, {20, 2, 1, 3, false, false}, {20, 2, 1, 3, true, false},
        {20, 1, 3, 0, false, false}, {20, 2, 2, 3, false, false}, {20, 2, 1, 0, false, true},
        {4, 1, 1, 0, false, false}, // fewer rows than the view has room for
    };
    const auto line = [](int n, bool wide) {
        return QStringLiteral("12:00:%1.000  ~001T01604001100480NNB8").arg(n % 60, 2, 10, QLatin1Char('0')) +
               (wide ? QStringLiteral("  Связь потеряна: нет эха от адаптера") : QString());
    };
    const auto picture = [](ui::TLogView& log) {
        QCoreApplication::processEvents();
        return log.screen()->grabWindow(log.winId()).toImage();
    };
    // Shown and painted, holding lines; focus would make a current row, and no shift then.
    const auto show = [](ui::TLogView& log, int kept, const QStringList& lines) {
        log.setFocusPolicy(Qt::NoFocus);
        log.setMaximumBlockCount(kept);
        log.resize(260, 150);
        for (const QString& text : lines)
            log.appendPlainText(text);
        log.show();
        QCoreApplication::processEvents();
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.Kept << " " << row.Shift << " " << row.Batches << " "
                                        << row.ScrolledBack << " " << row.PendingPaint << " " << row.WiderLine);
        QStringList lines;
        for (int n = 0; n < row.Kept; ++n)
            lines << line(n, false);
        ui::TLogView shifted;
        show(shifted, row.Kept, lines);
        shifted.verticalScrollBar()->setValue(shifted.verticalScrollBar()->maximum() - row.ScrolledBack);
        picture(shifted);
        if (row.PendingPaint)
            shifted.viewport()->update(QRect(0, 40, 100, 30));
        for (int batch = 0; batch < row.Batches; ++batch) {
            for (int n = 0; n < row.Shift; ++n) {
                lines << line(static_cast<int>(lines.size()), row.WiderLine && n == row.Shift - 1);
                shifted.appendPlainText(lines.last());
            }
            shifted.toPlainText(); // the batch reaches the list now, unpainted
        }
        const QImage after = picture(shifted);

        ui::TLogView fresh;
        show(fresh, row.Kept, lines.mid(lines.size() - row.Kept));
        fresh.verticalScrollBar()->setValue(shifted.verticalScrollBar()->value());
        fresh.horizontalScrollBar()->setValue(shifted.horizontalScrollBar()->value());
        EXPECT_EQ(shifted.horizontalScrollBar()->maximum(), fresh.horizontalScrollBar()->maximum());
        EXPECT_TRUE(after == picture(fresh));
    }
}
