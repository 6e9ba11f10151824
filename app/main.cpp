#include "core/modGremlok.h"
#include "platform/AudioOutput.h"
#include "platform/ProcessEnd.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
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

    // The command line is taken whole, as one string after the program name.
    QStringList args = app.arguments();
    args.removeFirst();
    modGremlok::CommandLine = args.join(QLatin1Char(' '));

    if (!modGremlok::Main())
        return 0;
    platform::EventLoopStarting();
    const int status = app.exec();
    platform::EventLoopEnded();
    // Everything is saved by now (settings are written as they change); do not let a sound
    // server that never answers hold the process for the library's own clean-up.
    if (platform::AudioOutput::ThreadLeftBehind()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
