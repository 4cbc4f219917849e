#include "panels/Torvis.h"
#include "panels/PanelFactory.h"
#include "ui/MaskEdit.h"
#include "ui/RadioGroup.h"

#include "support/FakeHost.h"
#include "support/Frames.h"
#include "support/LayoutCheck.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

const QByteArray kPoll = "#TRV001T04\r";
// Channel 3 has "e" at position 20 and "-03.50" at 21-26.
const QByteArray kStatus = "~001TN+01.00E+02.00e-03.50M123456m+05.00o------X+07.00N 8.0 x0110203B0c1d2e3f";
const QByteArray kQuietStatus = "~001TN+11.11N+22.22N+33.33N+44.44N+55.55N+66.66N+77.77N+88.882021202120212021";
const QByteArray kSettings = "~001u52180125.-03.0000.0-01.0";

class TorvisPanel : public PollingPanelTest<TTORVIS_form> {
protected:
    QList<QLineEdit*> Values() const
    {
        return {Panel->Edit1, Panel->Edit2, Panel->Edit3, Panel->Edit4,
                Panel->Edit5, Panel->Edit6, Panel->Edit7, Panel->Edit8};
    }
    QList<QCheckBox*> Inputs() const
    {
        return {Panel->CheckBox1, Panel->CheckBox2, Panel->CheckBox3, Panel->CheckBox4,
                Panel->CheckBox5, Panel->CheckBox6, Panel->CheckBox7, Panel->CheckBox8};
    }
    QList<QComboBox*> DiscreteTypes() const
    {
        return {Panel->ComboBox3, Panel->ComboBox4, Panel->ComboBox5, Panel->ComboBox6,
                Panel->ComboBox7, Panel->ComboBox8, Panel->ComboBox9, Panel->ComboBox10};
    }
    QList<ui::TMaskEdit*> Levels() const
    {
        return {Panel->MaskEdit1, Panel->MaskEdit2, Panel->MaskEdit3, Panel->MaskEdit4};
    }
    static bool Red(const QLineEdit* edit) { return edit->palette().color(QPalette::Base) == QColor(Qt::red); }
    QStringList Texts(const QList<QLineEdit*>& edits) const
    {
        QStringList texts;
        for (const QLineEdit* edit : edits)
            texts << edit->text();
        return texts;
    }

    MessageRecorder messages;
};

TEST_F(TorvisPanel, StatusShowsValuesStatesAndDiscreteInputs)
{
    struct Row {
        const char *value, *hint;
        bool red;
        const char* caption;
        bool ticked;
        const char* indicator;
    };
    const Row rows[8] = {
        {"+01.00", "Нет ошибки", false, "Пассивный", true, "1"},
        {"+02.00", "Отказ датчика (ток > максимального)", true, "Пассивный", false, "0"},
        {"-03.50", "Отказ датчика (ток < минимального)", true, "Активный", true, "0"},
        {"123456", "Значение выше максимального", true, "Активный", false, "B"},
        {"+05.00", "Значение ниже минимального", true, "Пассивный", true, "c"},
        {"------", "Датчик отключен", false, "Пассивный", false, "d"},
        {"+07.00", "X", false, "Активный", true, "e"},
        {" 8.0 x", "Нет ошибки", false, "Активный", false, "f"},
    };
    Respond(WithSum(kStatus));
    for (int n = 0; n < 8; ++n) {
        SCOPED_TRACE(n + 1);
        EXPECT_EQ(Values()[n]->text(), QString::fromUtf8(rows[n].value));
        EXPECT_EQ(Values()[n]->toolTip(), QString::fromUtf8(rows[n].hint));
        EXPECT_EQ(Red(Values()[n]), rows[n].red);
        EXPECT_EQ(Inputs()[n]->text(), QString::fromUtf8(rows[n].caption));
        EXPECT_EQ(Inputs()[n]->isChecked(), rows[n].ticked);
        EXPECT_EQ(Panel->findChild<QLabel*>(QStringLiteral("Label%1").arg(n + 11))->text(), rows[n].indicator);
    }
    EXPECT_EQ(Host.Sent.last(), kPoll);
}

TEST_F(TorvisPanel, StartClearsTheStatusButARedFieldStaysRedUntilTheFirstStatus)
{
    Respond(WithSum(kStatus));
    Respond(WithSum("~001Vv1"));
    Panel->StartPoll();
    EXPECT_EQ(Texts(Values()), QStringList(8, QString()));
    for (int n = 0; n < 8; ++n) {
        EXPECT_TRUE(Values()[n]->toolTip().isEmpty());
        EXPECT_TRUE(Inputs()[n]->text().isEmpty());
        EXPECT_FALSE(Inputs()[n]->isChecked());
        EXPECT_EQ(Panel->findChild<QLabel*>(QStringLiteral("Label%1").arg(n + 11))->text(), "0");
    }
    EXPECT_TRUE(Panel->Memo1->toPlainText().isEmpty());
    EXPECT_TRUE(Red(Panel->Edit3));
    Respond(WithSum(kQuietStatus));
    EXPECT_FALSE(Red(Panel->Edit3));
    EXPECT_EQ(Host.Sent.last(), kPoll);
}

TEST_F(TorvisPanel, AShortStatusChangesOnlyTheChannelsItReaches)
{
    struct Row {
        int payload; // characters before the checksum
        int analog, discrete;
    };
    for (const Row r : {Row{5, 0, 0}, Row{26, 3, 0}, Row{30, 3, 0}, Row{65, 8, 2}, Row{76, 8, 7}}) {
        SCOPED_TRACE(r.payload);
        Respond(WithSum(kStatus));
        const QStringList before = Texts(Values());
        Respond(WithSum(kQuietStatus.left(r.payload)));
        const QStringList quiet = {"+11.11", "+22.22", "+33.33", "+44.44", "+55.55", "+66.66", "+77.77", "+88.88"};
        EXPECT_EQ(Texts(Values()), quiet.mid(0, r.analog) + before.mid(r.analog));
        for (int n = 0; n < 8; ++n)
            EXPECT_EQ(Inputs()[n]->isChecked(), n < r.discrete || n % 2 == 0) << n;
    }
}

TEST_F(TorvisPanel, AcceptedWritesAreReadBackAtOnce)
{
    struct Row {
        QByteArray frame;
        int calibrationChannel;
        QByteArray next;
    };
    const Row rows[] = {
        {WithSum("~001U2"), -1, "#TRV001u257\r"},
        {WithSum("~001U9"), 3, "#TRV001u95E\r"},
        {WithSum("~001D3"), 5, "#TRV001d549\r"}, // the channel chosen now, not the one answered
        {WithSum("~001D3"), -1, kPoll},
        {WithSum("~001U0"), -1, kPoll},
        {WithSum("~001Ux"), -1, kPoll},
        {WithSum("~001U"), -1, kPoll},
        {"~001U200", -1, kPoll}, // wrong checksum
        {WithSum("~001Z2"), -1, kPoll},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.frame.constData());
        Panel->FCalibrationChannel = r.calibrationChannel;
        Panel->HandleResponse(r.frame);
        EXPECT_EQ(Host.Sent.last(), r.next);
        Respond(WithSum("~001T"));
        EXPECT_EQ(Host.Sent.last(), kPoll);
    }
}

TEST_F(TorvisPanel, LinkLostShowsTheLossAndSendsTheWaitingRequestFirst)
{
    Respond(WithSum(kStatus));
    Respond(WithSum("~001Vv1"));
    Panel->Button3->click();
    Host.Sent.clear();
    Panel->LinkLost();
    EXPECT_EQ(Texts(Values()), QStringList(8, QStringLiteral("НЕТ СВЯЗИ")));
    for (int n = 0; n < 8; ++n) {
        EXPECT_FALSE(Red(Values()[n]));
        EXPECT_TRUE(Values()[n]->toolTip().isEmpty());
        EXPECT_TRUE(Inputs()[n]->text().isEmpty());
        EXPECT_FALSE(Inputs()[n]->isChecked());
    }
    EXPECT_EQ(Panel->Memo1->toPlainText(), "v1");
    EXPECT_EQ(Host.Sent, QByteArrayList{"#TRV001u95E\r"});
    Respond(WithSum(kQuietStatus));
    EXPECT_EQ(Panel->Edit1->text(), "+11.11");
    EXPECT_EQ(Host.Sent.last(), kPoll);
}

TEST_F(TorvisPanel, AButtonPressedWhilePollingIsStoppedSaysSoAndStartDropsItsRequest)
{
    Panel->Button3->click();
    EXPECT_TRUE(Host.Status.isEmpty()) << "polling: nothing to say";
    PollActive = false;
    Host.Status = "Опрос остановлен";
    Panel->Button1->click(); // refused: the box says why, the line stays
    EXPECT_EQ(messages.Texts, QStringList{"Не выбран канал"});
    EXPECT_EQ(Host.Status, "Опрос остановлен");
    Panel->Button5->click();
    EXPECT_EQ(Host.Status, "Опрос остановлен: запрос не отправлен. Запустите опрос и повторите.");
    EXPECT_EQ(Panel->FPendingRequest, "#TRV001V06\r");
    Host.Sent.clear();
    PollActive = true;
    Panel->StartPoll();
    EXPECT_EQ(Host.Sent, QByteArrayList{kPoll});
    for (QPushButton* b : Panel->findChildren<QPushButton*>())
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
}

TEST_F(TorvisPanel, ChannelChoicesReadButtonsAndTheirMessages)
{
    Panel->Button1->click();
    Panel->Button6->click();
    Panel->Button7->click();
    EXPECT_EQ(messages.Texts, QStringList({"Не выбран канал", "Не выбран канал", "Не выбран канал."}));
    EXPECT_EQ(messages.Beeps, 3);
    EXPECT_TRUE(Panel->FPendingRequest.isEmpty());

    Respond(WithSum(kSettings));
    Panel->RadioGroup1->Item(2)->click();
    EXPECT_EQ(Panel->FAnalogChannel, 3);
    EXPECT_EQ(Panel->ComboBox2->currentIndex(), -1);
    EXPECT_EQ(Panel->MaskEdit1->Text(), "");
    Panel->Button1->click();
    EXPECT_EQ(Panel->FPendingRequest, "#TRV001u358\r");

    Respond(WithSum("~001d8850015"));
    Panel->RadioGroup2->Item(7)->click();
    EXPECT_EQ(Panel->FCalibrationChannel, 8);
    EXPECT_EQ(Panel->MaskEdit5->Text() + Panel->MaskEdit6->Text(), "");
    Panel->Button6->click();
    EXPECT_EQ(Panel->FPendingRequest, "#TRV001d84C\r");
    Panel->Button3->click();
    EXPECT_EQ(Panel->FPendingRequest, "#TRV001u95E\r");
}

TEST_F(TorvisPanel, SettingsAnswersFillThePageAndOddOnesLeaveIt)
{
    struct Row {
        const char* body;
        int channel, type, unit;
        QStringList levels;
    };
    const Row rows[] = {
        {"~001u52180125.-03.0000.0-01.0", 5, 2, 18, {"+125.", "-03.0", "+00.0", "-01.0"}},
        {"~001u13200 1.5X12.5 00.0+01.0", 1, -1, -1, {"+ 1.5", " 12.5", " 00.0", "+01.0"}},
        {"~001u8x1x012.5012.5012.5012.5", 8, -1, -1, {"+12.5", "+12.5", "+12.5", "+12.5"}},
        // No channel 1 to 8, or a record cut short: the page keeps what it showed.
        {"~001u02180125.-03.0000.0-01.0", 2, 0, 1, {"+12.5", "", "", ""}},
        {"~001ux2180125.-03.0000.0-01.0", 2, 0, 1, {"+12.5", "", "", ""}},
        {"~001u52180125.-03.0000.0-01.", 2, 0, 1, {"+12.5", "", "", ""}},
        {"~001u", 2, 0, 1, {"+12.5", "", "", ""}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.body);
        Panel->RadioGroup1->Item(1)->click();
        Panel->ComboBox1->setCurrentIndex(0);
        Panel->ComboBox2->setCurrentIndex(1);
        Panel->MaskEdit1->SetText("+12.5");
        Panel->ComboBox4->setCurrentIndex(1);
        Respond(WithSum(r.body));
        EXPECT_EQ(Panel->FAnalogChannel, r.channel);
        EXPECT_EQ(Panel->RadioGroup1->ItemIndex(), r.channel - 1);
        EXPECT_EQ(Panel->ComboBox1->currentIndex(), r.type);
        EXPECT_EQ(Panel->ComboBox2->currentIndex(), r.unit);
        QStringList shown;
        for (const ui::TMaskEdit* level : Levels())
            shown << level->Text();
        EXPECT_EQ(shown, r.levels);
        EXPECT_EQ(Panel->ComboBox4->currentIndex(), r.channel == 2 ? 1 : -1);
        EXPECT_EQ(Host.Sent.last(), kPoll);
    }
}

TEST_F(TorvisPanel, AnalogWriteFromThePage)
{
    Panel->RadioGroup1->Item(1)->click();
    Panel->ComboBox1->setCurrentIndex(2);
    Panel->ComboBox2->setCurrentIndex(18);
    const QStringList typed = {"+20.0", "+1.5", "+18.0", "-01.0"};
    for (int i = 0; i < 4; ++i)
        Levels()[i]->SetText(typed[i]);
    Panel->Button2->click();
    EXPECT_EQ(messages.Texts, QStringList{"Предельные значения и аварийные уровни должны состоять из 5 символов"});
    EXPECT_EQ(messages.Beeps, 1);
    EXPECT_TRUE(Panel->FPendingRequest.isEmpty());
    Panel->MaskEdit2->SetText("+00.0");
    Panel->Button2->click();
    EXPECT_EQ(Panel->FPendingRequest, "#TRV001U2218020.0000.0018.0-01.093\r");
    Respond(WithSum("~001T"));
    EXPECT_EQ(Host.Sent.last(), "#TRV001U2218020.0000.0018.0-01.093\r");
}

TEST_F(TorvisPanel, DiscreteTypesAnswerAndWrite)
{
    Panel->ComboBox1->setCurrentIndex(1);
    Panel->MaskEdit1->SetText("+12.5");
    Respond(WithSum("~001u901201xx0"));
    QList<int> chosen;
    for (const QComboBox* list : DiscreteTypes())
        chosen << list->currentIndex();
    EXPECT_EQ(chosen, QList<int>({0, 1, 1, 0, 1, 1, 1, 0}));
    EXPECT_EQ(Panel->ComboBox5->currentText(), "Активный");
    EXPECT_EQ(Panel->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(Panel->MaskEdit1->Text(), "");
    Respond(WithSum("~001u90120")); // cut short: kept
    EXPECT_EQ(Panel->ComboBox10->currentIndex(), 0);

    for (int n = 0; n < 8; ++n)
        DiscreteTypes()[n]->setCurrentIndex(n == 0 || n == 7 ? 1 : 0);
    Panel->Button4->click();
    EXPECT_EQ(Panel->FPendingRequest, "#TRV001U910000001C0\r");
    Panel->FPendingRequest.clear();
    Panel->ComboBox5->setCurrentIndex(-1);
    Panel->ComboBox8->setCurrentIndex(-1);
    Panel->Button4->click();
    EXPECT_EQ(messages.Texts, QStringList{"Не все поля заполнены."});
    EXPECT_TRUE(Panel->FPendingRequest.isEmpty());
}

TEST_F(TorvisPanel, VersionAnswersAddOneLineEach)
{
    Respond(WithSum("~001V\xD2\xCE\xD0\xC2\xC8\xD1 \xE2\xE5\xF0. 3.12"));
    Respond(WithSum("~001Va\nb"));
    Respond(WithSum("~001V"));
    EXPECT_EQ(Panel->Memo1->toPlainText(), "ТОРВИС вер. 3.12\na b\n");
    Panel->Button5->click();
    EXPECT_TRUE(Panel->Memo1->toPlainText().isEmpty());
    EXPECT_EQ(Panel->FPendingRequest, "#TRV001V06\r");
}

TEST_F(TorvisPanel, CalibrationAnswerAndWrite)
{
    Panel->RadioGroup2->Item(2)->click();
    Respond(WithSum("~001d3850015"));
    EXPECT_EQ(Panel->MaskEdit5->Text(), "850");
    EXPECT_EQ(Panel->MaskEdit6->Text(), "015");
    Respond(WithSum("~001d38500"));   // cut short: kept
    Respond(WithSum("~001d38x9015")); // what a field does not take stays out
    EXPECT_EQ(Panel->MaskEdit5->EditText(), "8*9");
    EXPECT_EQ(Panel->MaskEdit6->Text(), "015");
    Panel->MaskEdit5->SetText("85");
    Panel->Button7->click();
    EXPECT_EQ(messages.Texts, QStringList{"Верхнее значение юстировки  указано не правильно"});
    Panel->MaskEdit5->SetText("850");
    Panel->Button7->click();
    EXPECT_EQ(Panel->FPendingRequest, "#TRV001D38500155A\r");
}

TEST_F(TorvisPanel, CreatedIdleAndShownWithEveryPageInsideTheChildArea)
{
    PollActive = false;
    auto created = panels::CreatePanel(devices::TDeviceKind::Torvis, Host);
    auto* panel = qobject_cast<TTORVIS_form*>(created.get());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->objectName(), "TORVIS_form");
    EXPECT_EQ(panel->windowTitle(), "TORVIS_form");
    EXPECT_EQ(panel->Panel1->width(), 368);
    EXPECT_EQ(panel->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(panel->Label18->text(), "0");

    // Showing the form resets what an earlier use chose.
    panel->RadioGroup1->Item(4)->click();
    panel->RadioGroup2->Item(4)->click();
    panel->ComboBox3->setCurrentIndex(1);
    panel->resize(kPanelArea);
    panel->show();
    EXPECT_EQ(panel->FAnalogChannel, -1);
    EXPECT_EQ(panel->FCalibrationChannel, -1);
    EXPECT_EQ(panel->RadioGroup1->ItemIndex(), -1);
    EXPECT_EQ(panel->ComboBox3->currentIndex(), -1);

    PollActive = true;
    panel->HandleResponse(WithSum(kStatus));
    panel->LinkLost();
    panel->HandleResponse(WithSum(kSettings));
    for (QWidget* page : {panel->TabSheet4, panel->TabSheet5, panel->TabSheet2, panel->TabSheet3}) {
        SCOPED_TRACE(page->objectName().toStdString());
        const bool settings = page == panel->TabSheet4 || page == panel->TabSheet5;
        panel->PageControl1->setCurrentWidget(settings ? panel->TabSheet1 : page);
        if (settings)
            panel->PageControl2->setCurrentWidget(page);
        QCoreApplication::sendPostedEvents();
        EXPECT_TRUE(page->isVisible());
        EXPECT_EQ(panel->size(), kPanelArea);
        EXPECT_EQ(ClippedWidgets(*panel).join(QLatin1Char('\n')).toStdString(), "");
    }
}

} // namespace
