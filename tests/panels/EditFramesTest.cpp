#include "panels/PanelFactory.h"

#include "support/FakeHost.h"
#include "support/ImageDifference.h"
#include "support/LayoutCheck.h"

#include <gtest/gtest.h>

#include <QLineEdit>

namespace {

// Every model's fields copy their frames, and its panel looks as it would with
// fields that draw them.
TEST(EditFrames, EveryPanelCopiesThemAndLooksTheSame)
{
    for (const devices::TDeviceKind kind : {devices::TDeviceKind::Olvin3M, devices::TDeviceKind::Selta,
                                            devices::TDeviceKind::Olvin4, devices::TDeviceKind::Torvis}) {
        SCOPED_TRACE(devices::KindIndex(kind));
        FakeHost host;
        const auto panel = panels::CreatePanel(kind, host);
        ASSERT_TRUE(panel);
        panel->resize(kPanelArea);
        const QList<QLineEdit*> edits = panel->findChildren<QLineEdit*>();
        ASSERT_FALSE(edits.isEmpty());
        for (QLineEdit* edit : edits)
            EXPECT_NE(edit->style(), panel->style()) << edit->objectName().toStdString();
        const QImage copying = panel->grab().toImage();
        for (QLineEdit* edit : edits)
            edit->setStyle(nullptr);
        EXPECT_EQ(LargestDifference(copying, panel->grab().toImage()), 0);
    }
}

} // namespace
