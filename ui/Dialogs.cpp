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

QDateTime Now() { return Clock() ? Clock()() : QDateTime::currentDateTime(); }

void SetClock(ClockFunc clock) { Clock() = std::move(clock); }

} // namespace ui
