#include "panels/Olvin_3.h"

#include "panels/FormLayout.h"

#include "app/Frames.h"
#include "ui/Dialogs.h"
#include "ui/MaskEdit.h"

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

using panels::AddButtonRow;
using panels::Compact;
using panels::ShowText;

const QString kNoLink = QStringLiteral("НЕТ СВЯЗИ");

// The width an edit field needs to show text whole.
int FieldWidth(const QWidget* edit, const QString& text)
{
    return QFontMetrics(edit->font()).horizontalAdvance(text) +
           2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit) + 10;
}

} // namespace

TOlvin_3m::TOlvin_3m(TPanelHost& host, QWidget* parent) : TDevicePanel(devices::TDeviceKind::Olvin3M, host, parent)
{
    setObjectName(QStringLiteral("Olvin_3m"));
    setWindowTitle(QStringLiteral("Ольвин 3М"));
    // The main window's font: the panel lives in its 790 x 315 child area.
    setFont(QFont(QStringLiteral("DejaVu Sans"), 8));

    auto makeButton = [this](QPushButton*& button, const char* name, const QString& text, QWidget* parent,
                             void (TOlvin_3m::*handler)()) {
        button = new QPushButton(text, parent);
        button->setObjectName(QLatin1String(name));
        connect(button, &QPushButton::clicked, this, handler);
    };

    // ---- Status side ----
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    QLineEdit** edits[14] = {&Edit1, &Edit2, &Edit3,  &Edit4,  &Edit5,  &Edit6,  &Edit7,
                             &Edit8, &Edit9, &Edit10, &Edit11, &Edit12, &Edit13, &Edit14};
    for (int i = 0; i < 14; ++i) {
        auto* edit = new QLineEdit(Panel1);
        edit->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        *edits[i] = edit;
    }
    FStatusValues = {Edit1, Edit2, Edit3, Edit5, Edit6, Edit7, Edit8, Edit9, Edit10, Edit11};

    // The three phase columns share the width the longest whole-row text needs.
    const int phaseWidth = FieldWidth(Edit1, QStringLiteral("000,00"));
    int rowWidth = FieldWidth(Edit4, QStringLiteral("Отключение по сухому ходу"));
    for (const unsigned char code : {0x80, 0x8C, 0x8D, 0x91, 0xA0, 0xAD})
        rowWidth = qMax(rowWidth, FieldWidth(Edit14, *olvin3m::BubblingText(code)));

    auto* grid = new QGridLayout(Panel1);
    Compact(grid, 4);
    const int spacing = 4;
    grid->setHorizontalSpacing(spacing);
    grid->setVerticalSpacing(2);
    const int columnWidth = qMax(phaseWidth, (rowWidth - 2 * spacing + 2) / 3);
    // Fixed widths: a line edit would otherwise ask for room for seventeen characters.
    for (QLineEdit* edit : FStatusValues)
        edit->setFixedWidth(columnWidth);
    auto caption = [&](const QString& text, int row) { grid->addWidget(new QLabel(text, Panel1), row, 0); };
    auto wholeRow = [&](const QString& text, QLineEdit* edit, int row) {
        caption(text, row);
        if (edit->maximumWidth() == QWIDGETSIZE_MAX)
            edit->setFixedWidth(3 * columnWidth + 2 * spacing);
        grid->addWidget(edit, row, 1, 1, 3);
    };
    wholeRow(QStringLiteral("Состояние"), Edit4, 0);
    const QString heads[3] = {QStringLiteral("А"), QStringLiteral("В"), QStringLiteral("С")};
    for (int p = 0; p < 3; ++p) {
        auto* head = new QLabel(heads[p], Panel1);
        QFont bold = head->font();
        bold.setBold(true);
        head->setFont(bold);
        head->setAlignment(Qt::AlignCenter);
        grid->addWidget(head, 1, p + 1);
    }
    caption(QStringLiteral("Ток"), 2);
    caption(QStringLiteral("Напряжение"), 3);
    for (int p = 0; p < 3; ++p) {
        grid->addWidget(FStatusValues[std::size_t(p)], 2, p + 1);
        grid->addWidget(FStatusValues[std::size_t(p + 3)], 3, p + 1);
    }
    wholeRow(QStringLiteral("Давление"), Edit8, 4);
    wholeRow(QStringLiteral("Уровень"), Edit9, 5);
    wholeRow(QStringLiteral("Счётчик подачи воды"), Edit10, 6);
    wholeRow(QStringLiteral("Скорость подачи воды"), Edit11, 7);
    wholeRow(QStringLiteral("Охранный шлейф"), Edit12, 8);
    wholeRow(QStringLiteral("Режим работы"), Edit13, 9);
    wholeRow(QStringLiteral("Барботаж"), Edit14, 10);
    grid->setRowStretch(11, 1);

    // Two lines: five buttons in one would make the status side wider than its fields.
    auto* commands = new QGridLayout;
    commands->setSpacing(2);
    makeButton(Button1, "Button1", QStringLiteral("Пуск"), Panel1, &TOlvin_3m::Button1Click);
    makeButton(Button2, "Button2", QStringLiteral("Стоп"), Panel1, &TOlvin_3m::Button2Click);
    makeButton(Button3, "Button3", QStringLiteral("Сброс"), Panel1, &TOlvin_3m::Button3Click);
    makeButton(Button4, "Button4", QStringLiteral("Вкл.компр."), Panel1, &TOlvin_3m::Button4Click);
    makeButton(Button5, "Button5", QStringLiteral("?"), Panel1, &TOlvin_3m::Button5Click);
    Button1->setToolTip(QStringLiteral("пуск"));
    commands->addWidget(Button1, 0, 0);
    commands->addWidget(Button2, 0, 1);
    commands->addWidget(Button3, 0, 2);
    commands->addWidget(Button4, 1, 0);
    commands->addWidget(Button5, 1, 1);
    grid->addLayout(commands, 12, 0, 1, 4);

    // ---- Settings page ----
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Уставки"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Статистика"));

    ScrollBox1 = new QScrollArea(TabSheet1);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* rows = new QWidget;
    rows->setObjectName(QStringLiteral("ScrollBox1Rows"));
    auto* table = new QGridLayout(rows);
    Compact(table, 4);
    table->setHorizontalSpacing(6);
    table->setColumnStretch(0, 1);
    ui::TMaskEdit** places[olvin3m::SettingCount] = {
        &MaskEdit1,  &MaskEdit2,  &MaskEdit3,  &MaskEdit4,  &MaskEdit5,  &MaskEdit6,  &MaskEdit7,  &MaskEdit8,
        &MaskEdit9,  &MaskEdit10, &MaskEdit11, &MaskEdit12, &MaskEdit13, &MaskEdit14, &MaskEdit15, &MaskEdit16,
        &MaskEdit17, &MaskEdit18, &MaskEdit19, &MaskEdit20, &MaskEdit21, &MaskEdit22, &MaskEdit23};
    for (int n = 0; n < olvin3m::SettingCount; ++n) {
        const olvin3m::TSetting& setting = olvin3m::Settings()[std::size_t(n)];
        auto* field = new ui::TMaskEdit(rows);
        field->setObjectName(QStringLiteral("MaskEdit%1").arg(n + 1));
        field->SetEditMask(QString::fromLatin1(setting.Mask));
        *places[n] = field;
        FSettingEdits[std::size_t(n)] = field;
        table->addWidget(new QLabel(QString::fromUtf8(setting.Caption), rows), n, 0);
        // One width for the column; the water meter's eight digits reach into
        // the unit column, which that row does not use.
        if (*setting.Unit || setting.Width <= 4) {
            field->setFixedWidth(FieldWidth(field, QStringLiteral("99,9")));
            table->addWidget(field, n, 1);
            table->addWidget(new QLabel(QString::fromUtf8(setting.Unit), rows), n, 2);
        } else {
            field->setFixedWidth(FieldWidth(field, QStringLiteral("99999999")));
            table->addWidget(field, n, 1, 1, 2);
        }
    }
    FSettingEdits[olvin3m::ReadOnlySetting - 1]->setEnabled(false);
    ScrollBox1->setWidget(rows);
    makeButton(Button6, "Button6", QStringLiteral("Прочитать"), TabSheet1, &TOlvin_3m::Button6Click);
    makeButton(Button7, "Button7", QStringLiteral("Установить"), TabSheet1, &TOlvin_3m::Button7Click);
    auto* settings = new QVBoxLayout(TabSheet1);
    Compact(settings, 4);
    settings->addWidget(ScrollBox1, 1);
    AddButtonRow(settings, {Button6, Button7});

    // ---- Statistics page ----
    Memo1 = new QPlainTextEdit(TabSheet2);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    makeButton(Button8, "Button8", QStringLiteral("Прочитать"), TabSheet2, &TOlvin_3m::Button8Click);
    auto* stats = new QVBoxLayout(TabSheet2);
    Compact(stats, 4);
    stats->addWidget(Memo1, 1);
    AddButtonRow(stats, {Button8});

    auto* root = new QHBoxLayout(this);
    Compact(root, 0);
    root->setSpacing(4);
    root->addWidget(Panel1);
    root->addWidget(PageControl1, 1);

    // "?" is not among them: it works while idle too.
    FCommandButtons = {Button1, Button2, Button3, Button4, Button6, Button7, Button8};
    ClearStatus();
    ClearSettings();
    SetCommandsEnabled(false);
    Memo1->clear();
}

// ---- Contract hooks ----

void TOlvin_3m::StartPoll()
{
    ClearStatus();
    ClearSettings();
    SetCommandsEnabled(true);
    FIdentifyOnly = false;
    FWriting = false;
    BeginPolling();
}

void TOlvin_3m::StopPoll()
{
    SetCommandsEnabled(false);
    FIdentifyOnly = false;
    if (FWriting)
        InterruptWrite();
}

void TOlvin_3m::HandleResponse(const QByteArray& frame)
{
    const bool stepSent = WriteStepSent();
    const auto checked = devices::CheckedLetter(frame);
    if (checked == olvin3m::StatusLetter && !stepSent && !FIdentifyOnly) {
        SendNextThenShowStatus(frame);
        return;
    }
    if (devices::ResponseLetter(frame) == olvin3m::IdentificationLetter)
        LogIdentification(frame);
    else if (checked)
        HandleLetter(*checked, frame);
    if (stepSent) {
        // Only the answer a step expects moves the sequence on; anything else
        // leaves the unit with part of the settings written.
        if (checked != olvin3m::WriteStepAnswer(FWriteStep))
            InterruptWrite();
        else if (FWriteStep < olvin3m::WriteStepCount)
            QueueNextSetting();
        else
            FWriting = false;
    }
    if (FIdentifyOnly) {
        EndIdentification();
        return;
    }
    SendNext();
}

void TOlvin_3m::HandleLetter(char letter, const QByteArray& frame)
{
    switch (letter) {
    case olvin3m::StatusLetter:
        DecodeStatus(frame);
        break;
    case olvin3m::PresetLetter:
        SettingsWritten();
        break;
    case olvin3m::SettingsLetter:
        DecodeSettings(frame);
        break;
    case olvin3m::StatisticsLetter:
        DecodeStatistics(frame);
        break;
    default:
        // "U" moves a write sequence on only as the answer to its step (HandleResponse).
        break;
    }
}

void TOlvin_3m::LinkLost()
{
    ClearStatus();
    ShowText(Edit4, kNoLink);
    if (WriteStepSent())
        InterruptWrite();
    if (FIdentifyOnly) {
        EndIdentification();
        return;
    }
    SendNext();
}

// ---- Status ----

void TOlvin_3m::ClearStatus()
{
    for (QLineEdit* edit : Panel1->findChildren<QLineEdit*>())
        edit->clear();
}

void TOlvin_3m::DecodeStatus(const QByteArray& frame)
{
    const auto status = olvin3m::DecodeStatus(frame);
    if (!status)
        return;
    if (status->State)
        ShowText(Edit4, *status->State);
    for (std::size_t i = 0; i < FStatusValues.size(); ++i)
        ShowText(FStatusValues[i], status->Values[i]);
    ShowText(Edit12, status->Loop);
    ShowText(Edit13, status->Mode);
    if (status->Bubbling)
        ShowText(Edit14, *status->Bubbling);
}

void TOlvin_3m::QueueUserRequest(const QByteArray& request)
{
    if (FWriting)
        InterruptWrite();
    FPendingRequest = request;
}

void TOlvin_3m::QueueCommand(const QByteArray& command) { QueueUserRequest(Request(command)); }

void TOlvin_3m::Button1Click() { QueueCommand("W"); }
void TOlvin_3m::Button2Click() { QueueCommand("w"); }
void TOlvin_3m::Button3Click() { QueueCommand("r"); }
void TOlvin_3m::Button4Click() { QueueCommand("K"); }

// ---- Identification ----

void TOlvin_3m::Button5Click()
{
    // A press during an identification from idle leaves it one-shot.
    if (PollActive) {
        QueueUserRequest(olvin3m::IdentificationRequest());
        return;
    }
    if (!FHost.PortSelected()) {
        ui::ShowError(QStringLiteral("Не выбран порт"));
        return;
    }
    FIdentifyOnly = true;
    PollActive = true;
    FPendingRequest = olvin3m::IdentificationRequest();
    SendNext();
}

void TOlvin_3m::LogIdentification(const QByteArray& frame)
{
    for (const QByteArray& line : olvin3m::IdentificationLines(frame))
        FHost.LogLine(line);
}

void TOlvin_3m::EndIdentification()
{
    // The main window never started polling, so nothing may go on after the one exchange.
    FIdentifyOnly = false;
    PollActive = false;
    FPendingRequest.clear();
}

// ---- Settings ----

void TOlvin_3m::ClearSettings()
{
    for (ui::TMaskEdit* field : FSettingEdits)
        field->Clear();
}

void TOlvin_3m::DecodeSettings(const QByteArray& frame)
{
    ClearSettings();
    const auto values = olvin3m::DecodeSettings(frame);
    for (std::size_t n = 0; n < values.size(); ++n)
        FSettingEdits[n]->SetText(values[n]);
}

void TOlvin_3m::Button6Click() { QueueCommand("u"); }

void TOlvin_3m::Button7Click()
{
    std::array<QString, olvin3m::SettingCount> values;
    for (std::size_t n = 0; n < values.size(); ++n)
        values[n] = FSettingEdits[n]->Text();
    const olvin3m::TSettingsWrite write = olvin3m::CheckSettings(DeviceNumber, values);
    if (!write.Accepted()) {
        ui::ShowError(write.Message);
        ui::TMaskEdit* field = FSettingEdits[std::size_t(write.FailedField - 1)];
        ScrollBox1->ensureWidgetVisible(field);
        field->setFocus();
        return;
    }
    FHost.SetStatusLine(QString());
    FWriteRequests = write.Requests;
    FWriting = true;
    FWriteStep = 0;
    QueueNextSetting();
}

void TOlvin_3m::QueueNextSetting()
{
    ++FWriteStep;
    if (FWriteStep >= 1 && FWriteStep <= olvin3m::WriteStepCount)
        FPendingRequest = FWriteRequests[FWriteStep - 1];
}

bool TOlvin_3m::WriteStepSent() const
{
    return FWriting && FWriteStep >= 1 && FWriteStep <= olvin3m::WriteStepCount &&
           FCurrentRequest == FWriteRequests[FWriteStep - 1];
}

void TOlvin_3m::InterruptWrite()
{
    FWriting = false;
    if (FWriteStep >= 1 && FWriteStep <= olvin3m::WriteStepCount && FPendingRequest == FWriteRequests[FWriteStep - 1])
        FPendingRequest.clear();
    FHost.SetStatusLine(QStringLiteral("Запись уставок прервана на шаге %1 из %2: записаны не все уставки")
                            .arg(FWriteStep)
                            .arg(olvin3m::WriteStepCount));
}

void TOlvin_3m::SettingsWritten()
{
    FHost.SetStatusLine(QStringLiteral(" УСТАВКИ УСТАНОВЛЕННЫ "));
    FPendingRequest = Request("u");
}

// ---- Statistics ----

void TOlvin_3m::Button8Click()
{
    Memo1->clear();
    QueueCommand("t");
}

void TOlvin_3m::DecodeStatistics(const QByteArray& frame)
{
    for (const QString& line : olvin3m::StatisticsLines(frame, ui::Now().time()))
        Memo1->appendPlainText(line);
}
