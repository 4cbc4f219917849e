#include "ui/Application.h"

#include "ui/Dialogs.h"

namespace ui {

void HandleException(const std::exception& error) { ShowError(QString::fromUtf8(error.what())); }

void HandleUnknownException() { ShowError(QStringLiteral("Неизвестная ошибка")); }

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(AppTitle));
    setApplicationDisplayName(QString::fromLatin1(AppTitle));
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        HandleException(error);
    } catch (...) {
        HandleUnknownException();
    }
    return false;
}

} // namespace ui
