#pragma once

#include <QApplication>

#include <exception>
#include <functional>

namespace ui {

// Shows what a handler threw in the error box; exceptions never cross the
// event loop. Also called by the port's event thread for its deliveries.
void HandleException(const std::exception& error);
void HandleUnknownException();

// Picks the errors that have been told another way already (a vanished port is
// told once, as its loss); HandleException shows those no more.
using SilentErrors = std::function<bool(const std::exception&)>;
void SetSilentErrors(SilentErrors isSilent);

// Wraps a handler for connect(): what it throws goes to the error box instead
// of unwinding through the signal that called it.
template <class Handler> auto Guard(Handler handler)
{
    return [handler](auto&&...) mutable {
        try {
            handler();
        } catch (const std::exception& error) {
            HandleException(error);
        } catch (...) {
            HandleUnknownException();
        }
    };
}

// Without a platform to draw on, Qt would abort: the line to print instead, or
// nothing when a display (or a platform such as offscreen) is there.
QString MissingDisplayMessage();

// Qt's own texts (dialog buttons, the file dialog) in Russian, from the
// translations installed with Qt. False where they are not installed.
bool InstallQtTranslations();

class TApplication final : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace ui
