#include "panels/selta_panel.h"

#include "app/Frames.h"
#include "ui/Dialogs.h"
#include "ui/MaskEdit.h"
#include "ui/NumberFormat.h"

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

#include <cmath>
#include <tuple>

namespace selta {
namespace {

// Three decimal digits at a 1-based position, all before the checksum.
std::optional<int> Number3(const QByteArray& frame, int pos)
{
    if (pos < 1 || pos + 2 > frame.size() - 2)
        return std::nullopt;
    int value = 0;
    for (int i = pos - 1; i < pos + 2; ++i) {
        const char c = frame.at(i);
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The payload must reach lastPos, the checksum following it.
bool Reaches(const QByteArray& frame, int lastPos) { return frame.size() - 2 >= lastPos; }

std::optional<ChannelRecord> Record(const QByteArray& frame, int typePos)
{
    const auto limit = Number3(frame, typePos + 1);
    const auto maximum = Number3(frame, typePos + 4);
    const auto minimum = Number3(frame, typePos + 7);
    if (!limit || !maximum || !minimum)
        return std::nullopt;
    return ChannelRecord{frame.at(typePos - 1), *limit, *maximum, *minimum};
}

} // namespace

std::optional<Status> DecodeStatusFrame(const QByteArray& frame)
{
    if (!Reaches(frame, 21))
        return std::nullopt;
    Status s;
    for (int ch = 0; ch < 2; ++ch) {
        const int typePos = ch == 0 ? 6 : 13;
        const auto limit = Number3(frame, typePos + 1);
        const auto count = Number3(frame, typePos + 4);
        if (!limit || !count)
            return std::nullopt;
        s.Channel[ch] = ChannelStatus{frame.at(typePos - 1), *limit, *count, frame.at(19 + ch) != 'N'};
    }
    return s;
}

std::optional<Settings> DecodeSettingsFrame(const QByteArray& frame)
{
    if (!Reaches(frame, 26))
        return std::nullopt;
    const auto ch1 = Record(frame, 6);
    const auto ch2 = Record(frame, 16);
    if (!ch1 || !ch2)
        return std::nullopt;
    return Settings{{*ch1, *ch2}, frame.at(25)};
}

std::optional<Statistics> DecodeStatisticsFrame(const QByteArray& frame)
{
    if (!Reaches(frame, 27))
        return std::nullopt;
    const auto ch1 = Record(frame, 6);
    const auto ch2 = Record(frame, 16);
    if (!ch1 || !ch2)
        return std::nullopt;
    return Statistics{{*ch1, *ch2}, {frame.at(25) != 'N', frame.at(26) != 'N'}};
}

} // namespace selta

namespace {

// Hundredths of a MPa per count above 4 mA of a 4-20 mA sensor, per MPa of limit.
constexpr double kFactor420 = 0.156258;

const char* const kMaskSmall = "9,99;0;*";
const char* const kMaskTwoDigits = "99,9;0;*";

QString UnitSuffix(int mode) { return QStringLiteral("  ") + TSelta::UnitLabel(mode); }

QString ChannelMessage(const char* text, int number) { return QString::fromUtf8(text).arg(number); }

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

TSelta::TSelta(TPanelHost& host, QWidget* parent) : TDevicePanel(host, parent)
{
    setObjectName(QStringLiteral("Selta"));
    setWindowTitle(QStringLiteral("Сельта"));
    // The main window's font: the panel lives in its 790 x 315 child area.
    setFont(PanelFont(8));

    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    auto compact = [](QLayout* layout, int margin) {
        layout->setContentsMargins(margin, margin, margin, margin);
        layout->setSpacing(3);
    };

    // Status side.
    Panel1 = named(new QWidget(this), "Panel1");
    GroupBox1 = named(new QGroupBox(QStringLiteral("Канал №1"), Panel1), "GroupBox1");
    GroupBox2 = named(new QGroupBox(QStringLiteral("Канал №2"), Panel1), "GroupBox2");
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
    const QFont valueFont = PanelFont(14, true);
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
        compact(grid, 6);
        grid->setHorizontalSpacing(8);
        const QList<QRadioButton*> modes = box->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
        for (int m = 0; m < modes.size(); ++m)
            grid->addWidget(modes[m], m / 2, m % 2);
        grid->addWidget(edit, 2, 0);
        grid->addWidget(label, 2, 1);
    }
    auto* left = new QVBoxLayout(Panel1);
    compact(left, 0);
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

    GroupBox3 = named(new QGroupBox(QStringLiteral("Канал №1"), TabSheet1), "GroupBox3");
    GroupBox4 = named(new QGroupBox(QStringLiteral("Канал №2"), TabSheet1), "GroupBox4");
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
        c.Limit->SetEditMask(QString::fromLatin1(kMaskSmall));
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
        compact(grid, 6);
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
    compact(settings, 4);
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
    auto* foot = new QHBoxLayout;
    foot->addWidget(Button7);
    foot->addStretch();
    settings->addLayout(foot);

    // Statistics page.
    Memo1 = named(new QPlainTextEdit(TabSheet2), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Button1 = named(new QPushButton(QStringLiteral("Прочитать"), TabSheet2), "Button1");
    auto* stats = new QVBoxLayout(TabSheet2);
    compact(stats, 4);
    stats->addWidget(Memo1);
    auto* statsFoot = new QHBoxLayout;
    statsFoot->addWidget(Button1);
    statsFoot->addStretch();
    stats->addLayout(statsFoot);

    auto* root = new QHBoxLayout(this);
    compact(root, 4);
    root->addWidget(Panel1);
    root->addWidget(PageControl1, 1);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });

    ResetStatus();
    ClearSettings();
    SetButtonsEnabled(false);
    Memo1->clear();
    RadioButton1Click();
}

TSelta::ChannelControls TSelta::Channel(int index) const
{
    if (index == 0)
        return {1, FDisplayMode1, ComboBox1, MaskEdit1, MaskEdit2, MaskEdit3, Label16, Label18};
    return {2, FDisplayMode2, ComboBox2, MaskEdit4, MaskEdit5, MaskEdit6, Label17, Label19};
}

QByteArray TSelta::Request(const QByteArray& command) const { return MakeFrame("#SLT" + DeviceNumber + command); }

void TSelta::SetButtonsEnabled(bool enabled)
{
    for (QPushButton* b : {Button1, Button2, Button3, Button4, Button5, Button6, Button7})
        b->setEnabled(enabled);
}

// ---- Contract hooks ----

void TSelta::StartPoll()
{
    ResetStatus();
    ClearSettings();
    SetButtonsEnabled(true);
    FPendingRequest.clear();
    FPollRequest = Request("T");
    SendNext();
}

void TSelta::StopPoll() { SetButtonsEnabled(false); }

void TSelta::HandleResponse(const QByteArray& frame)
{
    if (frame.size() >= 5 && FrameChecksumOK(frame)) {
        switch (frame.at(4)) {
        case 'T':
            DecodeStatus(frame);
            break;
        case 'u':
            DecodeSettings(frame);
            break;
        case 'S':
            DecodeStatistics(frame);
            break;
        case 'B':
        case 'D':
        case 'W':
            WriteAcknowledged();
            break;
        default:
            break;
        }
    }
    SendNext();
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
    const auto status = selta::DecodeStatusFrame(frame);
    if (!status)
        return;
    const auto& c1 = status->Channel[0];
    const auto& c2 = status->Channel[1];
    Edit1->setText(FormatChannelValue(FDisplayMode1, c1.SensorType, c1.Count, c1.Limit / 100.0));
    Edit2->setText(FormatChannelValue(FDisplayMode2, c2.SensorType, c2.Count, c2.Limit / 100.0));
    Label3->setVisible(c1.Depressurised);
    Label4->setVisible(c2.Depressurised);
}

QString TSelta::UnitLabel(int mode)
{
    switch (mode) {
    case dmPressureMPa:
        return QStringLiteral("МПа");
    case dmPressureKgf:
        return QStringLiteral("кг/см");
    case dmLevel:
        return QStringLiteral("м");
    default:
        return QStringLiteral("мА");
    }
}

double TSelta::ChannelNumber(int mode, char sensorType, int count, double limit)
{
    double current = 0;
    double p = 0; // hundredths of a MPa
    if (sensorType == '0') {
        current = count / 160.0;
        p = count / 8.0 * limit;
    } else {
        current = count / 40.0;
        p = (count - 160) * kFactor420 * limit;
    }
    switch (mode) {
    case dmPressureMPa:
        return p / 100;
    case dmPressureKgf:
        return p / 100 * 10.2;
    case dmLevel:
        return p / 100 * 102;
    default:
        return current;
    }
}

QString TSelta::FormatChannelValue(int mode, char sensorType, int count, double limit)
{
    const double value = ChannelNumber(mode, sensorType, count, limit);
    QString text = ui::FormatGeneral(value);
    // Four characters of an exponent form would read as a different number;
    // such a small magnitude is what four characters of the fixed form show.
    if (text.contains(QLatin1Char('E')) && std::fabs(value) < 1)
        text = value < 0 ? QStringLiteral("-0,0") : QStringLiteral("0,00");
    return text.left(4) + UnitSuffix(mode);
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
        const bool two = c.Mode == dmCurrent && c.Type->currentIndex() != 0;
        const QString mask = QString::fromLatin1(two ? kMaskTwoDigits : kMaskSmall);
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
}

QString TSelta::ValueToMaskDigits(const QString& valueText, bool twoIntegerDigits)
{
    QString s = valueText;
    if (const int blank = s.indexOf(QLatin1Char(' ')); blank >= 0)
        s.truncate(blank);
    const std::optional<double> x = ui::ParseNumber(s);
    if (!x || *x < 0)
        return QString();
    if (*x == 0)
        return QStringLiteral("000");
    // A value of the field's capacity or more would land its digits in the
    // wrong places: 81,6 m in a d,dd field would read 8,16.
    if (*x >= (twoIntegerDigits ? 100.0 : 10.0))
        return QString();
    if (const int comma = s.indexOf(QLatin1Char(',')); comma >= 0)
        s.remove(comma, 1);
    if (twoIntegerDigits && *x < 10)
        s.prepend(QLatin1Char('0'));
    if (s.size() == 1)
        s.append(QStringLiteral("00"));
    else if (s.size() == 2)
        s.append(QLatin1Char('0'));
    return s.left(3);
}

void TSelta::ShowSettingsValue(ui::TMaskEdit* field, int mode, char sensorType, int count, double limit, bool two)
{
    const QString digits = ValueToMaskDigits(FormatChannelValue(mode, sensorType, count, limit), two);
    field->SetText(digits);
    const double value = ChannelNumber(mode, sensorType, count, limit);
    if (digits.isEmpty() && value >= (two ? 100.0 : 10.0)) {
        const QString shown = QString::number(value, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
        field->setToolTip(QStringLiteral("Значение %1 %2 не помещается в поле").arg(shown, UnitLabel(mode)));
    } else {
        field->setToolTip(QString());
    }
}

void TSelta::DecodeSettings(const QByteArray& frame)
{
    const auto settings = selta::DecodeSettingsFrame(frame);
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
        const bool two = c.Maximum->EditMask() == QLatin1String(kMaskTwoDigits);
        const double limit = r.Limit / 100.0;
        ShowSettingsValue(c.Maximum, c.Mode, r.SensorType, r.Maximum, limit, two);
        ShowSettingsValue(c.Minimum, c.Mode, r.SensorType, r.Minimum, limit, two);
    }
    ComboBox3->setCurrentIndex(settings->Alarm == '0' ? 0 : 1);
}

void TSelta::WriteAcknowledged()
{
    FHost.SetStatusLine(QStringLiteral(" УСТАВКА УСТАНОВЛЕННА "));
    FPendingRequest = Request("u");
}

QByteArray TSelta::ChannelValueToCode(int mode, int sensorIndex, double value, double limit)
{
    double n = 0;
    if (mode == dmCurrent) {
        n = value * (sensorIndex == 0 ? 160 : 40);
    } else {
        double v = 100 * value;
        if (mode == dmPressureKgf)
            v = 100 * value / 10.2;
        else if (mode == dmLevel)
            v = 100 * value / 102;
        if (limit == 0)
            return QByteArray();
        n = sensorIndex == 0 ? 8 * v / limit : v / (kFactor420 * limit) + 160;
    }
    // Default rounding mode: nearest, halves to the even neighbour.
    n = std::nearbyint(n);
    if (!(n >= 0 && n <= 999))
        return QByteArray();
    return QByteArray::number(static_cast<int>(n)).rightJustified(3, '0');
}

void TSelta::WriteTypeAndLimit(int index)
{
    const ChannelControls c = Channel(index);
    if (!ui::ParseNumber(c.Limit->EditText())) {
        ui::ShowError(ChannelMessage("НЕПРАВИЛЬНО УКАЗАНО ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1", c.Number));
        return;
    }
    FHost.SetStatusLine(QString());
    const QByteArray type = QByteArray::number(qMax(c.Type->currentIndex(), 0));
    FPendingRequest = Request("D" + QByteArray::number(c.Number) + type + c.Limit->Text().toLatin1());
}

void TSelta::WriteMaxAndMin(int index)
{
    const ChannelControls c = Channel(index);
    const auto limit = ui::ParseNumber(c.Limit->EditText());
    if (!limit) {
        ui::ShowError(ChannelMessage("НЕПРАВИЛЬНО УКАЗАНО ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1", c.Number));
        return;
    }
    const auto maximum = ui::ParseNumber(c.Maximum->EditText());
    if (!maximum) {
        ui::ShowError(ChannelMessage("НЕПРАВИЛЬНО УКАЗАНО МАКСИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1", c.Number));
        return;
    }
    const auto minimum = ui::ParseNumber(c.Minimum->EditText());
    if (!minimum) {
        ui::ShowError(ChannelMessage("НЕПРАВИЛЬНО УКАЗАНО МИНИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1", c.Number));
        return;
    }
    if (c.Mode != dmCurrent && *limit == 0) {
        ui::ShowError(ChannelMessage("ПРЕДЕЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1 НЕ МОЖЕТ БЫТЬ РАВНО НУЛЮ", c.Number));
        return;
    }
    const int sensor = qMax(c.Type->currentIndex(), 0);
    // The largest value whose count still fits three digits, for the message.
    QString largest = FormatChannelValue(c.Mode, sensor == 0 ? '0' : '1', 999, *limit).simplified();
    largest.replace(QStringLiteral(", "), QStringLiteral(" ")); // a cut may end on the comma
    const QByteArray xxx = ChannelValueToCode(c.Mode, sensor, *maximum, *limit);
    if (xxx.isEmpty()) {
        ui::ShowError(ChannelMessage("МАКСИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1 СЛИШКОМ ВЕЛИКО: НЕ БОЛЕЕ %2", c.Number)
                          .arg(largest));
        return;
    }
    const QByteArray nnn = ChannelValueToCode(c.Mode, sensor, *minimum, *limit);
    if (nnn.isEmpty()) {
        ui::ShowError(ChannelMessage("МИНИМАЛЬНОЕ ЗНАЧЕНИЕ ДАТЧИКА КАНАЛА № %1 СЛИШКОМ ВЕЛИКО: НЕ БОЛЕЕ %2", c.Number)
                          .arg(largest));
        return;
    }
    FHost.SetStatusLine(QString());
    FPendingRequest = Request("W" + QByteArray::number(c.Number) + xxx + nnn);
}

void TSelta::Button2Click() { WriteTypeAndLimit(0); }

void TSelta::Button3Click() { WriteMaxAndMin(0); }

void TSelta::Button4Click() { WriteTypeAndLimit(1); }

void TSelta::Button5Click() { WriteMaxAndMin(1); }

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
    const auto stats = selta::DecodeStatisticsFrame(frame);
    if (!stats)
        return;
    const QString ch1 = QStringLiteral("Канал №1  ");
    const QString ch2 = QStringLiteral("Канал №2  ");
    const selta::ChannelRecord& r1 = stats->Channel[0];
    const selta::ChannelRecord& r2 = stats->Channel[1];
    const double limit1 = r1.Limit / 100.0;
    const double limit2 = r2.Limit / 100.0;
    auto sensorName = [](char type) { return type == '0' ? QStringLiteral("0 - 5 мА") : QStringLiteral("4 - 20 мА"); };
    auto state = [](bool depressurised) {
        return depressurised ? QStringLiteral("Была разгерметизация датчика")
                             : QStringLiteral("Датчик в рабочем состоянии");
    };
    const QStringList lines = {
        QStringLiteral("Время получения статистики ") + ui::Now().time().toString(QStringLiteral("hh:mm:ss")),
        QString(),
        QStringLiteral("Тип подключённых датчиков "),
        ch1 + sensorName(r1.SensorType),
        ch2 + sensorName(r2.SensorType),
        QStringLiteral("Предельные значения датчиков датчиков "),
        ch1 + ui::FormatGeneral(limit1),
        ch2 + ui::FormatGeneral(limit2),
        QStringLiteral("Максимальные значения "),
        ch1 + FormatChannelValue(FDisplayMode1, r1.SensorType, r1.Maximum, limit1),
        ch2 + FormatChannelValue(FDisplayMode2, r2.SensorType, r2.Maximum, limit2),
        QStringLiteral("Минимальные значения "),
        ch1 + FormatChannelValue(FDisplayMode1, r1.SensorType, r1.Minimum, limit1),
        ch2 + FormatChannelValue(FDisplayMode2, r2.SensorType, r2.Minimum, limit2),
        QStringLiteral("Состояние аварии датчиков "),
        ch1 + state(stats->Depressurised[0]),
        ch2 + state(stats->Depressurised[1]),
    };
    for (const QString& line : lines)
        Memo1->appendPlainText(line);
}
