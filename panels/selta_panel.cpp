#include "panels/selta_panel.h"

#include "panels/FormLayout.h"

#include "app/Frames.h"
#include "ui/Dialogs.h"
#include "ui/GroupBox.h"
#include "ui/MaskEdit.h"

#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <tuple>
#include <utility>

namespace {

using panels::AddButtonRow;
using panels::Compact;
using panels::ShowText;

using namespace selta;

QFont PanelFont(int points, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"), points);
    font.setBold(bold);
    return font;
}

} // namespace

struct TSelta::ChannelControls {
    int Number;
    std::uint8_t Mode;
    QComboBox* Type;
    ui::TMaskEdit* Limit;
    ui::TMaskEdit* Maximum;
    ui::TMaskEdit* Minimum;
    QLabel* MaximumUnit;
    QLabel* MinimumUnit;
};

TSelta::TSelta(TPanelHost& host, QWidget* parent) : TDevicePanel(devices::TDeviceKind::Selta, host, parent)
{
    setObjectName(QStringLiteral("Selta"));
    setWindowTitle(QStringLiteral("Сельта"));
    // The main window's font: the panel lives in its 790 x 315 child area.
    setFont(PanelFont(8));

    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };

    // Status side.
    Panel1 = named(new QWidget(this), "Panel1");
    GroupBox1 = named(new ui::TGroupBox(QStringLiteral("Канал №1"), Panel1), "GroupBox1");
    GroupBox2 = named(new ui::TGroupBox(QStringLiteral("Канал №2"), Panel1), "GroupBox2");
    const QString captions[4] = {QStringLiteral("Ток"), QStringLiteral("Давление в мегапаскалях"),
                                 QStringLiteral("Давление в атмосферах"), QStringLiteral("Уровень в метрах")};
    QRadioButton** radios[8] = {&RadioButton1, &RadioButton2, &RadioButton3, &RadioButton4,
                                &RadioButton5, &RadioButton6, &RadioButton7, &RadioButton8};
    for (int i = 0; i < 8; ++i) {
        QGroupBox* box = i < 4 ? GroupBox1 : GroupBox2;
        *radios[i] = new QRadioButton(captions[i % 4], box);
        (*radios[i])->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        connect(*radios[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                RadioButton1Click();
        });
    }
    Edit1 = named(new QLineEdit(GroupBox1), "Edit1");
    Edit2 = named(new QLineEdit(GroupBox2), "Edit2");
    Label3 = named(new QLabel(QStringLiteral("Разгерметизация"), GroupBox1), "Label3");
    Label4 = named(new QLabel(QStringLiteral("Разгерметизация"), GroupBox2), "Label4");
    // A value is digits, a comma and a unit, which this font draws the same
    // with or without shaping: a new value, on every answer, is then laid out
    // at about half the cost.
    QFont valueFont = PanelFont(14, true);
    valueFont.setStyleStrategy(QFont::PreferNoShaping);
    const int valueWidth = QFontMetrics(valueFont).horizontalAdvance(QStringLiteral("-0,00  кг/см")) + 24;
    for (auto [box, edit, label] : {std::tuple{GroupBox1, Edit1, Label3}, std::tuple{GroupBox2, Edit2, Label4}}) {
        edit->setReadOnly(true);
        edit->setFont(valueFont);
        edit->setMinimumWidth(valueWidth);
        QFont bold = font();
        bold.setBold(true);
        label->setFont(bold);
        label->setStyleSheet(QStringLiteral("color: red;"));
        // Four modes in two rows, the value with its alarm beside it underneath:
        // the alarm label coming and going moves nothing.
        auto* grid = new QGridLayout(box);
        Compact(grid, 6);
        grid->setHorizontalSpacing(8);
        const QList<QRadioButton*> modes = box->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
        for (int m = 0; m < modes.size(); ++m)
            grid->addWidget(modes[m], m / 2, m % 2);
        grid->addWidget(edit, 2, 0);
        grid->addWidget(label, 2, 1);
    }
    auto* left = new QVBoxLayout(Panel1);
    Compact(left, 0);
    left->addWidget(GroupBox1);
    left->addWidget(GroupBox2);
    left->addStretch();

    // Settings page.
    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->setDocumentMode(true);
    TabSheet1 = named(new QWidget, "TabSheet1");
    TabSheet2 = named(new QWidget, "TabSheet2");
    PageControl1->addTab(TabSheet1, QStringLiteral("Уставки"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Статистика"));
    PageControl1->setCurrentWidget(TabSheet1);

    GroupBox3 = named(new ui::TGroupBox(QStringLiteral("Канал №1"), TabSheet1), "GroupBox3");
    GroupBox4 = named(new ui::TGroupBox(QStringLiteral("Канал №2"), TabSheet1), "GroupBox4");
    ComboBox1 = named(new QComboBox(GroupBox3), "ComboBox1");
    ComboBox2 = named(new QComboBox(GroupBox4), "ComboBox2");
    MaskEdit1 = named(new ui::TMaskEdit(GroupBox3), "MaskEdit1");
    MaskEdit2 = named(new ui::TMaskEdit(GroupBox3), "MaskEdit2");
    MaskEdit3 = named(new ui::TMaskEdit(GroupBox3), "MaskEdit3");
    MaskEdit4 = named(new ui::TMaskEdit(GroupBox4), "MaskEdit4");
    MaskEdit5 = named(new ui::TMaskEdit(GroupBox4), "MaskEdit5");
    MaskEdit6 = named(new ui::TMaskEdit(GroupBox4), "MaskEdit6");
    Label16 = named(new QLabel(GroupBox3), "Label16");
    Label18 = named(new QLabel(GroupBox3), "Label18");
    Label17 = named(new QLabel(GroupBox4), "Label17");
    Label19 = named(new QLabel(GroupBox4), "Label19");
    Button2 = named(new QPushButton(QStringLiteral("Установить"), GroupBox3), "Button2");
    Button3 = named(new QPushButton(QStringLiteral("Установить"), GroupBox3), "Button3");
    Button4 = named(new QPushButton(QStringLiteral("Установить"), GroupBox4), "Button4");
    Button5 = named(new QPushButton(QStringLiteral("Установить"), GroupBox4), "Button5");
    const int fieldWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("99,99")) + 16;
    for (int ch = 0; ch < 2; ++ch) {
        const ChannelControls c = Channel(ch);
        c.Type->addItems({QStringLiteral("0 - 5"), QStringLiteral("4 - 20 ")});
        connect(c.Type, &QComboBox::activated, this, [this] { RadioButton1Click(); });
        c.Limit->SetEditMask(QString::fromLatin1(MaskSmall));
        for (ui::TMaskEdit* field : {c.Limit, c.Maximum, c.Minimum})
            field->setMinimumWidth(fieldWidth);
        // Wide enough for the longest unit, so a mode change neither cuts it nor
        // shifts the column; the mode's own text follows below.
        for (QLabel* unit : {c.MaximumUnit, c.MinimumUnit}) {
            unit->setText(UnitLabel(dmPressureKgf));
            unit->setMinimumWidth(unit->sizeHint().width());
        }
        // Caption, field and unit on a line; each "Установить" under the pair it writes.
        QGroupBox* box = ch == 0 ? GroupBox3 : GroupBox4;
        auto* grid = new QGridLayout(box);
        Compact(grid, 6);
        grid->addWidget(new QLabel(QStringLiteral("Тип датчика"), box), 0, 0);
        grid->addWidget(c.Type, 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("мА"), box), 0, 2);
        grid->addWidget(new QLabel(QStringLiteral("Предел"), box), 1, 0);
        grid->addWidget(c.Limit, 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("МПа"), box), 1, 2);
        grid->addWidget(ch == 0 ? Button2 : Button4, 2, 1, 1, 2);
        grid->addWidget(new QLabel(QStringLiteral("максимум"), box), 3, 0);
        grid->addWidget(c.Maximum, 3, 1);
        grid->addWidget(c.MaximumUnit, 3, 2);
        grid->addWidget(new QLabel(QStringLiteral("минимум"), box), 4, 0);
        grid->addWidget(c.Minimum, 4, 1);
        grid->addWidget(c.MinimumUnit, 4, 2);
        grid->addWidget(ch == 0 ? Button3 : Button5, 5, 1, 1, 2);
        grid->setRowStretch(6, 1);
    }
    ComboBox3 = named(new QComboBox(TabSheet1), "ComboBox3");
    ComboBox3->addItems({QStringLiteral("Нормально выключен"), QStringLiteral("Нормально включен")});
    ComboBox3->setCurrentIndex(0);
    Button6 = named(new QPushButton(QStringLiteral("Установить"), TabSheet1), "Button6");
    Button7 = named(new QPushButton(QStringLiteral("Прочитать"), TabSheet1), "Button7");
    auto* settings = new QVBoxLayout(TabSheet1);
    Compact(settings, 4);
    auto* channels = new QHBoxLayout;
    channels->setSpacing(4);
    channels->addWidget(GroupBox3);
    channels->addWidget(GroupBox4);
    settings->addLayout(channels);
    auto* alarm = new QHBoxLayout;
    alarm->setSpacing(4);
    alarm->addWidget(new QLabel(QStringLiteral("Сигнал аварии"), TabSheet1));
    alarm->addWidget(ComboBox3);
    alarm->addWidget(Button6);
    alarm->addStretch();
    settings->addLayout(alarm);
    settings->addStretch();
    AddButtonRow(settings, {Button7});

    // Statistics page.
    Memo1 = named(new QPlainTextEdit(TabSheet2), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Button1 = named(new QPushButton(QStringLiteral("Прочитать"), TabSheet2), "Button1");
    auto* stats = new QVBoxLayout(TabSheet2);
    Compact(stats, 4);
    stats->addWidget(Memo1);
    AddButtonRow(stats, {Button1});

    auto* root = new QHBoxLayout(this);
    Compact(root, 4);
    root->addWidget(Panel1);
    root->addWidget(PageControl1, 1);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });

    FCommandButtons = {Button1, Button2, Button3, Button4, Button5, Button6, Button7};
    ResetStatus();
    ClearSettings();
    SetCommandsEnabled(false);
    Memo1->clear();
    RadioButton1Click();
}

TSelta::ChannelControls TSelta::Channel(int index) const
{
    if (index == 0)
        return {1, FDisplayMode1, ComboBox1, MaskEdit1, MaskEdit2, MaskEdit3, Label16, Label18};
    return {2, FDisplayMode2, ComboBox2, MaskEdit4, MaskEdit5, MaskEdit6, Label17, Label19};
}

selta::TChannelInput TSelta::Input(int index) const
{
    const ChannelControls c = Channel(index);
    return {c.Number,
            c.Mode,
            c.Type->currentIndex(),
            c.Limit->EditText(),
            c.Limit->Text(),
            c.Maximum->EditText(),
            c.Minimum->EditText()};
}

// ---- Contract hooks ----

void TSelta::StartPoll()
{
    ResetStatus();
    ClearSettings();
    SetCommandsEnabled(true);
    BeginPolling();
}

void TSelta::StopPoll() { SetCommandsEnabled(false); }

void TSelta::HandleLetter(char letter, const QByteArray& frame)
{
    if (letter == StatusLetter)
        DecodeStatus(frame);
    else if (letter == SettingsLetter)
        DecodeSettings(frame);
    else if (letter == StatisticsLetter)
        DecodeStatistics(frame);
    else if (IsWriteAcknowledgement(letter))
        WriteAcknowledged();
}

void TSelta::LinkLost()
{
    ResetStatus();
    SendNext();
}

// ---- Status ----

void TSelta::ResetStatus()
{
    Edit1->setText(QStringLiteral("- - - -"));
    Edit2->setText(QStringLiteral("- - - -"));
    Label3->hide();
    Label4->hide();
    RadioButton1->setChecked(true);
    RadioButton5->setChecked(true);
    FDisplayMode1 = dmCurrent;
    FDisplayMode2 = dmCurrent;
}

void TSelta::DecodeStatus(const QByteArray& frame)
{
    const auto status = DecodeStatusFrame(frame);
    if (!status)
        return;
    const auto& c1 = status->Channel[0];
    const auto& c2 = status->Channel[1];
    ShowText(Edit1, FormatChannelValue(FDisplayMode1, c1.SensorType, c1.Count, c1.Limit / 100.0));
    ShowText(Edit2, FormatChannelValue(FDisplayMode2, c2.SensorType, c2.Count, c2.Limit / 100.0));
    Label3->setVisible(c1.Depressurised);
    Label4->setVisible(c2.Depressurised);
}

void TSelta::RadioButton1Click()
{
    const QRadioButton* const ch1[4] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    const QRadioButton* const ch2[4] = {RadioButton5, RadioButton6, RadioButton7, RadioButton8};
    for (std::uint8_t m = 0; m < 4; ++m) {
        if (ch1[m]->isChecked())
            FDisplayMode1 = m;
        if (ch2[m]->isChecked())
            FDisplayMode2 = m;
    }
    for (int ch = 0; ch < 2; ++ch) {
        const ChannelControls c = Channel(ch);
        const QString unit = UnitLabel(c.Mode);
        c.MaximumUnit->setText(unit);
        c.MinimumUnit->setText(unit);
        const bool two = UsesTwoIntegerDigits(c.Mode, c.Type->currentIndex());
        const QString mask = QString::fromLatin1(two ? MaskTwoDigits : MaskSmall);
        c.Maximum->SetEditMask(mask);
        c.Minimum->SetEditMask(mask);
    }
}

// ---- Settings ----

void TSelta::ClearSettings()
{
    {
        const QSignalBlocker b1(ComboBox1);
        const QSignalBlocker b2(ComboBox2);
        ComboBox1->setCurrentIndex(0);
        ComboBox2->setCurrentIndex(0);
    }
    for (ui::TMaskEdit* field : {MaskEdit1, MaskEdit2, MaskEdit3, MaskEdit4, MaskEdit5, MaskEdit6}) {
        field->Clear();
        field->setToolTip(QString());
    }
    // The selectors went back to "0 - 5" behind their signals: the masks follow.
    RadioButton1Click();
}

void TSelta::DecodeSettings(const QByteArray& frame)
{
    const auto settings = DecodeSettingsFrame(frame);
    if (!settings)
        return;
    ClearSettings();
    {
        const QSignalBlocker b1(ComboBox1);
        const QSignalBlocker b2(ComboBox2);
        ComboBox1->setCurrentIndex(settings->Channel[0].SensorType == '0' ? 0 : 1);
        ComboBox2->setCurrentIndex(settings->Channel[1].SensorType == '0' ? 0 : 1);
    }
    RadioButton1Click();
    for (int ch = 0; ch < 2; ++ch) {
        const ChannelControls c = Channel(ch);
        const selta::ChannelRecord& r = settings->Channel[ch];
        c.Limit->SetText(QStringLiteral("%1").arg(r.Limit, 3, 10, QLatin1Char('0')));
        const bool two = c.Maximum->EditMask() == QLatin1String(MaskTwoDigits);
        const double limit = r.Limit / 100.0;
        for (auto [field, count] : {std::pair{c.Maximum, r.Maximum}, std::pair{c.Minimum, r.Minimum}}) {
            const TFieldValue shown = SettingsFieldValue(c.Mode, r.SensorType, count, limit, two);
            field->SetText(shown.Digits);
            field->setToolTip(shown.ToolTip);
        }
    }
    ComboBox3->setCurrentIndex(settings->Alarm == '0' ? 0 : 1);
}

void TSelta::WriteAcknowledged()
{
    FHost.SetStatusLine(QStringLiteral(" УСТАВКА УСТАНОВЛЕННА "));
    FPendingRequest = Request("u");
}

void TSelta::Write(const devices::TChecked& checked)
{
    if (checked.Accepted())
        FHost.SetStatusLine(QString());
    Queue(checked);
}

void TSelta::Button2Click() { Write(CheckTypeAndLimit(DeviceNumber, Input(0))); }

void TSelta::Button3Click() { Write(CheckMaxAndMin(DeviceNumber, Input(0))); }

void TSelta::Button4Click() { Write(CheckTypeAndLimit(DeviceNumber, Input(1))); }

void TSelta::Button5Click() { Write(CheckMaxAndMin(DeviceNumber, Input(1))); }

void TSelta::Button6Click() { FPendingRequest = Request("B" + QByteArray::number(qMax(ComboBox3->currentIndex(), 0))); }

void TSelta::Button7Click() { FPendingRequest = Request("u"); }

// ---- Statistics ----

void TSelta::Button1Click()
{
    Memo1->clear();
    FPendingRequest = Request("S");
}

void TSelta::DecodeStatistics(const QByteArray& frame)
{
    const auto stats = DecodeStatisticsFrame(frame);
    if (!stats)
        return;
    const QStringList lines = StatisticsLines(*stats, FDisplayMode1, FDisplayMode2, ui::Now().time());
    for (const QString& line : lines)
        Memo1->appendPlainText(line);
}
