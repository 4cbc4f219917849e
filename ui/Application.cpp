#include "ui/Application.h"

#include "ui/Dialogs.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

namespace {

SilentErrors& Silent()
{
    static SilentErrors silent;
    return silent;
}

} // namespace

void SetSilentErrors(SilentErrors isSilent) { Silent() = std::move(isSilent); }

void HandleException(const std::exception& error)
{
    if (Silent() && Silent()(error))
        return;
    ShowError(QString::fromUtf8(error.what()));
}

void HandleUnknownException() { ShowError(QStringLiteral("Неизвестная ошибка")); }

QString MissingDisplayMessage()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return QString();
    if (!qgetenv("WAYLAND_DISPLAY").isEmpty() && !platform.startsWith("xcb"))
        return QString();
    const QByteArray display = qgetenv("DISPLAY");
    bool reachable = !display.isEmpty();
    // A local display ":N" or ":N.S" has its socket; a remote one is left to Qt.
    if (reachable && display.startsWith(':')) {
        const QByteArray number = display.mid(1).split('.').value(0);
        reachable = QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(number));
    }
    if (reachable)
        return QString();
    return QStringLiteral("zorvex: нужен графический сеанс: дисплей не задан или недоступен (DISPLAY). "
                          "Для тестов без экрана: QT_QPA_PLATFORM=offscreen.\n"
                          "zorvex: a graphical session is needed: no display is set or it cannot be reached "
                          "(DISPLAY). For tests without a screen: QT_QPA_PLATFORM=offscreen.");
}

bool InstallQtTranslations()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(AppTitle));
    setApplicationDisplayName(QString::fromLatin1(AppTitle));
    // The program is a Russian one whatever the machine's locale: dates, file
    // types and Qt's own texts in its dialogs follow.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    InstallQtTranslations();
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
