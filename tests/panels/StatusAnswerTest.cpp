#include "panels/PanelFactory.h"

#include "support/FakeHost.h"
#include "support/Frames.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include <stdexcept>

namespace {

// A status answer only shows values: the next request goes out before they are
// shown, so the device answers it meanwhile; and when the send fails, they are
// shown all the same and the failure goes on to whoever reports it.
TEST(StatusAnswer, NextRequestGoesFirstAndTheValuesAreShownEvenWhenItFails)
{
    struct Row {
        devices::TDeviceKind Kind;
        QByteArray Frame;
        const char* Field;
        const char* Shown;
    };
    const Row rows[] = {
        {devices::TDeviceKind::Selta, "~001T01604001100480NNB8", "Edit1", "2,5  мА"},
        {devices::TDeviceKind::Olvin4, WithSum("~001T001100220033004400550066"), "Edit6", "006.6"},
        {devices::TDeviceKind::Torvis,
         WithSum("~001TN+01.00E+02.00e-03.50M123456m+05.00o------X+07.00N 8.0 x0110203B0c1d2e3f"), "Edit1", "+01.00"},
        {devices::TDeviceKind::Olvin3M, WithSum("~001TA045200010002220221219038001"), "Edit1", "045,2"},
    };
    for (const Row& row : rows) {
        for (const bool sendFails : {false, true}) {
            SCOPED_TRACE(testing::Message() << devices::KindIndex(row.Kind) << (sendFails ? " send fails" : ""));
            StartGlobals("001");
            FakeHost host;
            const auto panel = panels::CreatePanel(row.Kind, host);
            ASSERT_TRUE(panel);
            panel->StartPoll();
            const auto* field = panel->findChild<QLineEdit*>(QString::fromLatin1(row.Field));
            ASSERT_TRUE(field);
            const QString before = field->text();
            const QByteArrayList sentBefore = host.Sent;
            QString shownAtSend = QStringLiteral("(not sent)");
            host.OnSend = [&](const QByteArray&) {
                shownAtSend = field->text();
                if (sendFails)
                    throw std::runtime_error("write failed");
            };
            if (sendFails)
                EXPECT_THROW(panel->HandleResponse(row.Frame), std::runtime_error);
            else
                panel->HandleResponse(row.Frame);
            EXPECT_EQ(shownAtSend, before);
            EXPECT_EQ(field->text(), QString::fromUtf8(row.Shown));
            EXPECT_EQ(host.Sent, sendFails ? sentBefore : sentBefore + QByteArrayList{panel->FPollRequest});
            PollActive = false;
        }
    }
    DeviceNumber.clear();
}

} // namespace
