#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

namespace ui {

inline constexpr const char* AppTitle = "ZORVEX 1.4.1";

// Every message to the user goes through here: the stop-icon beep, then a
// modal box titled with the program's name. Tests swap the box for a recorder.
void ShowError(const QString& text);

// The same box without the beep, for notices that are not input errors.
void ShowMessage(const QString& text);

using MessageSink = std::function<void(const QString& text, bool beep)>;
// Installs a replacement for the modal box; an empty function restores it.
void SetMessageSink(MessageSink sink);

// Save-file dialog as the program uses it: a filter like "*.txt|*.txt" and a
// default extension appended when the user typed none. Empty on cancel.
std::optional<QString> ExecuteSaveDialog(const QString& filter, const QString& defaultExt);

using SaveDialogHook = std::function<std::optional<QString>(const QString& filter, const QString& defaultExt)>;
void SetSaveDialogHook(SaveDialogHook hook);

// Local time, replaceable so time prefixes and time lines can be tested.
QDateTime Now();
using ClockFunc = std::function<QDateTime()>;
void SetClock(ClockFunc clock);

} // namespace ui
