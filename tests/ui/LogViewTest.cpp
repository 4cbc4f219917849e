#include "ui/LogView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
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
