// Repaints and shown values held back to a pace, and what they still let through.
#include "ui/RepaintPacer.h"
#include "ui/Throttle.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <QWidget>

namespace {

class PaintCounting : public QWidget {
public:
    using QWidget::QWidget;
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++Paints; }
};

} // namespace

TEST(RepaintPacer, ARepaintAfterAQuietSpellGoesAtOnceAndTheNextOnesWaitTogether)
{
    // A long period, so that no machine is slow enough to pass it unseen.
    QWidget window;
    auto* child = new PaintCounting(&window);
    child->resize(50, 20);
    new ui::TRepaintPacer(&window, 1000);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return child->Paints > 0; }));
    QTest::qWait(1100);
    const int shown = child->Paints;

    child->update();
    QCoreApplication::processEvents();
    EXPECT_EQ(child->Paints, shown + 1) << "after a quiet spell";
    for (int i = 0; i < 3; ++i) {
        child->update();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(child->Paints, shown + 1) << "within the period";
    ASSERT_TRUE(QTest::qWaitFor([&] { return child->Paints > shown + 1; }, 3000));
    QTest::qWait(100);
    EXPECT_EQ(child->Paints, shown + 2) << "three updates, one repaint";
}

TEST(Throttle, RequestsOfOneTurnRunOnceAtItsEndAndACancelledOneNever)
{
    struct Row {
        int Requests;
        bool Cancel;
        int Runs; // after the turn
    };
    const Row rows[] = {{1, false, 1}, {5, false, 1}, {3, true, 0}, {0, false, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Requests);
        int runs = 0;
        ui::TThrottle throttle(1000, [&] { ++runs; });
        for (int i = 0; i < row.Requests; ++i)
            throttle.Request();
        EXPECT_EQ(throttle.Pending(), row.Requests > 0);
        if (row.Cancel)
            throttle.Cancel();
        EXPECT_EQ(runs, 0) << "nothing runs within the turn";
        QCoreApplication::processEvents();
        EXPECT_EQ(runs, row.Runs);
        EXPECT_FALSE(throttle.Pending());
    }
}
