#pragma once

#include <QApplication>

#include <exception>

namespace ui {

// Shows what a handler threw in the error box; exceptions never cross the
// event loop. Also called by the port's event thread for its deliveries.
void HandleException(const std::exception& error);
void HandleUnknownException();

class TApplication final : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace ui
