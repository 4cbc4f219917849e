#include "panels/PanelFactory.h"
#include "panels/selta_panel.h"
#include "ui/MaskEdit.h"

#include "support/FakeHost.h"
#include "support/Frames.h"
#include "support/ImageDifference.h"
#include "support/LayoutCheck.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <QTest>

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <memory>

namespace {

const QByteArray kStatusExample = "~001T01604001100480NNB8";
const QByteArray kSettingsExample = "~001u01604000501100480200094";
const QByteArray kStatisticsExample = "~001S01604000501100480200NYE9";
const QByteArray kPoll = "#SLT001TFB\r";

// Types as the user does: select what the field shows, then press the keys.
void Type(ui::TMaskEdit* field, const QString& keys)
{
    field->selectAll();
    QTest::keyClicks(field, keys);
}

// Picks an entry of a selector with the keyboard, so its user signal fires.
void Choose(QComboBox* box, int index)
{
    for (int step = 0; step < box->count() && box->currentIndex() != index; ++step) {
        const int key = box->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
    }
    EXPECT_EQ(box->currentIndex(), index);
}

QStringList MemoLines(const TSelta& panel) { return panel.Memo1->toPlainText().split(QLatin1Char('\n')); }

class Selta : public PollingPanelTest<TSelta> {
protected:
    // Both channels to one display mode, by clicking their radio buttons.
    void ShowBothIn(int mode)
    {
        QRadioButton* ch1[4] = {Panel->RadioButton1, Panel->RadioButton2, Panel->RadioButton3, Panel->RadioButton4};
        QRadioButton* ch2[4] = {Panel->RadioButton5, Panel->RadioButton6, Panel->RadioButton7, Panel->RadioButton8};
        ch1[mode]->click();
        ch2[mode]->click();
    }

    MessageRecorder messages;
};

// ---------------------------------------------------------------- status

TEST_F(Selta, ExampleStatusInEveryDisplayMode)
{
    const char* ch1[4] = {"2,5  мА", "0,8  МПа", "8,16  кг/см", "81,6  м"};
    const char* ch2[4] = {"12  мА", "0,50  МПа", "5,10  кг/см", "51,0  м"};
    const char* units[4] = {"мА", "МПа", "кг/см", "м"};
    for (int mode : {1, 2, 3, 0}) {
        SCOPED_TRACE(mode);
        ShowBothIn(mode);
        EXPECT_EQ(Panel->FDisplayMode1, mode);
        EXPECT_EQ(Panel->FDisplayMode2, mode);
        for (QLabel* label : {Panel->Label16, Panel->Label17, Panel->Label18, Panel->Label19})
            EXPECT_EQ(label->text(), QString::fromUtf8(units[mode]));
        Respond(kStatusExample);
        EXPECT_EQ(Panel->Edit1->text(), QString::fromUtf8(ch1[mode]));
        EXPECT_EQ(Panel->Edit2->text(), QString::fromUtf8(ch2[mode]));
        EXPECT_EQ(Host.Sent.last(), kPoll);
    }
}

TEST_F(Selta, DepressurisationFlags)
{
    EXPECT_FALSE(Panel->Label3->isVisibleTo(Panel.get()));
    EXPECT_FALSE(Panel->Label4->isVisibleTo(Panel.get()));
    Respond(WithSum("~001T01604001100480NY"));
    EXPECT_FALSE(Panel->Label3->isVisibleTo(Panel.get()));
    EXPECT_TRUE(Panel->Label4->isVisibleTo(Panel.get()));
    Respond(WithSum("~001T01604001100480?N"));
    EXPECT_TRUE(Panel->Label3->isVisibleTo(Panel.get()));
    EXPECT_FALSE(Panel->Label4->isVisibleTo(Panel.get()));
}

TEST_F(Selta, DisplayKeepsItsTextUntilTheNextStatus)
{
    Respond(kStatusExample);
    Panel->RadioButton3->click();
    EXPECT_EQ(Panel->Edit1->text(), "2,5  мА");
    Respond("~001T01604001100480NNB9"); // wrong checksum: nothing changes
    EXPECT_EQ(Panel->Edit1->text(), "2,5  мА");
    EXPECT_EQ(Host.Sent.last(), kPoll);
    Respond(kStatusExample);
    EXPECT_EQ(Panel->Edit1->text(), "8,16  кг/см");
}

// The value fields skip text shaping, which is cheaper; every kind of text
// they can show must look as shaped text does, or a value would look different.
TEST_F(Selta, ValuesLookAsShapedText)
{
    const char* texts[] = {"2,48  мА",   "-0,0  МПа", "8,16  кг/см", "81,6  м", "1E16  мА",
                           "-INF  МПа", "NAN  кг/см", "INF  м",      "- - - -", "9999  мА"};
    for (QLineEdit* field : {Panel->Edit1, Panel->Edit2}) {
        const QFont unshaped = field->font();
        QFont shaped = unshaped;
        shaped.setStyleStrategy(QFont::PreferDefault);
        for (const char* text : texts) {
            SCOPED_TRACE(text);
            field->setText(QString::fromUtf8(text));
            const QImage drawn = field->grab().toImage();
            field->setFont(shaped);
            EXPECT_EQ(LargestDifference(drawn, field->grab().toImage()), 0);
            field->setFont(unshaped);
        }
    }
}

TEST_F(Selta, ShortOrGarbledAnswersChangeNothingAndPollingGoesOn)
{
    Respond(kStatusExample);
    Respond(kSettingsExample);
    Panel->Button1->click();
    Host.Sent.clear();
    const QByteArrayList bad = {
        WithSum("~001T0160400110048"),    // ends before the flags
        WithSum("~001T01604001100480N"),  // the checksum would be read as a flag
        WithSum("~001T016O4001100480NN"), // letter O for a zero
        WithSum("~001T01604 01100480NN"), // blank in a count
        WithSum("~001u0160400050110048020"),
        WithSum("~001u01604000501100-80200 0"),
        WithSum("~001S01604000501100480200N"),
        WithSum("~001S0160400050110048020xNY"),
        WithSum("~001T"),
        WithSum("~001"),
        "00", // passes its checksum, holds no letter
        "",
    };
    for (const QByteArray& frame : bad) {
        SCOPED_TRACE(frame.toStdString());
        Respond(frame);
        EXPECT_EQ(Panel->Edit1->text(), "2,5  мА");
        EXPECT_EQ(Panel->Edit2->text(), "12  мА");
        EXPECT_EQ(Panel->MaskEdit1->EditText(), "1,60");
        EXPECT_EQ(Panel->MaskEdit5->EditText(), "12,0");
        EXPECT_TRUE(Panel->Memo1->toPlainText().isEmpty());
        EXPECT_TRUE(messages.Texts.isEmpty());
    }
    // The statistics request went out in place of the first poll; then polls.
    ASSERT_EQ(Host.Sent.size(), bad.size());
    EXPECT_EQ(Host.Sent.first(), "#SLT001SFA\r");
    EXPECT_EQ(Host.Sent.last(), kPoll);
}

TEST_F(Selta, LinkLostResetsStatusAndSendsTheWaitingRequestFirst)
{
    Panel->RadioButton4->click();
    Panel->RadioButton7->click();
    Respond(WithSum("~001T01604001100480YY"));
    Panel->Button7->click();
    Host.Sent.clear();
    Panel->LinkLost();
    EXPECT_EQ(Panel->Edit1->text(), "- - - -");
    EXPECT_EQ(Panel->Edit2->text(), "- - - -");
    EXPECT_FALSE(Panel->Label3->isVisibleTo(Panel.get()));
    EXPECT_FALSE(Panel->Label4->isVisibleTo(Panel.get()));
    EXPECT_TRUE(Panel->RadioButton1->isChecked());
    EXPECT_TRUE(Panel->RadioButton5->isChecked());
    EXPECT_EQ(Panel->FDisplayMode1, 0);
    EXPECT_EQ(Panel->FDisplayMode2, 0);
    EXPECT_EQ(Panel->Label16->text(), "мА");
    EXPECT_EQ(Panel->Label19->text(), "мА");
    EXPECT_EQ(Host.Sent, QByteArrayList{"#SLT001u1C\r"});
}

TEST_F(Selta, CreationStartAndStop)
{
    FakeHost other;
    PollActive = false;
    auto fresh = panels::CreatePanel(devices::TDeviceKind::Selta, other);
    ASSERT_NE(fresh, nullptr);
    auto* created = qobject_cast<TSelta*>(fresh.get());
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->objectName(), "Selta");
    EXPECT_EQ(created->windowTitle(), "Сельта");
    EXPECT_EQ(created->Edit1->text(), "- - - -");
    EXPECT_FALSE(created->Button1->isEnabled());
    EXPECT_FALSE(created->Button7->isEnabled());
    EXPECT_EQ(created->PageControl1->currentWidget(), created->TabSheet1);
    EXPECT_EQ(created->findChild<QWidget*>("MaskEdit6"), created->MaskEdit6);
    // The widest value texts fit the value fields.
    for (const char* text : {"-0,2  кг/см", "101,  кг/см", "1017  м"})
        EXPECT_LT(QFontMetrics(created->Edit1->font()).horizontalAdvance(QString::fromUtf8(text)),
                  created->Edit1->minimumWidth());

    // A request stored while stopped is dropped by the next start.
    created->Button6->setEnabled(true);
    created->Button6->click();
    EXPECT_FALSE(created->FPendingRequest.isEmpty());
    PollActive = true;
    created->StartPoll();
    EXPECT_EQ(other.Sent, QByteArrayList{kPoll});
    EXPECT_TRUE(created->Button1->isEnabled());
    EXPECT_TRUE(created->Button5->isEnabled());

    created->StopPoll();
    for (QPushButton* b : {created->Button1, created->Button2, created->Button3, created->Button4, created->Button5,
                           created->Button6, created->Button7})
        EXPECT_FALSE(b->isEnabled());
}

TEST_F(Selta, MasksFollowModeAndSensorTypeAndKeepTheirDigits)
{
    Type(Panel->MaskEdit2, "250");
    EXPECT_EQ(Panel->MaskEdit2->EditText(), "2,50");
    Choose(Panel->ComboBox1, 1); // 4-20 mA in mode 0: two integer digits
    EXPECT_EQ(Panel->MaskEdit2->EditMask(), "99,9;0;*");
    EXPECT_EQ(Panel->MaskEdit3->EditMask(), "99,9;0;*");
    EXPECT_EQ(Panel->MaskEdit2->EditText(), "25,0");
    EXPECT_EQ(Panel->MaskEdit5->EditMask(), "9,99;0;*"); // channel 2 untouched
    Panel->RadioButton2->click();
    EXPECT_EQ(Panel->MaskEdit2->EditMask(), "9,99;0;*");
    EXPECT_EQ(Panel->MaskEdit2->EditText(), "2,50");
    EXPECT_EQ(Panel->MaskEdit1->EditMask(), "9,99;0;*");
    Choose(Panel->ComboBox2, 1);
    EXPECT_EQ(Panel->MaskEdit5->EditMask(), "99,9;0;*");
    Panel->RadioButton8->click();
    EXPECT_EQ(Panel->MaskEdit6->EditMask(), "9,99;0;*");
    EXPECT_EQ(Panel->Label17->text(), "м");
    EXPECT_EQ(Panel->Label16->text(), "МПа");
}

// The field format never contradicts the selector beside it, whichever way the
// selector got its entry.
TEST_F(Selta, MasksFollowTheSensorSelectorOnEveryPath)
{
    auto masks = [this] {
        return QStringList{Panel->ComboBox1->currentText(), Panel->MaskEdit2->EditMask(),
                           Panel->ComboBox2->currentText(), Panel->MaskEdit6->EditMask()};
    };
    const QStringList fiveMilliamps = {"0 - 5", "9,99;0;*", "0 - 5", "9,99;0;*"};
    const QStringList twentyMilliamps = {"4 - 20 ", "99,9;0;*", "4 - 20 ", "99,9;0;*"};
    auto chooseTwenty = [this] {
        Choose(Panel->ComboBox1, 1);
        Choose(Panel->ComboBox2, 1);
    };
    chooseTwenty();
    ASSERT_EQ(masks(), twentyMilliamps);
    Panel->StartPoll();
    EXPECT_EQ(masks(), fiveMilliamps);
    chooseTwenty();
    Panel->LinkLost();
    EXPECT_EQ(masks(), twentyMilliamps); // a lost link keeps the settings page
    Panel->StartPoll();
    Respond(kSettingsExample); // channel 1 0 - 5, channel 2 4 - 20
    EXPECT_EQ(masks(), (QStringList{"0 - 5", "9,99;0;*", "4 - 20 ", "99,9;0;*"}));
    Respond(WithSum("~001u116040005001004802000"));
    EXPECT_EQ(masks(), (QStringList{"4 - 20 ", "99,9;0;*", "0 - 5", "9,99;0;*"}));
}

// ---------------------------------------------------------------- settings

TEST_F(Selta, WriteRequestsCarryTheTypedValues)
{
    Host.Status = "старый текст";
    Choose(Panel->ComboBox1, 0);
    Type(Panel->MaskEdit1, "160");
    Panel->Button2->click();
    EXPECT_EQ(Panel->FPendingRequest, "#SLT001D10160E3\r");
    EXPECT_EQ(Host.Status, "");

    Panel->RadioButton2->click();
    Type(Panel->MaskEdit2, "080");
    Type(Panel->MaskEdit3, "010");
    Panel->Button3->click();
    EXPECT_EQ(Panel->FPendingRequest, "#SLT001W1400050"
                                      "58\r");

    Choose(Panel->ComboBox2, 1);
    Type(Panel->MaskEdit4, "100");
    Type(Panel->MaskEdit5, "120");
    Type(Panel->MaskEdit6, "050");
    EXPECT_EQ(Panel->MaskEdit6->EditText(), "05,0");
    Panel->Button5->click();
    EXPECT_EQ(Panel->FPendingRequest, "#SLT001W2480200"
                                      "5E\r");
    Panel->Button4->click();
    EXPECT_EQ(Panel->FPendingRequest, MakeFrame("#SLT001D21100"));

    Host.Status = "старый текст";
    Choose(Panel->ComboBox3, 1);
    Panel->Button6->click();
    EXPECT_EQ(Panel->FPendingRequest, "#SLT001B1"
                                      "1A\r");
    Choose(Panel->ComboBox3, 0);
    Panel->Button6->click();
    EXPECT_EQ(Panel->FPendingRequest, "#SLT001B0"
                                      "19\r");
    EXPECT_EQ(Host.Status, "старый текст");
    EXPECT_TRUE(messages.Texts.isEmpty());

    // Only the later of two requests goes out, once; then polling resumes.
    Panel->Button7->click();
    Host.Sent.clear();
    Respond(kStatusExample);
    Respond(kStatusExample);
    EXPECT_EQ(Host.Sent, (QByteArrayList{"#SLT001u1C\r", kPoll}));
}

TEST_F(Selta, FieldChecksRefuseAndQueueNothing)
{
    struct Case {
        QPushButton* button;
        ui::TMaskEdit* field;
        const char* message;
    };
    const Case cases[] = {
        {Panel->Button2, Panel->MaskEdit1, "НЕПРАВИЛЬНО УКАЗАНО ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 1"},
        {Panel->Button3, Panel->MaskEdit1, "НЕПРАВИЛЬНО УКАЗАНО ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 1"},
        {Panel->Button3, Panel->MaskEdit2, "НЕПРАВИЛЬНО УКАЗАНО МАКСИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 1"},
        {Panel->Button3, Panel->MaskEdit3, "НЕПРАВИЛЬНО УКАЗАНО МИНИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 1"},
        {Panel->Button4, Panel->MaskEdit4, "НЕПРАВИЛЬНО УКАЗАНО ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 2"},
        {Panel->Button5, Panel->MaskEdit4, "НЕПРАВИЛЬНО УКАЗАНО ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 2"},
        {Panel->Button5, Panel->MaskEdit5, "НЕПРАВИЛЬНО УКАЗАНО МАКСИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 2"},
        {Panel->Button5, Panel->MaskEdit6, "НЕПРАВИЛЬНО УКАЗАНО МИНИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        for (ui::TMaskEdit* f : {Panel->MaskEdit1, Panel->MaskEdit2, Panel->MaskEdit3})
            Type(f, "160");
        for (ui::TMaskEdit* f : {Panel->MaskEdit4, Panel->MaskEdit5, Panel->MaskEdit6})
            Type(f, "100");
        Type(c.field, "16");     // "1,6*": one place left empty
        Panel->Button1->click(); // something queued before
        Host.Status = "как было";
        messages.Texts.clear();
        messages.Beeps = 0;
        c.button->click();
        EXPECT_EQ(messages.Texts, QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(messages.Beeps, 1);
        EXPECT_EQ(Panel->FPendingRequest, "#SLT001SFA\r");
        EXPECT_EQ(Host.Status, "как было");
    }
}

TEST_F(Selta, ValuesTheCountCannotCarryOrAZeroLimitAreRefused)
{
    auto refused = [&](QPushButton* button, const char* message) {
        Panel->FPendingRequest.clear();
        Host.Status = "как было";
        messages.Texts.clear();
        button->click();
        EXPECT_EQ(messages.Texts, QStringList{QString::fromUtf8(message)});
        EXPECT_TRUE(Panel->FPendingRequest.isEmpty());
        EXPECT_EQ(Host.Status, "как было");
    };
    // 9,99 mA on a 0-5 mA sensor is count 1598.
    Type(Panel->MaskEdit1, "160");
    Type(Panel->MaskEdit2, "999");
    Type(Panel->MaskEdit3, "010");
    refused(Panel->Button3, "МАКСИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 1 СЛИШКОМ ВЕЛИКО: НЕ БОЛЕЕ 6,24 мА");
    Type(Panel->MaskEdit2, "624");
    Type(Panel->MaskEdit3, "700");
    refused(Panel->Button3, "МИНИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 1 СЛИШКОМ ВЕЛИКО: НЕ БОЛЕЕ 6,24 мА");
    Type(Panel->MaskEdit3, "100");
    Panel->Button3->click();
    EXPECT_EQ(Panel->FPendingRequest, MakeFrame("#SLT001W1998160"));

    // Channel 2, 4-20 mA in kgf/cm²: a limit of 0 cannot convert.
    Choose(Panel->ComboBox2, 1);
    Panel->RadioButton7->click();
    Type(Panel->MaskEdit4, "000");
    Type(Panel->MaskEdit5, "500");
    Type(Panel->MaskEdit6, "100");
    refused(Panel->Button5, "ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 2 НЕ МОЖЕТ БЫТЬ РАВНО НУЛЮ");
    // In mode 0 the limit is not used.
    Panel->RadioButton5->click();
    Type(Panel->MaskEdit5, "200");
    Type(Panel->MaskEdit6, "040");
    Panel->Button5->click();
    EXPECT_EQ(Panel->FPendingRequest, MakeFrame("#SLT001W2800160"));
}

TEST_F(Selta, SettingsAnswerFillsThePageInTheChannelsUnits)
{
    Panel->ComboBox3->setCurrentIndex(1);
    Respond(kSettingsExample);
    EXPECT_EQ(Panel->ComboBox1->currentText(), "0 - 5");
    EXPECT_EQ(Panel->ComboBox2->currentText(), "4 - 20 ");
    EXPECT_EQ(Panel->MaskEdit1->EditText(), "1,60");
    EXPECT_EQ(Panel->MaskEdit4->EditText(), "1,00");
    EXPECT_EQ(Panel->MaskEdit2->EditText(), "2,50");
    EXPECT_EQ(Panel->MaskEdit3->EditText(), "0,31");
    EXPECT_EQ(Panel->MaskEdit5->EditText(), "12,0");
    EXPECT_EQ(Panel->MaskEdit6->EditText(), "05,0");
    EXPECT_EQ(Panel->ComboBox3->currentText(), "Нормально выключен");
    EXPECT_EQ(Host.Sent.last(), kPoll);

    ShowBothIn(1);
    Respond(kSettingsExample);
    EXPECT_EQ(Panel->MaskEdit2->EditText(), "0,80");
    EXPECT_EQ(Panel->MaskEdit3->EditText(), "0,10");
    EXPECT_EQ(Panel->MaskEdit5->EditText(), "0,50");
    EXPECT_EQ(Panel->MaskEdit6->EditText(), "0,06");
    EXPECT_EQ(Panel->MaskEdit5->EditMask(), "9,99;0;*");

    // What the read-back shows can be written back unchanged.
    Panel->Button3->click();
    EXPECT_EQ(Panel->FPendingRequest, "#SLT001W1400050"
                                      "58\r");
}

TEST_F(Selta, SettingsThatDoNotFitTheirFieldsAreNotMisplaced)
{
    // Level: 81,6 m and 10,2 m do not fit d,dd; a 4-20 mA count below 160
    // is a negative pressure.
    Panel->RadioButton4->click();
    Panel->RadioButton6->click();
    Respond(WithSum("~001u01604000501100000200X"));
    EXPECT_EQ(Panel->MaskEdit2->EditText(), "*,**");
    EXPECT_EQ(Panel->MaskEdit3->EditText(), "*,**");
    EXPECT_TRUE(Panel->MaskEdit2->toolTip().contains("81,60 м"));
    EXPECT_EQ(Panel->MaskEdit5->EditText(), "*,**");
    EXPECT_TRUE(Panel->MaskEdit5->toolTip().isEmpty());
    EXPECT_EQ(Panel->MaskEdit6->EditText(), "0,06");
    EXPECT_EQ(Panel->ComboBox3->currentIndex(), 1);
    // An empty field refuses the write until a value is typed.
    Panel->Button3->click();
    EXPECT_EQ(messages.Texts.value(0), "НЕПРАВИЛЬНО УКАЗАНО МАКСИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № 1");
    // The next answer that fits clears the hint.
    Panel->RadioButton1->click();
    Respond(kSettingsExample);
    EXPECT_TRUE(Panel->MaskEdit2->toolTip().isEmpty());
}

TEST_F(Selta, AcknowledgementReadsTheSettingsBackInPlaceOfAnyQueuedRequest)
{
    for (const QByteArray ack : {"~001W", "~001D", "~001B"}) {
        SCOPED_TRACE(ack.toStdString());
        Host.Status.clear();
        Panel->Button1->click();
        Host.Sent.clear();
        Respond(WithSum(ack));
        EXPECT_EQ(Host.Status, " УСТАВКА УСТАНОВЛЕННА ");
        EXPECT_EQ(Host.Sent, QByteArrayList{"#SLT001u1C\r"});
        EXPECT_TRUE(Panel->FPendingRequest.isEmpty());
    }
    // An acknowledgement that fails its checksum leads to no read, and neither does
    // a frame too short to carry a letter: its "B" or "D" is a checksum digit.
    for (const QByteArray noAck : {"~001W00", "~fffB0", "~aapB0", "~awzD0"}) {
        SCOPED_TRACE(noAck.toStdString());
        Host.Status.clear();
        Host.Sent.clear();
        Respond(noAck);
        EXPECT_EQ(Host.Status, "");
        EXPECT_EQ(Host.Sent, QByteArrayList{kPoll});
    }
}

// ---------------------------------------------------------------- statistics

TEST_F(Selta, StatisticsInTheChannelsDisplayModes)
{
    ui::SetClock([] { return QDateTime(QDate(2026, 3, 4), QTime(9, 5, 7)); });
    Panel->Button1->click();
    Respond(kStatusExample);
    EXPECT_EQ(Host.Sent.last(), "#SLT001SFA\r");
    Respond(kStatisticsExample);
    const QStringList expected = {
        "Время получения статистики 09:05:07",
        "",
        "Тип подключённых датчиков ",
        "Канал №1  0 - 5 мА",
        "Канал №2  4 - 20 мА",
        "Предельные значения датчиков датчиков ",
        "Канал №1  1,6",
        "Канал №2  1",
        "Максимальные значения ",
        "Канал №1  2,5  мА",
        "Канал №2  12  мА",
        "Минимальные значения ",
        "Канал №1  0,31  мА",
        "Канал №2  5  мА",
        "Состояние аварии датчиков ",
        "Канал №1  Датчик в рабочем состоянии",
        "Канал №2  Была разгерметизация датчика",
    };
    EXPECT_EQ(MemoLines(*Panel), expected);

    ShowBothIn(1);
    Panel->Button1->click();
    EXPECT_TRUE(Panel->Memo1->toPlainText().isEmpty());
    Respond(kStatisticsExample);
    const QStringList lines = MemoLines(*Panel);
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[9], "Канал №1  0,8  МПа");
    EXPECT_EQ(lines[10], "Канал №2  0,50  МПа");
    EXPECT_EQ(lines[12], "Канал №1  0,1  МПа");
    EXPECT_EQ(lines[13], "Канал №2  0,06  МПа");
    // A later change of mode does not rewrite them.
    ShowBothIn(0);
    EXPECT_EQ(MemoLines(*Panel)[9], "Канал №1  0,8  МПа");
}

TEST_F(Selta, TwoClicksBeforeTheAnswerGiveOneSetOfLines)
{
    Panel->Button1->click();
    Panel->Button1->click();
    Host.Sent.clear();
    Respond(kStatusExample);
    Respond(kStatisticsExample);
    EXPECT_EQ(Host.Sent, (QByteArrayList{"#SLT001SFA\r", kPoll}));
    EXPECT_EQ(MemoLines(*Panel).size(), 17);
    // An answer without a click goes below the lines already there.
    Respond(kStatisticsExample);
    const QStringList lines = MemoLines(*Panel);
    ASSERT_EQ(lines.size(), 34);
    EXPECT_TRUE(lines[17].startsWith("Время получения статистики "));
    // One that fails its checksum adds nothing.
    Panel->Button1->click();
    Respond("~001S01604000501100480200NYE8");
    EXPECT_TRUE(Panel->Memo1->toPlainText().isEmpty());
}

} // namespace

// ---------------------------------------------------------------- layout

TEST_F(Selta, EverythingFitsTheChildArea)
{
    Panel->resize(kPanelArea);
    Panel->show();
    // Both alarm labels up, the widest unit and value texts, settings filled in.
    ShowBothIn(selta::dmPressureKgf);
    Respond(WithSum("~001T01604001100480YY"));
    Respond(kSettingsExample);
    Panel->Edit1->setText(QStringLiteral("-0,2  кг/см"));
    Panel->Edit2->setText(QStringLiteral("101,  кг/см"));
    ASSERT_TRUE(Panel->Label3->isVisible());
    ASSERT_TRUE(Panel->Label4->isVisible());
    for (QWidget* page : {Panel->TabSheet1, Panel->TabSheet2}) {
        SCOPED_TRACE(page->objectName().toStdString());
        Panel->PageControl1->setCurrentWidget(page);
        QCoreApplication::sendPostedEvents();
        // A layout wanting more than the area would have grown the panel past it.
        EXPECT_EQ(Panel->size(), kPanelArea);
        EXPECT_EQ(ClippedWidgets(*Panel).join(QLatin1Char('\n')).toStdString(), "");
    }
    // The value fields keep their large face and show the widest values whole.
    for (QLineEdit* edit : {Panel->Edit1, Panel->Edit2}) {
        EXPECT_TRUE(edit->font().bold());
        EXPECT_GT(edit->font().pointSize(), Panel->font().pointSize());
        const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        EXPECT_LT(QFontMetrics(edit->font()).horizontalAdvance(edit->text()), edit->width() - 2 * frame - 4);
    }
}
