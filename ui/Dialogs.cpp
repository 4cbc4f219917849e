#include "ui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace ui {
namespace {

MessageSink& Sink()
{
    static MessageSink sink;
    return sink;
}

SaveDialogHook& SaveHook()
{
    static SaveDialogHook hook;
    return hook;
}

ClockFunc& Clock()
{
    static ClockFunc clock;
    return clock;
}

void Show(const QString& text, bool beep)
{
    if (Sink()) {
        Sink()(text, beep);
        return;
    }
    if (beep)
        QApplication::beep();
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(AppTitle), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

void ShowError(const QString& text) { Show(text, true); }

void ShowMessage(const QString& text) { Show(text, false); }

void SetMessageSink(MessageSink sink) { Sink() = std::move(sink); }

std::optional<QString> ExecuteSaveDialog(const QString& filter, const QString& defaultExt)
{
    if (SaveHook())
        return SaveHook()(filter, defaultExt);
    // "description|pattern" becomes Qt's "description (pattern)".
    const QStringList parts = filter.split(QLatin1Char('|'));
    const QString qtFilter = parts.size() >= 2 ? QStringLiteral("%1 (%2)").arg(parts[0], parts[1]) : filter;
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(qtFilter);
    dialog.setDefaultSuffix(defaultExt);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void SetSaveDialogHook(SaveDialogHook hook) { SaveHook() = std::move(hook); }

namespace {

// The zone's offset is asked at most once a minute: each ask reads the zone
// anew, two file lookups for every line of the log. Offsets change only at
// whole minutes.
QDateTime LocalNow()
{
    thread_local qint64 minute = -1;
    thread_local int offset = 0;
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms / 60000 != minute) {
        minute = ms / 60000;
        offset = QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offset);
}

} // namespace

QDateTime Now() { return Clock() ? Clock()() : LocalNow(); }

void SetClock(ClockFunc clock) { Clock() = std::move(clock); }

} // namespace ui
