#include "panels/Torvis.h"

#include "panels/FormLayout.h"

#include "app/Frames.h"
#include "ui/MaskEdit.h"
#include "ui/RadioGroup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

using panels::Compact;
using panels::Named;
using panels::ShowText;

using devices::TChecked;

const QString kNoLink = QStringLiteral("НЕТ СВЯЗИ");
const QString kNotSentWhileStopped =
    QStringLiteral("Опрос остановлен: запрос не отправлен. Запустите опрос и повторите.");
const QString kLevelMask = QStringLiteral("#9ccc;0;*");
const QString kCalibrationMask = QStringLiteral("999;0;*");

QStringList ChannelItems()
{
    QStringList items;
    for (int n = 1; n <= torvis::AnalogCount; ++n)
        items << QString::number(n);
    return items;
}

// Room for text in a line edit of the given font, frame included.
int FieldWidth(const QWidget* field, const QString& text)
{
    return QFontMetrics(field->font()).horizontalAdvance(text) +
           2 * field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field) + 10;
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    for (QPushButton* button : buttons)
        row->addWidget(button);
    row->addStretch();
    return row;
}

} // namespace

TTORVIS_form::TTORVIS_form(TPanelHost& host, QWidget* parent) : TDevicePanel(devices::TDeviceKind::Torvis, host, parent)
{
    setObjectName(QStringLiteral("TORVIS_form"));
    setWindowTitle(QStringLiteral("TORVIS_form"));
    // The main window's font: the panel lives in its 790 x 315 child area.
    setFont(QFont(QStringLiteral("DejaVu Sans"), 8));

    BuildStatus();

    PageControl1 = Named(new QTabWidget(this), QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    TabSheet1 = Named(new QWidget, QStringLiteral("TabSheet1"));
    PageControl2 = Named(new QTabWidget(TabSheet1), QStringLiteral("PageControl2"));
    PageControl2->setDocumentMode(true);
    // Tabs drawn as a row of buttons, the chosen one pressed in.
    PageControl2->setStyleSheet(
        QStringLiteral("QTabWidget::pane { border: none; }"
                       "QTabBar::tab { border: 1px solid palette(mid); border-radius: 3px; padding: 2px 10px;"
                       " margin: 2px 3px 2px 0px; background: palette(button); }"
                       "QTabBar::tab:selected { background: palette(mid); border-color: palette(dark); }"));
    TabSheet4 = BuildAnalogPage();
    TabSheet5 = BuildDiscretePage();
    PageControl2->addTab(TabSheet4, QStringLiteral("Аналоговые"));
    PageControl2->addTab(TabSheet5, QStringLiteral("Дискретные"));
    auto* settings = new QVBoxLayout(TabSheet1);
    Compact(settings, 2);
    settings->addWidget(PageControl2);
    TabSheet2 = BuildVersionPage();
    TabSheet3 = BuildCalibrationPage();
    PageControl1->addTab(TabSheet1, QStringLiteral("Уставки"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Версия"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Юстировка"));

    auto* root = new QHBoxLayout(this);
    Compact(root, 0);
    root->setSpacing(4);
    root->addWidget(Panel1);
    root->addWidget(PageControl1, 1);

    connect(RadioGroup1, &ui::TRadioGroup::Click, this, &TTORVIS_form::RadioGroup1Click);
    connect(RadioGroup2, &ui::TRadioGroup::Click, this, &TTORVIS_form::RadioGroup2Click);
    connect(Button1, &QPushButton::clicked, this, &TTORVIS_form::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TTORVIS_form::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TTORVIS_form::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TTORVIS_form::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TTORVIS_form::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TTORVIS_form::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TTORVIS_form::Button7Click);

    // The idle state of a new panel is the one it shows with.
    FormShow();
}

void TTORVIS_form::BuildStatus()
{
    Panel1 = Named(new QFrame(this), QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFixedWidth(368);
    auto* rows = new QGridLayout(Panel1);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setHorizontalSpacing(8);
    rows->setVerticalSpacing(2);
    QFont bold = font();
    bold.setBold(true);
    auto head = [&](const QString& text, int column, int span) {
        auto* label = new QLabel(text, Panel1);
        label->setFont(bold);
        rows->addWidget(label, 0, column, 1, span);
    };
    head(QStringLiteral("Аналоговые"), 1, 1);
    head(QStringLiteral("Дискретные"), 2, 2);

    QLineEdit** values[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8};
    QCheckBox** inputs[] = {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4,
                            &CheckBox5, &CheckBox6, &CheckBox7, &CheckBox8};
    QLabel** indicators[] = {&Label11, &Label12, &Label13, &Label14, &Label15, &Label16, &Label17, &Label18};
    int line = 1;
    for (std::size_t i = 0; i < FValues.size(); ++i) {
        auto* value = Named(new QLineEdit(Panel1), QStringLiteral("Edit%1").arg(i + 1));
        value->setReadOnly(true);
        value->setFocusPolicy(Qt::NoFocus);
        auto* input = Named(new QCheckBox(Panel1), QStringLiteral("CheckBox%1").arg(i + 1));
        // It shows the input; a click must not change what the device reported.
        input->setAttribute(Qt::WA_TransparentForMouseEvents);
        input->setFocusPolicy(Qt::NoFocus);
        auto* indicator = Named(new QLabel(Panel1), QStringLiteral("Label%1").arg(i + 11));
        indicator->setFont(bold);
        *values[i] = FValues[i] = value;
        *inputs[i] = FInputs[i] = input;
        *indicators[i] = FIndicators[i] = indicator;

        if (i > 0) {
            auto* separator = new QFrame(Panel1);
            separator->setFrameShape(QFrame::HLine);
            separator->setFrameShadow(QFrame::Sunken);
            rows->addWidget(separator, line++, 0, 1, 4);
        }
        rows->addWidget(new QLabel(QStringLiteral("%1 канал").arg(i + 1), Panel1), line, 0);
        rows->addWidget(value, line, 1);
        rows->addWidget(input, line, 2);
        rows->addWidget(indicator, line++, 3);
    }
    // The widest texts are reserved, so nothing moves as states come and go.
    const int valueWidth = FieldWidth(Edit1, kNoLink + QStringLiteral("  "));
    for (QLineEdit* value : FValues)
        value->setMinimumWidth(valueWidth);
    CheckBox1->setText(torvis::DiscreteTypeNames().at(0));
    const int inputWidth = CheckBox1->sizeHint().width();
    for (QCheckBox* input : FInputs)
        input->setMinimumWidth(inputWidth);
    rows->setColumnStretch(3, 1);
    rows->setRowStretch(line, 1);
}

QWidget* TTORVIS_form::BuildAnalogPage()
{
    auto* page = Named(new QWidget, QStringLiteral("TabSheet4"));
    RadioGroup1 =
        Named(new ui::TRadioGroup(QStringLiteral("Канал"), ChannelItems(), 8, page), QStringLiteral("RadioGroup1"));
    ComboBox1 = Named(new QComboBox(page), QStringLiteral("ComboBox1"));
    ComboBox1->addItems(torvis::SensorTypeNames());
    ComboBox2 = Named(new QComboBox(page), QStringLiteral("ComboBox2"));
    ComboBox2->addItems(torvis::UnitSymbols());
    ComboBox2->setMaxVisibleItems(20);
    MaskEdit1 = Named(new ui::TMaskEdit(page), QStringLiteral("MaskEdit1"));
    MaskEdit2 = Named(new ui::TMaskEdit(page), QStringLiteral("MaskEdit2"));
    MaskEdit3 = Named(new ui::TMaskEdit(page), QStringLiteral("MaskEdit3"));
    MaskEdit4 = Named(new ui::TMaskEdit(page), QStringLiteral("MaskEdit4"));
    FLevels = {MaskEdit1, MaskEdit2, MaskEdit3, MaskEdit4};
    Button1 = Named(new QPushButton(QStringLiteral("Прочитать"), page), QStringLiteral("Button1"));
    Button2 = Named(new QPushButton(QStringLiteral("Установить"), page), QStringLiteral("Button2"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel(QStringLiteral("Тип датчика"), page), 0, 0);
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Единицы измерения"), page), 1, 0);
    grid->addWidget(ComboBox2, 1, 1);
    const QString captions[] = {QStringLiteral("Верхнее значение датчика"), QStringLiteral("Нижние значение датчика"),
                                QStringLiteral("Верхнее аварийное значение"),
                                QStringLiteral("Нижние аварийное значение")};
    for (std::size_t i = 0; i < FLevels.size(); ++i) {
        FLevels[i]->SetEditMask(kLevelMask);
        FLevels[i]->setFixedWidth(FieldWidth(FLevels[i], QStringLiteral("-00.00")));
        grid->addWidget(new QLabel(captions[i], page), int(i) + 2, 0);
        grid->addWidget(FLevels[i], int(i) + 2, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);

    auto* column = new QVBoxLayout(page);
    Compact(column, 4);
    column->addWidget(RadioGroup1);
    column->addLayout(grid);
    column->addStretch();
    column->addLayout(ButtonRow({Button1, Button2}));
    return page;
}

QWidget* TTORVIS_form::BuildDiscretePage()
{
    auto* page = Named(new QWidget, QStringLiteral("TabSheet5"));
    QComboBox** lists[] = {&ComboBox3, &ComboBox4, &ComboBox5, &ComboBox6,
                           &ComboBox7, &ComboBox8, &ComboBox9, &ComboBox10};
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    const int half = torvis::DiscreteCount / 2;
    for (int n = 0; n < torvis::DiscreteCount; ++n) {
        auto* list = Named(new QComboBox(page), QStringLiteral("ComboBox%1").arg(n + 3));
        list->addItems(torvis::DiscreteTypeNames());
        *lists[n] = FDiscreteTypes[static_cast<std::size_t>(n)] = list;
        const int row = n % half;
        const int column = n / half * 3;
        grid->addWidget(new QLabel(QStringLiteral("Канал %1").arg(n + 1), page), row, column);
        grid->addWidget(list, row, column + 1);
    }
    grid->setColumnMinimumWidth(2, 12);
    grid->setColumnStretch(5, 1);
    Button3 = Named(new QPushButton(QStringLiteral("Прочитать"), page), QStringLiteral("Button3"));
    Button4 = Named(new QPushButton(QStringLiteral("Установить"), page), QStringLiteral("Button4"));
    auto* column = new QVBoxLayout(page);
    Compact(column, 4);
    column->addLayout(grid);
    column->addStretch();
    column->addLayout(ButtonRow({Button3, Button4}));
    return page;
}

QWidget* TTORVIS_form::BuildVersionPage()
{
    auto* page = Named(new QWidget, QStringLiteral("TabSheet2"));
    Memo1 = Named(new QPlainTextEdit(page), QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Button5 = Named(new QPushButton(QStringLiteral("Прочитать"), page), QStringLiteral("Button5"));
    auto* column = new QVBoxLayout(page);
    Compact(column, 4);
    column->addWidget(Memo1);
    column->addLayout(ButtonRow({Button5}));
    return page;
}

QWidget* TTORVIS_form::BuildCalibrationPage()
{
    auto* page = Named(new QWidget, QStringLiteral("TabSheet3"));
    RadioGroup2 =
        Named(new ui::TRadioGroup(QStringLiteral("Канал"), ChannelItems(), 8, page), QStringLiteral("RadioGroup2"));
    MaskEdit5 = Named(new ui::TMaskEdit(page), QStringLiteral("MaskEdit5"));
    MaskEdit6 = Named(new ui::TMaskEdit(page), QStringLiteral("MaskEdit6"));
    Button6 = Named(new QPushButton(QStringLiteral("Прочитать"), page), QStringLiteral("Button6"));
    Button7 = Named(new QPushButton(QStringLiteral("Установить"), page), QStringLiteral("Button7"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel(QStringLiteral("Верхнее значение юстировки"), page), 0, 0);
    grid->addWidget(MaskEdit5, 0, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("Нижние значение юстировки"), page), 1, 0);
    grid->addWidget(MaskEdit6, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    for (ui::TMaskEdit* field : {MaskEdit5, MaskEdit6}) {
        field->SetEditMask(kCalibrationMask);
        field->setFixedWidth(FieldWidth(field, QStringLiteral("0000")));
    }
    auto* column = new QVBoxLayout(page);
    Compact(column, 4);
    column->addWidget(RadioGroup2);
    column->addLayout(grid);
    column->addStretch();
    column->addLayout(ButtonRow({Button6, Button7}));
    return page;
}

// ---- Contract hooks ----

void TTORVIS_form::StartPoll()
{
    ClearStatus();
    BeginPolling();
}

void TTORVIS_form::LinkLost()
{
    // The version read before the loss stays on its page.
    ClearStatusRows();
    // A red field would still claim a sensor fault the unit can no longer report.
    for (QLineEdit* value : FValues) {
        SetAlarm(value, false);
        ShowText(value, kNoLink);
    }
    SendNext();
}

void TTORVIS_form::HandleLetter(char letter, const QByteArray& frame)
{
    switch (letter) {
    case torvis::StatusLetter:
        DecodeStatus(frame);
        break;
    case torvis::SettingsLetter:
        DecodeSettings(frame);
        break;
    case torvis::SettingsWrittenLetter:
    case torvis::CalibrationWrittenLetter:
        if (const auto readBack = torvis::ReadBackRequest(DeviceNumber, frame, FCalibrationChannel))
            FPendingRequest = *readBack;
        break;
    case torvis::VersionLetter:
        DecodeVersion(frame);
        break;
    case torvis::CalibrationLetter:
        DecodeCalibration(frame);
        break;
    default:
        break;
    }
}

void TTORVIS_form::showEvent(QShowEvent* event)
{
    TDevicePanel::showEvent(event);
    // A window coming back from the task bar is no new showing.
    if (!event->spontaneous())
        FormShow();
}

void TTORVIS_form::FormShow()
{
    ClearStatus();
    ClearSettings();
    FAnalogChannel = -1;
    FCalibrationChannel = -1;
    // The channel lists show no choice while no channel is chosen.
    RadioGroup1->SetItemIndex(-1);
    RadioGroup2->SetItemIndex(-1);
}

// ---- Status ----

void TTORVIS_form::ClearStatus()
{
    ClearStatusRows();
    Memo1->clear();
}

void TTORVIS_form::ClearStatusRows()
{
    for (QLineEdit* value : FValues)
        value->clear();
    for (QLineEdit* value : FValues)
        value->setToolTip(QString());
    for (QCheckBox* input : FInputs)
        input->setText(QString());
    for (QCheckBox* input : FInputs)
        input->setChecked(false);
    for (QLabel* indicator : FIndicators)
        indicator->setText(QStringLiteral("0"));
}

void TTORVIS_form::SetAlarm(QLineEdit* value, bool alarm)
{
    QPalette palette = value->palette();
    palette.setColor(QPalette::Base, alarm ? QColor(Qt::red) : QApplication::palette(value).color(QPalette::Base));
    value->setPalette(palette);
}

void TTORVIS_form::DecodeStatus(const QByteArray& frame)
{
    const torvis::TStatus status = torvis::DecodeStatus(frame);
    for (std::size_t i = 0; i < FValues.size(); ++i) {
        if (const auto& analog = status.Analog[i]) {
            SetAlarm(FValues[i], analog->Alarm);
            ShowText(FValues[i], analog->Value);
            FValues[i]->setToolTip(analog->StateText);
        }
    }
    for (std::size_t i = 0; i < FInputs.size(); ++i) {
        if (const auto& input = status.Discrete[i]) {
            FIndicators[i]->setText(input->Indicator);
            FInputs[i]->setText(input->Caption);
            FInputs[i]->setChecked(input->Ticked);
        }
    }
}

// ---- Settings ----

void TTORVIS_form::RadioGroup1Click()
{
    FAnalogChannel = RadioGroup1->ItemIndex() + 1;
    ClearSettings();
}

void TTORVIS_form::ClearSettings()
{
    ComboBox1->setCurrentIndex(-1);
    ComboBox2->setCurrentIndex(-1);
    for (ui::TMaskEdit* level : FLevels)
        level->Clear();
    for (QComboBox* list : FDiscreteTypes)
        list->setCurrentIndex(-1);
}

void TTORVIS_form::DecodeSettings(const QByteArray& frame)
{
    // An answer too short for its record, or naming no channel, leaves the page as it was.
    if (torvis::IsDiscreteTypesAnswer(frame)) {
        const auto types = torvis::DecodeDiscreteTypes(frame);
        if (!types)
            return;
        ClearSettings();
        for (std::size_t i = 0; i < FDiscreteTypes.size(); ++i)
            FDiscreteTypes[i]->setCurrentIndex((*types)[i]);
        return;
    }
    const auto settings = torvis::DecodeAnalogSettings(frame);
    if (!settings)
        return;
    ClearSettings();
    FAnalogChannel = settings->Channel;
    RadioGroup1->SetItemIndex(FAnalogChannel - 1);
    ComboBox1->setCurrentIndex(settings->SensorType);
    ComboBox2->setCurrentIndex(settings->Unit);
    for (std::size_t i = 0; i < FLevels.size(); ++i)
        FLevels[i]->SetText(settings->Levels[i]);
}

void TTORVIS_form::QueueRequest(const TChecked& checked)
{
    if (Queue(checked) && !PollActive)
        FHost.SetStatusLine(kNotSentWhileStopped);
}

void TTORVIS_form::Button1Click() { QueueRequest(torvis::CheckSettingsRead(DeviceNumber, FAnalogChannel)); }

void TTORVIS_form::Button2Click()
{
    torvis::TAnalogInput input;
    input.Channel = FAnalogChannel;
    input.SensorType = ComboBox1->currentIndex();
    input.Unit = ComboBox2->currentIndex();
    for (std::size_t i = 0; i < FLevels.size(); ++i)
        input.Levels[i] = FLevels[i]->Text();
    QueueRequest(torvis::CheckAnalogWrite(DeviceNumber, input));
}

// ---- Discrete types ----

void TTORVIS_form::Button3Click() { QueueRequest(TChecked::Accept(torvis::DiscreteTypesRequest(DeviceNumber))); }

void TTORVIS_form::Button4Click()
{
    std::array<int, torvis::DiscreteCount> indices{};
    for (std::size_t i = 0; i < FDiscreteTypes.size(); ++i)
        indices[i] = FDiscreteTypes[i]->currentIndex();
    QueueRequest(torvis::CheckDiscreteWrite(DeviceNumber, indices));
}

// ---- Version ----

void TTORVIS_form::Button5Click()
{
    Memo1->clear();
    QueueRequest(TChecked::Accept(torvis::VersionRequest(DeviceNumber)));
}

void TTORVIS_form::DecodeVersion(const QByteArray& frame) { Memo1->appendPlainText(torvis::DecodeVersion(frame)); }

// ---- Calibration ----

void TTORVIS_form::RadioGroup2Click()
{
    FCalibrationChannel = RadioGroup2->ItemIndex() + 1;
    ClearCalibration();
}

void TTORVIS_form::ClearCalibration()
{
    MaskEdit5->Clear();
    MaskEdit6->Clear();
}

void TTORVIS_form::Button6Click() { QueueRequest(torvis::CheckCalibrationRead(DeviceNumber, FCalibrationChannel)); }

void TTORVIS_form::Button7Click()
{
    QueueRequest(
        torvis::CheckCalibrationWrite(DeviceNumber, FCalibrationChannel, MaskEdit5->Text(), MaskEdit6->Text()));
}

void TTORVIS_form::DecodeCalibration(const QByteArray& frame)
{
    // Characters a field does not take are left out, as the field does with typing.
    if (const auto values = torvis::DecodeCalibration(frame)) {
        MaskEdit5->SetText(values->Upper);
        MaskEdit6->SetText(values->Lower);
    }
}
