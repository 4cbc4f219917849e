#include "panels/Olvin4.h"

#include "app/Frames.h"
#include "devices/Olvin4.h"
#include "panels/FormLayout.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

using panels::ShowText;

namespace {

const QString kNoLink = QStringLiteral("Нет связи");

QWidget* NoticePage(QTabWidget* pages, const QString& objectName, const QString& title, const QString& notice)
{
    auto* page = new QWidget(pages);
    page->setObjectName(objectName);
    auto* text = new QLabel(notice, page);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(text);
    pages->addTab(page, title);
    return page;
}

} // namespace

TOLVIN4::TOLVIN4(TPanelHost& host, QWidget* parent) : TDevicePanel(devices::TDeviceKind::Olvin4, host, parent)
{
    setObjectName(QStringLiteral("OLVIN4"));
    setWindowTitle(QStringLiteral("Ольвин 4э"));
    // The main window's font: the panel lives in its 790 x 315 child area.
    setFont(QFont(QStringLiteral("DejaVu Sans"), 8));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);

    auto makeEdit = [this](const char* name) {
        auto* edit = new QLineEdit(Panel1);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        return edit;
    };
    auto makeLabel = [this](const char* name) {
        auto* label = new QLabel(Panel1);
        label->setObjectName(QLatin1String(name));
        QFont bold;
        bold.setBold(true);
        label->setFont(bold);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        label->setPalette(palette);
        return label;
    };
    auto makeButton = [this](const char* name, const QString& text, void (TOLVIN4::*handler)()) {
        auto* button = new QPushButton(text, Panel1);
        button->setObjectName(QLatin1String(name));
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };
    const QString start = QStringLiteral("Пуск");
    const QString stop = QStringLiteral("Стоп");

    Edit1 = makeEdit("Edit1");
    Edit2 = makeEdit("Edit2");
    Edit3 = makeEdit("Edit3");
    Edit4 = makeEdit("Edit4");
    Edit5 = makeEdit("Edit5");
    Edit6 = makeEdit("Edit6");
    Label7 = makeLabel("Label7");
    Label8 = makeLabel("Label8");
    Label9 = makeLabel("Label9");
    Label11 = makeLabel("Label11");
    Label12 = makeLabel("Label12");
    Label13 = makeLabel("Label13");
    // The crossed numbering is the form's own: rows 2 to 4 have "Стоп" before "Пуск".
    Button3 = makeButton("Button3", start, &TOLVIN4::Button3Click);
    Button4 = makeButton("Button4", stop, &TOLVIN4::Button4Click);
    Button5 = makeButton("Button5", stop, &TOLVIN4::Button5Click);
    Button6 = makeButton("Button6", start, &TOLVIN4::Button6Click);
    Button7 = makeButton("Button7", stop, &TOLVIN4::Button7Click);
    Button8 = makeButton("Button8", start, &TOLVIN4::Button8Click);
    Button9 = makeButton("Button9", stop, &TOLVIN4::Button9Click);
    Button10 = makeButton("Button10", start, &TOLVIN4::Button10Click);
    Button11 = makeButton("Button11", start, &TOLVIN4::Button11Click);
    Button12 = makeButton("Button12", stop, &TOLVIN4::Button12Click);
    Button13 = makeButton("Button13", start, &TOLVIN4::Button13Click);
    Button14 = makeButton("Button14", stop, &TOLVIN4::Button14Click);

    FRows = {{
        {Edit1, Label7, Button3, Button4},
        {Edit2, Label8, Button6, Button5},
        {Edit3, Label9, Button8, Button7},
        {Edit4, Label11, Button10, Button9},
        {Edit5, Label12, Button11, Button12},
        {Edit6, Label13, Button13, Button14},
    }};

    // Wide enough for the no-link text, which is the longest a value field shows.
    const int valueWidth = QFontMetrics(Edit1->font()).horizontalAdvance(kNoLink + QStringLiteral("  ")) +
                           2 * Edit1->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, Edit1) + 8;

    // The widest state text is reserved even while a label is empty, so an
    // alarm arriving never pushes the row or gets cut.
    int stateWidth = 0;
    for (const char* code : {"-001", "-002", "-003", "-004"})
        stateWidth = qMax(stateWidth, QFontMetrics(Label7->font()).horizontalAdvance(olvin4::ChannelStateText(code)));

    auto* rows = new QGridLayout(Panel1);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setHorizontalSpacing(4);
    rows->setVerticalSpacing(3);
    rows->setColumnStretch(4, 1);
    int line = 0;
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        const TRow& row = FRows[i];
        if (i > 0) {
            auto* separator = new QFrame(Panel1);
            separator->setFrameShape(QFrame::HLine);
            separator->setFrameShadow(QFrame::Sunken);
            rows->addWidget(separator, line++, 0, 1, 5);
        }
        auto* caption = new QLabel(QStringLiteral("%1.").arg(i + 1), Panel1);
        row.Value->setMinimumWidth(valueWidth);
        rows->addWidget(caption, line, 0);
        rows->addWidget(row.Value, line, 1);
        rows->addWidget(row.Start, line, 2);
        rows->addWidget(row.Stop, line, 3);
        row.State->setMinimumWidth(stateWidth);
        rows->addWidget(row.State, line++, 4);
    }
    rows->setRowStretch(line, 1);

    // This model answers no settings or statistics request, so the pages say so
    // instead of offering read buttons that could do nothing.
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    TabSheet1 = NoticePage(PageControl1, QStringLiteral("TabSheet1"), QStringLiteral("Уставки"),
                           QStringLiteral("Чтение и запись уставок для модели «Ольвин 4э» не поддерживаются."));
    TabSheet2 = NoticePage(PageControl1, QStringLiteral("TabSheet2"), QStringLiteral("Статистика"),
                           QStringLiteral("Чтение статистики для модели «Ольвин 4э» не поддерживается."));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(Panel1);
    layout->addWidget(PageControl1, 1);

    for (const TRow& row : FRows)
        FCommandButtons << row.Start << row.Stop;
    ClearStatus();
    SetCommandsEnabled(false);
    for (const TRow& row : FRows)
        row.State->clear();
}

void TOLVIN4::ClearStatus()
{
    for (const TRow& row : FRows)
        row.Value->clear();
}

void TOLVIN4::StartPoll()
{
    ClearStatus();
    // A state text left from an earlier run, perhaps of another device, would
    // otherwise stand beside the new rows until the first answer.
    for (const TRow& row : FRows)
        row.State->clear();
    SetCommandsEnabled(true);
    BeginPolling();
}

void TOLVIN4::StopPoll() { SetCommandsEnabled(false); }

void TOLVIN4::HandleLetter(char letter, const QByteArray& frame)
{
    if (letter == olvin4::StatusLetter)
        DecodeStatus(frame);
}

void TOLVIN4::LinkLost()
{
    ClearStatus();
    for (const TRow& row : FRows)
        ShowText(row.Value, kNoLink);
    SendNext();
}

void TOLVIN4::DecodeStatus(const QByteArray& frame)
{
    const olvin4::TStatus status = olvin4::DecodeStatus(frame);
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        FRows[i].State->setText(status.Channels[i].State);
        ShowText(FRows[i].Value, status.Channels[i].Value);
    }
}

void TOLVIN4::QueueCommand(int channel, char command)
{
    FPendingRequest = olvin4::CommandRequest(DeviceNumber, channel, command);
}

void TOLVIN4::Button3Click() { QueueCommand(1, 'W'); }
void TOLVIN4::Button4Click() { QueueCommand(1, 'w'); }
void TOLVIN4::Button5Click() { QueueCommand(2, 'w'); }
void TOLVIN4::Button6Click() { QueueCommand(2, 'W'); }
void TOLVIN4::Button7Click() { QueueCommand(3, 'w'); }
void TOLVIN4::Button8Click() { QueueCommand(3, 'W'); }
void TOLVIN4::Button9Click() { QueueCommand(4, 'w'); }
void TOLVIN4::Button10Click() { QueueCommand(4, 'W'); }
void TOLVIN4::Button11Click() { QueueCommand(5, 'W'); }
void TOLVIN4::Button12Click() { QueueCommand(5, 'w'); }
void TOLVIN4::Button13Click() { QueueCommand(6, 'W'); }
void TOLVIN4::Button14Click() { QueueCommand(6, 'w'); }
