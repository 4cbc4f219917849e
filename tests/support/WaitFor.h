#pragma once

#include <QTest>

// Runs the event loop until cond holds; the deadline only guards against a
// hang, it is no measure of speed.
template <typename Cond> bool WaitFor(Cond cond, int ms = 15000) { return QTest::qWaitFor(cond, ms); }
