// zorvex-cli: the exchange with the four models without a window.

#include "cli/Messages.h"
#include "cli/Options.h"
#include "cli/Session.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

void Line(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    // A progress line is rewritten in place and ends with its CR.
    if (!text.endsWith('\r'))
        std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const cli::TParsed parsed = cli::ParseArguments(args);
    if (!parsed.Error.isEmpty()) {
        Line(stderr, QStringLiteral("zorvex-cli: ") + parsed.Error);
        if (!args.isEmpty())
            Line(stderr, cli::Text(cli::TMsg::Usage));
        return cli::ExitUsage;
    }
    if (parsed.Options.Command == cli::TCommand::Help) {
        Line(stdout, cli::HelpText());
        return cli::ExitOk;
    }

    cli::TCliSession session([](const QString& text) { Line(stdout, text); },
                             [](const QString& text) { Line(stderr, text); });
    session.FProgressInPlace = ::isatty(STDERR_FILENO);

    // Ctrl+C and a kill end the run between two events, so the port is closed
    // and everything printed so far is whole.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopping, nullptr);
    const int fd = ::signalfd(-1, &stopping, SFD_CLOEXEC | SFD_NONBLOCK);
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [&] {
        signalfd_siginfo info{};
        const ssize_t n = ::read(fd, &info, sizeof info);
        session.Stop(128 + (n == sizeof info ? static_cast<int>(info.ssi_signo) : SIGTERM));
    });
    return session.Run(parsed.Options);
}
