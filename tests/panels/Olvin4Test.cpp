#include "support/FakeHost.h"
#include "support/Frames.h"
#include "support/LayoutCheck.h"

#include "devices/Olvin4.h"
#include "panels/Olvin4.h"
#include "panels/PanelFactory.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

QByteArray StatusFrame(const std::array<QByteArray, 6>& fields)
{
    QByteArray body = "~001T";
    for (const QByteArray& field : fields)
        body += field;
    return WithSum(body);
}

class Olvin4Panel : public PanelTest<TOLVIN4> {
protected:
    std::array<QLineEdit*, 6> Values() const
    {
        return {Panel->Edit1, Panel->Edit2, Panel->Edit3, Panel->Edit4, Panel->Edit5, Panel->Edit6};
    }
    std::array<QLabel*, 6> States() const
    {
        return {Panel->Label7, Panel->Label8, Panel->Label9, Panel->Label11, Panel->Label12, Panel->Label13};
    }
    std::array<QPushButton*, 12> Buttons() const
    {
        return {Panel->Button3, Panel->Button4,  Panel->Button5,  Panel->Button6,  Panel->Button7,  Panel->Button8,
                Panel->Button9, Panel->Button10, Panel->Button11, Panel->Button12, Panel->Button13, Panel->Button14};
    }
    QStringList ValueTexts() const
    {
        QStringList texts;
        for (QLineEdit* edit : Values())
            texts << edit->text();
        return texts;
    }
    QStringList StateTexts() const
    {
        QStringList texts;
        for (QLabel* label : States())
            texts << label->text();
        return texts;
    }
};

const QByteArray kStatus = "#1001T39\r";

} // namespace

TEST_F(Olvin4Panel, StatusAndStartRequestsOnTheLine)
{
    Panel->StartPoll();
    Panel->Button3->click();
    Panel->HandleResponse(StatusFrame({"0000", "0000", "0000", "0000", "0000", "0000"}));
    EXPECT_EQ(Host.Sent, QByteArrayList({kStatus, "#10011W6D\r"}));
}

TEST_F(Olvin4Panel, EachButtonCommandsItsOwnRow)
{
    struct Case {
        QPushButton* button;
        char channel;
        char command;
    };
    const Case cases[] = {
        {Panel->Button3, '1', 'W'},  {Panel->Button4, '1', 'w'},  {Panel->Button6, '2', 'W'},
        {Panel->Button5, '2', 'w'},  {Panel->Button8, '3', 'W'},  {Panel->Button7, '3', 'w'},
        {Panel->Button10, '4', 'W'}, {Panel->Button9, '4', 'w'},  {Panel->Button11, '5', 'W'},
        {Panel->Button12, '5', 'w'}, {Panel->Button13, '6', 'W'}, {Panel->Button14, '6', 'w'},
    };
    DeviceNumber = "042";
    Panel->StartPoll();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        EXPECT_EQ(c.button->text(), c.command == 'W' ? QStringLiteral("Пуск") : QStringLiteral("Стоп"));
        Panel->FPendingRequest.clear();
        c.button->click();
        EXPECT_EQ(Panel->FPendingRequest, MakeFrame(QByteArray("#1042") + c.channel + c.command));
    }
}

TEST_F(Olvin4Panel, LaterCommandReplacesEarlierThenPollingResumes)
{
    const QByteArray good = StatusFrame({"0000", "0000", "0000", "0000", "0000", "0000"});
    Panel->StartPoll();
    Panel->Button6->click();  // "Пуск" of row 2
    Panel->Button12->click(); // "Стоп" of row 5
    Panel->HandleResponse(good);
    Panel->HandleResponse(WithSum("~0015w"));
    EXPECT_EQ(Host.Sent, QByteArrayList({kStatus, MakeFrame("#10015w"), kStatus}));
}

TEST_F(Olvin4Panel, StopAndStartDropUnsentCommand)
{
    Panel->StartPoll();
    Panel->Button4->click();
    Panel->StopPoll();
    PollActive = false;
    PollActive = true;
    Panel->StartPoll();
    Panel->HandleResponse(StatusFrame({"0000", "0000", "0000", "0000", "0000", "0000"}));
    EXPECT_EQ(Host.Sent, QByteArrayList({kStatus, kStatus, kStatus}));
}

TEST_F(Olvin4Panel, ButtonsFollowPolling)
{
    auto allEnabled = [this](bool enabled) {
        for (QPushButton* button : Buttons())
            if (button->isEnabled() != enabled)
                return false;
        return true;
    };
    EXPECT_TRUE(allEnabled(false));
    // A disabled button queues nothing.
    Panel->Button3->click();
    EXPECT_TRUE(Panel->FPendingRequest.isEmpty());

    Panel->StartPoll();
    EXPECT_TRUE(allEnabled(true));
    Panel->HandleResponse(StatusFrame({"0011", "0022", "-001", "0044", "0055", "0066"}));
    Panel->StopPoll();
    EXPECT_TRUE(allEnabled(false));
    // Stopping keeps what is shown.
    EXPECT_EQ(Panel->Edit6->text(), "006.6");
    EXPECT_EQ(Panel->Label9->text(), "Ток ниже минимального");
}

TEST_F(Olvin4Panel, StateCodeShownInItsOwnRowOnly)
{
    Panel->StartPoll();
    Panel->HandleResponse(StatusFrame({"0123", "0000", "-003", "0456", "0789", "1000"}));
    EXPECT_EQ(ValueTexts(), QStringList({"012.3", "000.0", "-00.3", "045.6", "078.9", "100.0"}));
    EXPECT_EQ(StateTexts(), QStringList({"", "", "Ток больше максимального", "", "", ""}));
}

TEST_F(Olvin4Panel, EveryStateCodeAndNearMisses)
{
    Panel->StartPoll();
    Panel->HandleResponse(StatusFrame({"-001", "-002", "-003", "-004", "-005", "-01 "}));
    EXPECT_EQ(StateTexts(), QStringList({"Ток ниже минимального", "Интегральная защита", "Ток больше максимального",
                                         "Ошибка контроля нории", "", ""}));
    EXPECT_EQ(ValueTexts(), QStringList({"-00.1", "-00.2", "-00.3", "-00.4", "-00.5", "-01. "}));

    // Each good answer overwrites all six rows.
    Panel->HandleResponse(StatusFrame({"0000", "0000", "0000", "0000", "0000", "0000"}));
    EXPECT_EQ(StateTexts(), QStringList({"", "", "", "", "", ""}));
    EXPECT_EQ(ValueTexts(), QStringList({"000.0", "000.0", "000.0", "000.0", "000.0", "000.0"}));
}

TEST_F(Olvin4Panel, RejectedOrForeignFramesLeaveRowsButPollingGoesOn)
{
    Panel->StartPoll();
    Panel->HandleResponse(StatusFrame({"0123", "-002", "0000", "0000", "0000", "0000"}));
    const QStringList values = ValueTexts();
    const QStringList states = StateTexts();

    QByteArray bad = StatusFrame({"9999", "-003", "9999", "9999", "9999", "9999"});
    bad[bad.size() - 1] = bad.at(bad.size() - 1) == '0' ? '1' : '0';
    Panel->Button8->click();
    Panel->HandleResponse(bad);
    EXPECT_EQ(ValueTexts(), values);
    EXPECT_EQ(StateTexts(), states);

    // The command's answer and a lower-case "t" are not status answers.
    Panel->HandleResponse(WithSum("~0013W"));
    Panel->HandleResponse(WithSum("~001t9999999999999999999999999"));
    EXPECT_EQ(ValueTexts(), values);
    EXPECT_EQ(StateTexts(), states);
    EXPECT_EQ(Host.Sent, QByteArrayList({kStatus, kStatus, MakeFrame("#10013W"), kStatus, kStatus}));
}

TEST_F(Olvin4Panel, LinkLostKeepsStatesAndSendsWaitingCommand)
{
    Panel->StartPoll();
    Panel->HandleResponse(StatusFrame({"-004", "0010", "-001", "0000", "-002", "0000"}));
    Panel->Button13->click();
    Panel->LinkLost();
    EXPECT_EQ(ValueTexts(), QStringList(6, "Нет связи"));
    EXPECT_EQ(StateTexts(),
              QStringList({"Ошибка контроля нории", "", "Ток ниже минимального", "", "Интегральная защита", ""}));
    Panel->LinkLost();
    EXPECT_EQ(Host.Sent, QByteArrayList({kStatus, kStatus, MakeFrame("#10016W"), kStatus}));

    // The next good answer replaces the no-link text.
    Panel->HandleResponse(StatusFrame({"0000", "0000", "0000", "0000", "0000", "0001"}));
    EXPECT_EQ(Panel->Edit6->text(), "000.1");
}

TEST_F(Olvin4Panel, StartClearsDisplaysOfEarlierRun)
{
    Panel->StartPoll();
    Panel->HandleResponse(StatusFrame({"-003", "0100", "0000", "0000", "0000", "0000"}));
    Panel->StopPoll();
    DeviceNumber = "002";
    Panel->StartPoll();
    EXPECT_EQ(ValueTexts(), QStringList(6, ""));
    EXPECT_EQ(StateTexts(), QStringList(6, ""));
    EXPECT_EQ(Host.Sent.last(), MakeFrame("#1002T"));
}

TEST_F(Olvin4Panel, ShortOrGarbledStatusFramesAreSafe)
{
    Panel->StartPoll();
    // Checksum-valid frames too short to hold a letter, or with a part of the payload missing.
    for (const QByteArray& frame : {QByteArray("00"), WithSum("~"), WithSum("~001"), WithSum("~001T")}) {
        Panel->HandleResponse(frame);
        EXPECT_EQ(ValueTexts(), QStringList(6, ""));
    }
    // Only whole fields before the checksum are shown: here channel 2 has three characters.
    Panel->HandleResponse(WithSum("~001T-003012"));
    EXPECT_EQ(ValueTexts(), QStringList({"-00.3", "", "", "", "", ""}));
    EXPECT_EQ(StateTexts(), QStringList({"Ток больше максимального", "", "", "", "", ""}));

    // Bytes that are no digits are shown as sent; extra payload is ignored.
    Panel->HandleResponse(
        WithSum(QByteArray("~001T") + QByteArray("\x00\xC0\xFF~", 4) + "#T\r\n-004ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(ValueTexts(),
              QStringList({QString(QChar(0)) + QStringLiteral("Ая.~"), "#T\r.\n", "-00.4", "ABC.D", "EFG.H", "IJK.L"}));
    EXPECT_EQ(Panel->Label9->text(), "Ошибка контроля нории");
    EXPECT_EQ(Host.Sent.size(), 7);
}

TEST(Olvin4Form, FactoryBuildsTheIdlePanel)
{
    FakeHost host;
    PollActive = false;
    std::unique_ptr<TDevicePanel> panel = panels::CreatePanel(devices::TDeviceKind::Olvin4, host);
    auto* olvin = qobject_cast<TOLVIN4*>(panel.get());
    ASSERT_NE(olvin, nullptr);
    EXPECT_EQ(olvin->objectName(), "OLVIN4");
    EXPECT_EQ(olvin->windowTitle(), "Ольвин 4э");
    EXPECT_EQ(olvin->findChild<QPushButton*>("Button14"), olvin->Button14);
    EXPECT_EQ(olvin->findChild<QLabel*>("Label13"), olvin->Label13);
    // No read button stands on the pages: this model answers no such request.
    EXPECT_EQ(olvin->PageControl1->count(), 2);
    EXPECT_TRUE(olvin->PageControl1->findChildren<QPushButton*>().isEmpty());
}

TEST_F(Olvin4Panel, LongestTextsFitTheirRows)
{
    Panel->resize(kPanelArea);
    Panel->show();
    Panel->LinkLost();
    for (QLabel* label : States())
        label->setText("Ток больше максимального");
    Panel->layout()->activate();
    Panel->Panel1->layout()->activate();

    EXPECT_EQ(Panel->size(), kPanelArea);
    for (QLabel* label : States()) {
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::red));
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
        EXPECT_LE(label->geometry().right(), Panel->Panel1->contentsRect().right());
    }
    for (QLineEdit* edit : Values()) {
        const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        EXPECT_GE(edit->width() - 2 * frame - 4, QFontMetrics(edit->font()).horizontalAdvance(edit->text()));
    }
    for (QPushButton* button : Buttons())
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->objectName().toStdString();
}

TEST_F(Olvin4Panel, EverythingFitsTheChildArea)
{
    Panel->resize(kPanelArea);
    Panel->show();
    // The widest texts the rows show: no link in every value, the longest state
    // on every channel.
    Panel->LinkLost();
    Panel->DecodeStatus(StatusFrame({"-003", "-003", "-003", "-003", "-003", "-003"}));
    Panel->LinkLost();
    ASSERT_EQ(StateTexts(), QStringList(6, "Ток больше максимального"));
    for (QWidget* page : {Panel->TabSheet1, Panel->TabSheet2}) {
        SCOPED_TRACE(page->objectName().toStdString());
        Panel->PageControl1->setCurrentWidget(page);
        QCoreApplication::sendPostedEvents();
        // A layout wanting more than the area would have grown the panel past it.
        EXPECT_EQ(Panel->size(), kPanelArea);
        EXPECT_EQ(ClippedWidgets(*Panel).join(QLatin1Char('\n')).toStdString(), "");
        // The rows come first: the page beside them keeps room for its notice.
        EXPECT_GE(Panel->PageControl1->width(), Panel->PageControl1->minimumSizeHint().width());
    }
}
