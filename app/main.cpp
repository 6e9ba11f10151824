#include "core/CommandLine.h"
#include "core/modGremlok.h"
#include "core/SoakDriver.h"
#include "platform/AudioOutput.h"
#include "platform/Memory.h"
#include "platform/ProcessEnd.h"
#include "platform/Trace.h"
#include "platform/WaylandSession.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // "--help" and "--version" are answered on the terminal before anything else: no display,
    // no tray icon, no running copy is touched.
    {
        QStringList words;
        for (int i = 1; i < argc; ++i)
            words << QString::fromLocal8Bit(argv[i]);
        const QString answer = modGremlok::TerminalAnswer(words.join(QLatin1Char(' ')));
        if (!answer.isEmpty()) {
            std::fputs(answer.toLocal8Bit().constData(), stdout);
            return 0;
        }
    }

    platform::TuneAllocator();

    // Native Wayland on a Wayland session, X11 on an X11 one, unless the user chose.
    platform::ChooseWindowSystem();

    // Without a display there is nothing to show the tray icon on: say so instead of failing
    // somewhere inside the toolkit.
    const QByteArray platformName = qgetenv("QT_QPA_PLATFORM");
    if ((platformName.isEmpty() || platformName.startsWith("xcb")) && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "Gremlok needs a graphical desktop: no X display is set (DISPLAY is empty).\n");
        return 1;
    }
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Gremlok"));
    app.setOrganizationName(QStringLiteral("Gremlok"));
    app.setQuitOnLastWindowClosed(false);
    platform::Trace("windowsystem", QApplication::platformName());

    // The command line is taken whole, as one string after the program name.
    QStringList args = app.arguments();
    args.removeFirst();
    modGremlok::CommandLine = args.join(QLatin1Char(' '));

    app.setApplicationVersion(modGremlok::Version());
    if (!modGremlok::Main()) {
        if (modGremlok::ExitStatus != 0)
            std::fprintf(stderr, "Gremlok: no running copy answered; the command line was not handled.\n");
        return modGremlok::ExitStatus;
    }
    modGremlok::StartSoakIfAsked();
    platform::EventLoopStarting();
    const int loopStatus = app.exec();
    platform::EventLoopEnded();
    const int status = loopStatus != 0 ? loopStatus : modGremlok::ExitStatus;
    // Everything is saved by now (settings are written as they change, each fight is its own
    // committed transaction). An audio thread that could not be stopped in time is still inside
    // a call that has not returned (reading a wave file from a network share that stopped
    // answering, say); the exit-time clean-up would pull its objects from under it, so the
    // process then ends without that clean-up.
    if (platform::AudioOutput::ThreadLeftBehind()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
