// Figures of the tray shell: how long the socket adapter takes to connect and to carry one
// peer message there and back on loopback, and what one tray status update costs.
#include "core/modGremlok.h"
#include "platform/Winsock.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using platform::Winsock;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Runs the event loop until `done` holds or 5 s pass.
template <class F>
bool spin(F done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    return done();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Connect and accept.
    std::vector<double> connects;
    for (int i = 0; i < 50; ++i) {
        Winsock listener, caller;
        listener.Listen();
        QObject::connect(&listener, &Winsock::ConnectionRequest, &listener, [&listener](int id) {
            listener.Close();
            listener.Accept(id);
        });
        QElapsedTimer t;
        t.start();
        caller.Connect(QStringLiteral("127.0.0.1"), listener.LocalPort());
        if (!spin([&] { return caller.State() == Winsock::sckConnected && listener.State() == Winsock::sckConnected; }))
            return 1;
        connects.push_back(t.nsecsElapsed() / 1e6);
    }

    // One message there and an answer back, the way "StartNow"/"StartOK" travel.
    Winsock listener, caller;
    listener.Listen();
    QObject::connect(&listener, &Winsock::ConnectionRequest, &listener, [&listener](int id) {
        listener.Close();
        listener.Accept(id);
    });
    caller.Connect(QStringLiteral("127.0.0.1"), listener.LocalPort());
    spin([&] { return caller.State() == Winsock::sckConnected && listener.State() == Winsock::sckConnected; });
    QObject::connect(&listener, &Winsock::DataArrival, &listener, [&listener](int) {
        QString s;
        listener.GetData(s);
        listener.SendData(QStringLiteral("StartOK") + QChar(0));
    });
    std::vector<double> trips;
    for (int i = 0; i < 500; ++i) {
        QElapsedTimer t;
        t.start();
        caller.SendData(QStringLiteral("StartNow") + QChar(0));
        if (!spin([&] { return caller.BytesReceived() >= 8; }))
            return 1;
        QString s;
        caller.GetData(s);
        trips.push_back(t.nsecsElapsed() / 1e3);
    }

    // A tray status update (icon and tooltip), listening row with the local address.
    frmMain& m = frmMain::instance();
    m.mnuListen->setChecked(true);
    std::vector<double> updates;
    for (int i = 0; i < 500; ++i) {
        QElapsedTimer t;
        t.start();
        modGremlok::UpdateTrayStatus();
        updates.push_back(t.nsecsElapsed() / 1e3);
    }

    std::printf("connect+accept on loopback: median %.3f ms (50 runs)\n", median(connects));
    std::printf("message round trip on loopback: median %.1f us (500 runs)\n", median(trips));
    std::printf("UpdateTrayStatus: median %.1f us (500 runs)\n", median(updates));
    return 0;
}
