// The "Ольвин 3М" panel in the real program against the simulated unit.
#include "support/ProgramFixture.h"

#include "panels/Olvin_3.h"
#include "ui/LogView.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <array>

namespace {

using devices::TDeviceKind;

TEST_F(ProgramTest, Olvin3mWritesAllSettingsAndReadsThemBack)
{
    Start(devices::KindIndex(TDeviceKind::Olvin3M));
    auto* panel = qobject_cast<TOlvin_3m*>(form->CurrentPanel());
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(WaitFor([&] { return panel->Edit4->text() == "Двигатель работает"; }));
    EXPECT_TRUE(panel->Edit1->text().contains(','));

    panel->Button6->click();
    ASSERT_TRUE(WaitFor([&] { return panel->MaskEdit23->Text() == "00012345"; }));
    EXPECT_EQ(panel->MaskEdit8->EditText(), "1,60");

    // New values in every written field; field 22 only shows the line speed.
    const std::array<const char*, 23> written = {"120", "070", "090", "020", "006", "245", "185",     "250",
                                                 "120", "480", "200", "030", "140", "07",  "4",       "2",
                                                 "15",  "03",  "002", "25",  "4",   "3",   "87654321"};
    std::array<ui::TMaskEdit*, 23> fields{};
    for (int n = 0; n < 23; ++n) {
        fields[std::size_t(n)] = panel->findChild<ui::TMaskEdit*>(QStringLiteral("MaskEdit%1").arg(n + 1));
        ASSERT_NE(fields[std::size_t(n)], nullptr);
        if (n != 21)
            fields[std::size_t(n)]->SetText(QString::fromLatin1(written[std::size_t(n)]));
    }
    panel->Button7->click();
    // The sequence writes what was checked at the press, so emptied fields
    // filling again can only be the read-back.
    panel->ClearSettings();
    ASSERT_TRUE(WaitFor([&] { return form->Edit1->text() == " УСТАВКИ УСТАНОВЛЕННЫ "; }));
    ASSERT_TRUE(WaitFor([&] { return !panel->MaskEdit23->Text().isEmpty(); }));
    for (int n = 0; n < 23; ++n)
        EXPECT_EQ(fields[std::size_t(n)]->Text(), QString::fromLatin1(written[std::size_t(n)])) << n + 1;
    EXPECT_TRUE(form->Memo1->toPlainText().contains("#OV3001U2025")); // step 20 carries field 20
    EXPECT_EQ(form->FErrorCount, 0);
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();

    // The preset is the unit's cumulative meter from now on.
    panel->Button8->click();
    ASSERT_TRUE(WaitFor([&] { return panel->Memo1->toPlainText().count('\n') >= 20; }));
    EXPECT_TRUE(panel->Memo1->toPlainText().split('\n').last().startsWith("8765"))
        << panel->Memo1->toPlainText().toStdString();
}

TEST_F(ProgramTest, Olvin3mIdentifiesTheUnitFromIdle)
{
    Open(devices::KindIndex(TDeviceKind::Olvin3M));
    auto* panel = qobject_cast<TOlvin_3m*>(form->CurrentPanel());
    ASSERT_NE(panel, nullptr);
    ASSERT_FALSE(PollActive);
    panel->Button5->click();
    EXPECT_TRUE(PollActive);
    ASSERT_TRUE(WaitFor([&] { return !PollActive; }));
    const QString log = form->Memo1->toPlainText();
    EXPECT_TRUE(log.contains("Номер 001")) << log.toStdString();
    EXPECT_TRUE(log.contains("Пароль 4321")) << log.toStdString();
    EXPECT_TRUE(log.contains("Версия Ольвин 3М v2.07 12.03.2019")) << log.toStdString();
    // One request, and the main window never left its idle state.
    EXPECT_EQ(form->FRequestCount, 1);
    EXPECT_EQ(form->Button1->text(), "Старт");
    EXPECT_FALSE(panel->Button1->isEnabled());
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('|').toStdString();
}

} // namespace
