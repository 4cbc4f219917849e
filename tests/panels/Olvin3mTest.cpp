#include "support/FakeHost.h"
#include "support/Frames.h"
#include "support/LayoutCheck.h"
#include "support/MessageRecorder.h"
#include "support/PanelSnapshot.h"

#include "devices/Cp1251.h"
#include "panels/Olvin_3.h"
#include "panels/PanelFactory.h"
#include "ui/MaskEdit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QByteArray kPoll = MakeFrame("#OV3001T");

struct StatusRow {
    char State = 'N';
    QByteArray A = "0452", B = "0447", C = "0455";
    char Loop = '0';
    unsigned char Bubbling = 0x8C;
    char Mode = '0';
};

QByteArray StatusFrame(const StatusRow& r)
{
    QByteArray body = "~001T";
    body += r.State;
    body += r.A + r.B + r.C + "220221219" + "0380" + "0125" + "2345" + "0120";
    body += r.Loop;
    body += char(r.Bubbling);
    body += r.Mode;
    return WithSum(body);
}

// The simulated unit's settings, fields 1 to 23.
const QByteArray kSettingsPayload = "100060080010005250180160150450100020150"
                                    "05331001001305300012345";
const QByteArray kSettingsAnswer = WithSum("~001u" + kSettingsPayload);

// What a sequence started from those fields puts on the line, step by step.
const QByteArrayList kWriteSteps = {
    MakeFrame("#OV3001U01100"), MakeFrame("#OV3001U02060"),    MakeFrame("#OV3001U03080"), MakeFrame("#OV3001U04010"),
    MakeFrame("#OV3001U05005"), MakeFrame("#OV3001U06250"),    MakeFrame("#OV3001U07180"), MakeFrame("#OV3001U08160"),
    MakeFrame("#OV3001U09150"), MakeFrame("#OV3001U10450"),    MakeFrame("#OV3001U11100"), MakeFrame("#OV3001U12020"),
    MakeFrame("#OV3001U13150"), MakeFrame("#OV3001U1405"),     MakeFrame("#OV3001U153"),   MakeFrame("#OV3001U163"),
    MakeFrame("#OV3001U1710"),  MakeFrame("#OV3001U1801"),     MakeFrame("#OV3001U19001"), MakeFrame("#OV3001U2030"),
    MakeFrame("#OV3001U215"),   MakeFrame("#OV3001I00012345"),
};

const QByteArray kStepAnswer = WithSum("~001U");

QStringList Lines(const QPlainTextEdit* memo) { return memo->toPlainText().split(QLatin1Char('\n')); }

QStringList LogTexts(const QByteArrayList& log)
{
    QStringList texts;
    for (const QByteArray& line : log)
        texts << devices::FromCp1251(line);
    return texts;
}

class Olvin3m : public PollingPanelTest<TOlvin_3m> {
protected:
    QStringList StatusTexts() const
    {
        QStringList texts;
        for (QLineEdit* e : Panel->Panel1->findChildren<QLineEdit*>())
            texts << e->objectName() + QLatin1Char('=') + e->text();
        return texts;
    }
    // Settings read from the unit, then "Установить" while a poll is outstanding.
    void StartWrite()
    {
        Respond(kSettingsAnswer);
        Panel->Button7->click();
        Host.Sent.clear();
    }
    // Runs the sequence until step's request has gone out.
    void RunToStep(int step)
    {
        Respond(StatusFrame({}));
        for (int k = 1; k < step; ++k)
            Respond(kStepAnswer);
        ASSERT_EQ(Host.Sent.last(), kWriteSteps[step - 1]);
    }
    MessageRecorder messages;
};

// ---------------------------------------------------------------- status

TEST_F(Olvin3m, StatusAnswerFillsEveryField)
{
    Respond(StatusFrame({}));
    EXPECT_EQ(StatusTexts(),
              QStringList({"Edit1=045,2", "Edit2=044,7", "Edit3=045,5", "Edit4=Двигатель работает", "Edit5=220",
                           "Edit6=221", "Edit7=219", "Edit8=03,80", "Edit9=012,5", "Edit10=2345", "Edit11=012,0",
                           "Edit12=Закрыт", "Edit13=Автоматический", "Edit14=Выключен, датчик замок."}));
    EXPECT_EQ(Host.Sent, QByteArrayList({kPoll, kPoll}));
}

TEST_F(Olvin3m, StateLoopModeAndBubblingFollowTheirTables)
{
    struct Row {
        const char* name;
        StatusRow frame;
        const char* state; // nullptr: kept from the answer before
        const char* phaseB;
        const char* loop;
        const char* mode;
        const char* bubbling; // nullptr: kept
    };
    const Row rows[] = {
        {"N, a phase at zero",
         {'N', "0000", "0123", "0045"},
         "Двигатель выключен",
         "012,3",
         "Закрыт",
         "Автоматический",
         "Выключен, датчик замок."},
        // The first phase at zero decides: the others are not converted, so letters there do no harm.
        {"N, later phases not converted",
         {'N', "0000", "12a4", "xxxx"},
         "Двигатель выключен",
         "12a,4",
         "Закрыт",
         "Автоматический",
         "Выключен, датчик замок."},
        {"N, the last phase at zero",
         {'N', "0001", "0001", "0000"},
         "Двигатель выключен",
         "000,1",
         "Закрыт",
         "Автоматический",
         "Выключен, датчик замок."},
        {"N, a signed current",
         {'N', "-012", "0001", "0001"},
         "Двигатель выключен",
         "000,1",
         "Закрыт",
         "Автоматический",
         "Выключен, датчик замок."},
        {"A, no conversion outside N",
         {'A', "0012", "12a4"},
         "Авария по току",
         "12a,4",
         "Закрыт",
         "Автоматический",
         "Выключен, датчик замок."},
        {"U", {'U'}, "Авария по напряжению", "044,7", "Закрыт", "Автоматический", "Выключен, датчик замок."},
        {"D", {'D'}, "Авария по давлению", "044,7", "Закрыт", "Автоматический", "Выключен, датчик замок."},
        {"H", {'H'}, "Авария по уровню", "044,7", "Закрыт", "Автоматический", "Выключен, датчик замок."},
        {"S", {'S'}, "Отключение по сухому ходу", "044,7", "Закрыт", "Автоматический", "Выключен, датчик замок."},
        {"unknown state, lower-case a", {'a'}, nullptr, "044,7", "Закрыт", "Автоматический", "Выключен, датчик замок."},
        {"loop 1, mode 7",
         {'N', "0452", "0447", "0455", '1', 0x8C, '7'},
         "Двигатель работает",
         "044,7",
         "Открыт",
         "Ручной",
         "Выключен, датчик замок."},
        {"loop and mode any other",
         {'N', "0452", "0447", "0455", 'x', 0x8C, ' '},
         "Двигатель работает",
         "044,7",
         "Открыт",
         "Ручной",
         "Выключен, датчик замок."},
        {"bubbling 0x80",
         {'N', "0452", "0447", "0455", '0', 0x80},
         "Двигатель работает",
         "044,7",
         "Закрыт",
         "Автоматический",
         "Выключен, авария, датчик замок."},
        {"bubbling 0x8D",
         {'N', "0452", "0447", "0455", '0', 0x8D},
         "Двигатель работает",
         "044,7",
         "Закрыт",
         "Автоматический",
         "Включен, без аварии, датчик замок."},
        {"bubbling 0x91 ends in a blank",
         {'N', "0452", "0447", "0455", '0', 0x91},
         "Двигатель работает",
         "044,7",
         "Закрыт",
         "Автоматический",
         "Выключен, датчик сухой. "},
        {"bubbling 0xA0",
         {'N', "0452", "0447", "0455", '0', 0xA0},
         "Двигатель работает",
         "044,7",
         "Закрыт",
         "Автоматический",
         "Выключен, авария, датчик сухой."},
        {"bubbling 0xAD",
         {'N', "0452", "0447", "0455", '0', 0xAD},
         "Двигатель работает",
         "044,7",
         "Закрыт",
         "Автоматический",
         "Включен, без аварии, датчик сухой."},
        {"bubbling 0x81 unknown",
         {'N', "0452", "0447", "0455", '0', 0x81},
         "Двигатель работает",
         "044,7",
         "Закрыт",
         "Автоматический",
         nullptr},
        {"bubbling 0x0D unknown",
         {'N', "0452", "0447", "0455", '0', 0x0D},
         "Двигатель работает",
         "044,7",
         "Закрыт",
         "Автоматический",
         nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StatusRow before;
        before.State = 'H';
        before.Bubbling = 0xA0;
        Respond(StatusFrame(before));
        Respond(StatusFrame(row.frame));
        EXPECT_EQ(Panel->Edit4->text(), QString::fromUtf8(row.state ? row.state : "Авария по уровню"));
        EXPECT_EQ(Panel->Edit2->text(), QString::fromUtf8(row.phaseB));
        EXPECT_EQ(Panel->Edit12->text(), QString::fromUtf8(row.loop));
        EXPECT_EQ(Panel->Edit13->text(), QString::fromUtf8(row.mode));
        EXPECT_EQ(Panel->Edit14->text(),
                  QString::fromUtf8(row.bubbling ? row.bubbling : "Выключен, авария, датчик сухой."));
    }
}

TEST_F(Olvin3m, StatusThatCannotBeTakenChangesNothingAndPollingGoesOn)
{
    Respond(StatusFrame({}));
    QByteArray badSum = StatusFrame({'A', "9999", "9999", "9999", '1', 0x80, '1'});
    badSum[badSum.size() - 1] = badSum.at(badSum.size() - 1) == '0' ? '1' : '0';
    const QByteArrayList frames = {
        StatusFrame({'N', "0012", "12a4"}),         // "N" and a phase that is no number
        StatusFrame({'N', "0012", "0012", " 012"}), // a blank is no digit either
        WithSum("~001TN0012"),                      // "N" and phase В missing
        badSum,
        WithSum("~001"), // no letter
        "00",
        "",
    };
    const QStringList shown = PanelSnapshot(*Panel);
    Host.Sent.clear();
    for (const QByteArray& frame : frames) {
        SCOPED_TRACE(frame.toHex().toStdString());
        Respond(frame);
        EXPECT_EQ(PanelSnapshot(*Panel), shown);
    }
    EXPECT_EQ(Host.Sent, QByteArrayList(frames.size(), kPoll));
}

TEST_F(Olvin3m, ShortStatusShowsOnlyWhatItCarries)
{
    Respond(StatusFrame({}));
    // Ends after the level: the checksum digits are never read as the meter.
    Respond(WithSum("~001TA045200010002220221219038001"));
    EXPECT_EQ(StatusTexts(), QStringList({"Edit1=045,2", "Edit2=000,1", "Edit3=000,2", "Edit4=Авария по току",
                                          "Edit5=220", "Edit6=221", "Edit7=219", "Edit8=03,80",
                                          "Edit9=", "Edit10=", "Edit11=", "Edit12=", "Edit13=", "Edit14="}));
    Respond(WithSum("~001T"));
    EXPECT_EQ(Panel->Edit4->text(), "");
    EXPECT_EQ(Panel->Edit1->text(), "");
}

TEST_F(Olvin3m, LinkLostShowsNoLinkKeepsTheRestAndSendsTheWaitingCommand)
{
    Respond(StatusFrame({}));
    Respond(kSettingsAnswer);
    Panel->Button3->click();
    Host.Sent.clear();
    Panel->LinkLost();
    QStringList empty = {"Edit1=", "Edit2=", "Edit3=",  "Edit4=НЕТ СВЯЗИ", "Edit5=",  "Edit6=",  "Edit7=",
                         "Edit8=", "Edit9=", "Edit10=", "Edit11=",         "Edit12=", "Edit13=", "Edit14="};
    EXPECT_EQ(StatusTexts(), empty);
    EXPECT_EQ(Panel->MaskEdit1->Text(), "100");
    EXPECT_TRUE(PollActive);
    Panel->LinkLost();
    EXPECT_EQ(Host.Sent, QByteArrayList({MakeFrame("#OV3001r"), kPoll}));
    Respond(StatusFrame({}));
    EXPECT_EQ(Panel->Edit4->text(), "Двигатель работает");
}

// ---------------------------------------------------------------- commands

TEST_F(Olvin3m, CommandButtonsQueueTheirLetterAndOnlyTheLaterGoesOut)
{
    DeviceNumber = "042";
    Panel->StartPoll();
    const std::pair<QPushButton*, QByteArray> cases[] = {
        {Panel->Button1, "W"}, {Panel->Button2, "w"}, {Panel->Button3, "r"}, {Panel->Button4, "K"}};
    for (const auto& [button, letter] : cases) {
        button->click();
        EXPECT_EQ(Panel->FPendingRequest, MakeFrame("#OV3042" + letter)) << letter.constData();
    }
    EXPECT_EQ(Panel->Button1->text(), "Пуск");
    EXPECT_EQ(Panel->Button1->toolTip(), "пуск");
    Host.Sent.clear();
    Panel->Button1->click();
    Panel->Button2->click();
    Respond(StatusFrame({}));
    Respond(StatusFrame({})); // the unit answers a command with its status
    EXPECT_EQ(Host.Sent, QByteArrayList({MakeFrame("#OV3042w"), MakeFrame("#OV3042T")}));
}

TEST(Olvin3mForm, CreatedIdleWithOnlyTheIdentificationButtonEnabled)
{
    FakeHost host;
    PollActive = false;
    std::unique_ptr<TDevicePanel> made = panels::CreatePanel(devices::TDeviceKind::Olvin3M, host);
    auto* panel = qobject_cast<TOlvin_3m*>(made.get());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->objectName(), "Olvin_3m");
    EXPECT_EQ(panel->windowTitle(), "Ольвин 3М");
    EXPECT_EQ(panel->findChild<ui::TMaskEdit*>("MaskEdit23"), panel->MaskEdit23);
    EXPECT_EQ(panel->findChild<QLineEdit*>("Edit14"), panel->Edit14);
    const QList<QPushButton*> commands = {panel->Button1, panel->Button2, panel->Button3, panel->Button4,
                                          panel->Button6, panel->Button7, panel->Button8};
    auto enabled = [&] {
        QList<bool> states;
        for (QPushButton* b : commands)
            states << b->isEnabled();
        return states;
    };
    EXPECT_EQ(enabled(), QList<bool>(7, false));
    EXPECT_TRUE(panel->Button5->isEnabled());
    EXPECT_TRUE(panel->Memo1->toPlainText().isEmpty());
    PollActive = true;
    DeviceNumber = "001";
    panel->StartPoll();
    EXPECT_EQ(enabled(), QList<bool>(7, true));
    panel->StopPoll();
    EXPECT_EQ(enabled(), QList<bool>(7, false));
    EXPECT_TRUE(panel->Button5->isEnabled());
    PollActive = false;
    DeviceNumber.clear();
}

// ---------------------------------------------------------------- identification

const QByteArray kIdentification = WithSum("~017A1234Olvin-3M v2.07 12.03.2019 build 5");
const QStringList kIdentificationLog = {"Номер 017", "Пароль 4321", "Версия Olvin-3M v2.07 12.03.2019 bu"};

TEST_F(Olvin3m, IdentificationWhilePollingLogsThreeLinesAndPollingGoesOn)
{
    Panel->Button5->click();
    Host.Sent.clear();
    Respond(StatusFrame({}));
    EXPECT_EQ(Host.Sent, QByteArrayList{MakeFrame("#OVA")});
    Respond(kIdentification);
    EXPECT_EQ(LogTexts(Host.Log), kIdentificationLog);
    EXPECT_TRUE(PollActive);
    EXPECT_EQ(Host.Sent.last(), kPoll);

    // Taken whatever its checksum; a short one gives what it carries.
    Host.Log.clear();
    Respond("~017A1234Olvin-3M v2.07 12.03.2019 build 5zz");
    EXPECT_EQ(LogTexts(Host.Log), kIdentificationLog);
    Host.Log.clear();
    Respond("~017A12zz");
    Respond("~017Azz");
    EXPECT_EQ(LogTexts(Host.Log),
              QStringList({"Номер 017", "Пароль 21", "Версия ", "Номер 017", "Пароль ", "Версия "}));
    EXPECT_EQ(Host.Sent.size(), 5);
    EXPECT_TRUE(PollActive);
}

TEST(Olvin3mIdle, IdentificationFromIdleIsOneExchange)
{
    FakeHost host;
    MessageRecorder messages;
    PollActive = false;
    DeviceNumber.clear();
    TOlvin_3m panel(host);
    // No port chosen: the beep and the message, nothing else.
    host.PortChosen = false;
    panel.Button5->click();
    EXPECT_EQ(messages.Texts, QStringList{"Не выбран порт"});
    EXPECT_EQ(messages.Beeps, 1);
    EXPECT_FALSE(PollActive);
    EXPECT_TRUE(panel.FPendingRequest.isEmpty());

    host.PortChosen = true;
    panel.Button5->click();
    EXPECT_TRUE(PollActive);
    EXPECT_TRUE(panel.FIdentifyOnly);
    EXPECT_EQ(host.Sent, QByteArrayList{MakeFrame("#OVA")});
    panel.Button5->click(); // pressed again before the answer: still one exchange
    panel.HandleResponse(kIdentification);
    EXPECT_FALSE(PollActive);
    EXPECT_FALSE(panel.FIdentifyOnly);
    EXPECT_EQ(LogTexts(host.Log), kIdentificationLog);
    EXPECT_EQ(host.Sent.size(), 1);

    // No answer: after the engine's retries the exchange ends, nothing empty goes out.
    panel.Button5->click();
    panel.LinkLost();
    EXPECT_EQ(panel.Edit4->text(), "НЕТ СВЯЗИ");
    EXPECT_FALSE(PollActive);
    EXPECT_FALSE(panel.FIdentifyOnly);
    EXPECT_EQ(host.Sent, QByteArrayList(2, MakeFrame("#OVA")));
    EXPECT_EQ(messages.Texts.size(), 1);

    // A panel that never polled has nothing to send even with polling on.
    PollActive = true;
    panel.SendNext();
    EXPECT_EQ(host.Sent.size(), 2);
    PollActive = false;
}

TEST_F(Olvin3m, IdentificationFromIdleAfterPollingDoesNotResumePolling)
{
    Panel->StopPoll();
    PollActive = false;
    Host.Sent.clear();
    Panel->Button5->click();
    Panel->LinkLost();
    EXPECT_FALSE(PollActive);
    Panel->SendNext();
    EXPECT_EQ(Host.Sent, QByteArrayList{MakeFrame("#OVA")});
    // Any answer ends it too.
    Panel->Button5->click();
    Respond(StatusFrame({}));
    EXPECT_FALSE(PollActive);
    EXPECT_EQ(Host.Sent, QByteArrayList(2, MakeFrame("#OVA")));
}

// ---------------------------------------------------------------- settings

TEST_F(Olvin3m, SettingsAnswerFillsTheFieldsShownInTheirMasks)
{
    Panel->Button6->click();
    EXPECT_EQ(Panel->FPendingRequest, MakeFrame("#OV3001u"));
    Respond(kSettingsAnswer);
    const std::pair<ui::TMaskEdit*, const char*> shown[] = {
        {Panel->MaskEdit1, "100"},   {Panel->MaskEdit5, "005"}, {Panel->MaskEdit8, "1,60"},
        {Panel->MaskEdit12, "02,0"}, {Panel->MaskEdit14, "05"}, {Panel->MaskEdit15, "3"},
        {Panel->MaskEdit19, "001"},  {Panel->MaskEdit22, "3"},  {Panel->MaskEdit23, "00012345"}};
    for (const auto& [field, text] : shown)
        EXPECT_EQ(field->EditText(), text) << field->objectName().toStdString();

    // Emptied first: a short answer leaves the later fields empty; a character the
    // mask does not take ends what its field shows.
    Respond(WithSum("~001u1a3060080"));
    EXPECT_EQ(Panel->MaskEdit1->EditText(), "1**");
    EXPECT_EQ(Panel->MaskEdit3->EditText(), "080");
    EXPECT_EQ(Panel->MaskEdit4->EditText(), "***");
    EXPECT_EQ(Panel->MaskEdit23->EditText(), "********");
    Respond(WithSum("~001u" + kSettingsPayload.left(61))); // the meter one digit short
    EXPECT_EQ(Panel->MaskEdit22->EditText(), "3");
    EXPECT_EQ(Panel->MaskEdit23->EditText(), "********");
}

TEST_F(Olvin3m, RowsCarryTheirCaptionsUnitsAndMasks)
{
    auto unitOf = [&](ui::TMaskEdit* field) {
        auto* grid = qobject_cast<QGridLayout*>(Panel->ScrollBox1->widget()->layout());
        int row = 0, column = 0, rs = 0, cs = 0;
        grid->getItemPosition(grid->indexOf(field), &row, &column, &rs, &cs);
        return std::pair{qobject_cast<QLabel*>(grid->itemAtPosition(row, 0)->widget())->text(),
                         qobject_cast<QLabel*>(grid->itemAtPosition(row, 2)->widget())->text()};
    };
    EXPECT_EQ(unitOf(Panel->MaskEdit1),
              std::pair(QStringLiteral("Предел измерения токовых трансформаторов"), QString(QLatin1String("A."))));
    EXPECT_EQ(unitOf(Panel->MaskEdit5).second, QString(QChar(0x410)) + QStringLiteral("/сек"));
    EXPECT_EQ(unitOf(Panel->MaskEdit22), std::pair(QStringLiteral("Скорость обмена по RS485"), QString()));
    EXPECT_EQ(Panel->MaskEdit8->EditMask(), "9,99;0;*");
    EXPECT_EQ(Panel->MaskEdit13->EditMask(), "99,9;0;*");
    EXPECT_EQ(Panel->MaskEdit23->EditMask(), "99999999;0;*");
    EXPECT_FALSE(Panel->MaskEdit22->isEnabled());
    EXPECT_TRUE(Panel->MaskEdit21->isEnabled());
}

TEST_F(Olvin3m, ValidationStopsAtTheFirstFieldThatIsNotWholeDigits)
{
    Panel->resize(kPanelArea);
    Panel->show();
    Panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Panel.get()));
    struct Row {
        ui::TMaskEdit* field;
        const char* value;
        ui::TMaskEdit* failing; // nullptr: the sequence starts
        ui::TMaskEdit* laterFault = nullptr;
    };
    const Row rows[] = {
        {Panel->MaskEdit14, "1", Panel->MaskEdit14, Panel->MaskEdit15},
        {Panel->MaskEdit9, "12", Panel->MaskEdit9},  // shows 1,2*
        {Panel->MaskEdit3, "1 3", Panel->MaskEdit3}, // an empty place inside
        {Panel->MaskEdit23, "1234567", Panel->MaskEdit23},
        {Panel->MaskEdit1, "", Panel->MaskEdit1},
        {Panel->MaskEdit22, "", nullptr}, // never written, never checked
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field->objectName().toStdString() + " " + row.value);
        Respond(kSettingsAnswer);
        if (row.laterFault) // not looked at: the first fault is the one told
            row.laterFault->Clear();
        row.field->SetText(QString::fromLatin1(row.value));
        Panel->FPendingRequest.clear();
        Panel->FWriteStep = 7;
        Host.Status = "как было";
        messages.Texts.clear();
        messages.Beeps = 0;
        Panel->Button7->click();
        if (!row.failing) {
            EXPECT_TRUE(messages.Texts.isEmpty());
            EXPECT_EQ(Host.Status, "");
            EXPECT_EQ(Panel->FWriteStep, 1);
            EXPECT_EQ(Panel->FPendingRequest, kWriteSteps[0]);
            continue;
        }
        EXPECT_EQ(messages.Texts, QStringList{"Ошибка. Уставка введена не правильно."});
        EXPECT_EQ(messages.Beeps, 1);
        EXPECT_TRUE(row.failing->hasFocus());
        EXPECT_TRUE(Panel->FPendingRequest.isEmpty());
        EXPECT_EQ(Panel->FWriteStep, 7);
        EXPECT_EQ(Host.Status, "как было");
    }
}

TEST_F(Olvin3m, WriteSequenceSendsEveryStepInOrderThenReadsBack)
{
    Host.Status = "Опрос текущего состояния включен";
    StartWrite();
    EXPECT_EQ(Host.Status, "");
    // Edits during the sequence do not go out: the values checked at the press do.
    Panel->MaskEdit10->SetText("999");
    Panel->MaskEdit23->SetText("1");
    Respond(StatusFrame({}));
    for (int step = 1; step <= 21; ++step) {
        ASSERT_EQ(Panel->FWriteStep, step);
        Respond(kStepAnswer);
        EXPECT_EQ(Host.Status, "") << step;
    }
    EXPECT_EQ(Host.Sent, kWriteSteps);
    Respond(WithSum("~001I"));
    EXPECT_EQ(Host.Status, " УСТАВКИ УСТАНОВЛЕННЫ ");
    EXPECT_EQ(Host.Sent.last(), MakeFrame("#OV3001u"));
    Respond(kSettingsAnswer);
    EXPECT_EQ(Panel->MaskEdit10->Text(), "450");
    EXPECT_EQ(Panel->FWriteStep, 22);
    // A "U" after the sequence queues nothing.
    Respond(kStepAnswer);
    Respond(kStepAnswer);
    EXPECT_EQ(Host.Sent.mid(23), QByteArrayList({kPoll, kPoll, kPoll}));
    EXPECT_EQ(Host.Status, " УСТАВКИ УСТАНОВЛЕННЫ ");
}

TEST_F(Olvin3m, AStrayAnswerStartsNoWrite)
{
    Respond(kSettingsAnswer);
    Host.Sent.clear();
    Respond(kStepAnswer); // never pressed: nothing of the fields goes out
    Respond(WithSum("~001I"));
    Respond(kSettingsAnswer);
    EXPECT_EQ(Host.Sent, QByteArrayList({kPoll, MakeFrame("#OV3001u"), kPoll}));
    EXPECT_EQ(Panel->FWriteStep, 0);
}

TEST_F(Olvin3m, ACutWriteSequenceIsToldAndNeverResumes)
{
    struct Row {
        const char* name;
        std::function<void()> cut;
        QByteArrayList sentAfter; // what goes out from the cut on
    };
    QByteArray badAnswer = WithSum("~001U");
    badAnswer[badAnswer.size() - 1] = badAnswer.at(badAnswer.size() - 1) == '0' ? '1' : '0';
    const Row rows[] = {
        {"an answer with a bad checksum", [&] { Respond(badAnswer); }, {kPoll}},
        {"an answer of another letter", [&] { Respond(StatusFrame({})); }, {kPoll}},
        {"the link lost", [&] { Panel->LinkLost(); }, {kPoll}},
        {"the motor stopped",
         [&] {
             Panel->Button2->click();
             Respond(kStepAnswer);
         },
         {MakeFrame("#OV3001w")}},
        {"statistics asked for",
         [&] {
             Panel->Button8->click();
             Respond(kStepAnswer);
         },
         {MakeFrame("#OV3001t")}},
        {"Стоп of the main window",
         [&] {
             Panel->StopPoll();
             PollActive = false;
             Respond(kStepAnswer);
         },
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PollActive = true;
        Panel->StartPoll();
        StartWrite();
        RunToStep(5);
        Host.Sent.clear();
        row.cut();
        EXPECT_EQ(Host.Status, "Запись уставок прервана на шаге 5 из 22: записаны не все уставки");
        // A late "U" moves nothing on.
        Respond(kStepAnswer);
        if (PollActive)
            EXPECT_EQ(Host.Sent, row.sentAfter + QByteArrayList{kPoll});
        else
            EXPECT_TRUE(Host.Sent.isEmpty());
        EXPECT_EQ(Panel->FWriteStep, 5);
    }
}

TEST_F(Olvin3m, AStopBeforeTheFirstStepGoesOutTellsTheCutAndDropsIt)
{
    StartWrite();
    Panel->Button2->click();
    EXPECT_EQ(Host.Status, "Запись уставок прервана на шаге 1 из 22: записаны не все уставки");
    Respond(StatusFrame({}));
    EXPECT_EQ(Host.Sent, QByteArrayList{MakeFrame("#OV3001w")});
}

TEST_F(Olvin3m, APressDuringTheSequenceRestartsItWithoutLosingAStep)
{
    StartWrite();
    RunToStep(5);
    Panel->MaskEdit1->SetText("200");
    Panel->Button7->click();
    EXPECT_EQ(Host.Status, "");
    Host.Sent.clear();
    Respond(kStepAnswer); // the answer to the old step 5
    Respond(kStepAnswer);
    EXPECT_EQ(Host.Sent, QByteArrayList({MakeFrame("#OV3001U01200"), kWriteSteps[1]}));
}

// ---------------------------------------------------------------- statistics

const QByteArray kStatisticsAnswer = WithSum("~001t"
                                             "123404560789"
                                             "041204390441"
                                             "100010071014"
                                             "231229232"
                                             "208211209"
                                             "0395"
                                             "0180"
                                             "0142"
                                             "0095"
                                             "0"
                                             "3"
                                             "10"
                                             "00012345");

TEST_F(Olvin3m, StatisticsLinesWithTheTimeOfTheAnswer)
{
    ui::SetClock([] { return QDateTime(QDate(2026, 3, 4), QTime(9, 5, 7)); });
    Panel->Memo1->setPlainText("прежнее");
    Panel->Button8->click();
    EXPECT_TRUE(Panel->Memo1->toPlainText().isEmpty());
    Respond(StatusFrame({}));
    EXPECT_EQ(Host.Sent.last(), MakeFrame("#OV3001t"));
    Respond(kStatisticsAnswer);
    const QStringList expected = {
        "Время получения статистики 09:05:07",
        "",
        "Максималиное значение тока по фазам А,В,С",
        " 123.4  045.6  078.9",
        "Минимальное значение тока по фазам А,В,С",
        " 041.2  043.9  044.1",
        "Интегральная сумма тока по фазам А,В,С",
        " 100.0  100.7  101.4",
        "Максималиное значение напряжения по фазам А,В,С",
        " 231  229  232",
        "Минимальное значение напряжения по фазам А,В,С",
        " 208  211  209",
        "Максималиное значение давления - 03.95",
        "Минимальное значение давления - 01.80",
        "Максималиное значение уровня - 014.2",
        "Минимальное значение уровня - 009.5",
        "Охранный шлейф - БЫЛ ЗАКРЫТ",
        "Количество оставшихся перезапусков - 3",
        "Время до следующего перезапуска - 10",
        "Значение накопительного счётчика воды",
        "00012345",
    };
    EXPECT_EQ(Lines(Panel->Memo1), expected);

    // A second answer adds a second block with its own time; an opened loop reads so.
    ui::SetClock([] { return QDateTime(QDate(2026, 3, 4), QTime(9, 6, 0)); });
    QByteArray opened = kStatisticsAnswer.chopped(2);
    opened[75] = '7';
    Respond(WithSum(opened));
    const QStringList lines = Lines(Panel->Memo1);
    ASSERT_EQ(lines.size(), 42);
    EXPECT_EQ(lines[21], "Время получения статистики 09:06:00");
    EXPECT_EQ(lines[37], "Охранный шлейф - БЫЛ ОТКРЫТ");
}

TEST_F(Olvin3m, StatisticsThatCannotBeTakenOrAreShortShowNothingUncarried)
{
    ui::SetClock([] { return QDateTime(QDate(2026, 3, 4), QTime(23, 59, 59)); });
    Panel->Button8->click();
    Respond(kStatisticsAnswer.chopped(1) + "x");
    EXPECT_TRUE(Panel->Memo1->toPlainText().isEmpty());
    // Ends inside the highest level.
    Respond(WithSum(kStatisticsAnswer.left(69)));
    const QStringList lines = Lines(Panel->Memo1);
    ASSERT_EQ(lines.size(), 21);
    EXPECT_EQ(lines[13], "Минимальное значение давления - 01.80");
    EXPECT_EQ(lines[14], "Максималиное значение уровня - ");
    EXPECT_EQ(lines[16], "Охранный шлейф - ");
    EXPECT_EQ(lines[20], "");
}

} // namespace

// ---------------------------------------------------------------- layout

TEST_F(Olvin3m, EverythingFitsTheChildArea)
{
    Panel->resize(kPanelArea);
    Panel->show();
    // The longest texts of the status side and every settings field filled.
    Respond(StatusFrame({'S', "9999", "9999", "9999", '1', 0x8D, '1'}));
    Respond(kSettingsAnswer);
    Respond(kStatisticsAnswer);
    ASSERT_EQ(Panel->Edit4->text(), "Отключение по сухому ходу");
    for (QWidget* page : {Panel->TabSheet1, Panel->TabSheet2}) {
        SCOPED_TRACE(page->objectName().toStdString());
        Panel->PageControl1->setCurrentWidget(page);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(Panel->size(), kPanelArea);
        EXPECT_EQ(ClippedWidgets(*Panel).join(QLatin1Char('\n')).toStdString(), "");
    }
    for (const unsigned char code : {0x80, 0x8C, 0x8D, 0x91, 0xA0, 0xAD}) {
        Panel->Edit14->setText(*olvin3m::BubblingText(code));
        EXPECT_EQ(ClippedWidgets(*Panel).join(QLatin1Char('\n')).toStdString(), "");
        EXPECT_GE(Panel->Edit14->width() - 8,
                  QFontMetrics(Panel->Edit14->font()).horizontalAdvance(Panel->Edit14->text()));
    }
}
