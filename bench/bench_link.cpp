// Loopback latency of a linked fight's end: from the winner's killing shot putting "IWon" on
// the wire to the loser's enemy starting its final attack (the first attack frame drawn after
// the 1 ms timer), on the real receiving path: socket, receive buffer, dispatch, attack timer,
// frame drawn into the fight window. The loser is this process's real main window, available
// on a free port; the winner is a bare socket speaking the protocol, so one process holds both
// ends and no X round trip of a second program is counted. Also gives the part up to the
// socket's data event. Run it on the rig: tests/rig/rig.sh tests/rig/isolated.sh build/bench/bench_link
#include "bench/bench_support.h"
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/frmDesktop.h"
#include "net/PeerLink.h"
#include "platform/SettingsStore.h"
#include "platform/Winsock.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace modGremlok;

namespace {

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(std::ceil(p * double(v.size())) - 1))];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!SetUpGame(dir, argc, argv))
        return 1;
    frmMain& m = frmMain::instance();
    Difficulty = 2;
    AttackInterval = 500;
    AnimationSpeed = 500;
    Blood = false;
    AutoAccept = true;
    Nickname = QStringLiteral("Loser");
    int port;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    const int32_t key = SettingsStore->OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    SettingsStore->SetValue(key, QStringLiteral("Port"), port);
    SettingsStore->CloseKey(key);
    m.mnuListen_Click();

    // The winner: a bare socket and a receive buffer.
    platform::Winsock winner;
    PeerLink link;
    QStringList received;
    QObject::connect(&winner, &platform::Winsock::DataArrival, [&](int) {
        QString chunk, msg;
        winner.GetData(chunk);
        link.Append(chunk);
        while (link.Next(msg) == PeerLink::Take::Message)
            received << msg;
    });
    auto send = [&](const char* msg) { winner.SendData(QString::fromLatin1(PeerLink::Frame(QString::fromLatin1(msg)))); };
    if (winner.Connect(QStringLiteral("127.0.0.1"), port) || !spin([&] { return received.size() >= 3; }))
        return 2;
    send("Nickname:Winner");
    if (!spin([] { return !OpponentNickname.isEmpty(); }))
        return 3;

    QElapsedTimer clock;
    clock.start();
    qint64 sentNs = -1, arrivedNs = -1, attackNs = -1;
    QObject::connect(m.Winsock, &platform::Winsock::DataArrival, [&](int) {
        if (sentNs >= 0 && arrivedNs < 0)
            arrivedNs = clock.nsecsElapsed();
    });
    // Connected after the main window's own handler: runs once the frame is drawn.
    QObject::connect(m.tmrAnimAttack, &FormTimer::Timer, [&] {
        if (sentNs >= 0 && attackNs < 0)
            attackNs = clock.nsecsElapsed();
    });

    std::vector<double> total, delivery;
    const int fights = 101;
    for (int i = 0; i < fights; ++i) {
        received.clear();
        send("StartNow");
        if (!spin([&] { return received.contains(QStringLiteral("StartOK")); }))
            return 4;
        frmDesktop* f = nullptr;
        if (!spin([&] { return (f = frmDesktop::existing()) && f->FirstPaintNs >= 0; }))
            return 5;
        spin([] { return false; }, 20);   // the fight settles on screen
        arrivedNs = attackNs = -1;
        sentNs = clock.nsecsElapsed();
        send("IWon");                        // the winner's killing shot
        if (!spin([&] { return attackNs >= 0; }))
            return 6;
        if (i > 0) {
            total.push_back((attackNs - sentNs) / 1e6);
            delivery.push_back((arrivedNs - sentNs) / 1e6);
        }
        sentNs = -1;
        if (!spin([] { return !PlayerAlive && !frmMain::instance().tmrAnimAttack->Enabled(); }))
            return 7;
        f->EndFight();
        if (!spin([] { return !frmDesktop::isLoaded(); }))
            return 8;
    }
    std::printf("fights %zu: \"IWon\" sent to the loser's final attack starting: median %.2f ms, 95th %.2f ms\n",
                total.size(), percentile(total, 0.5), percentile(total, 0.95));
    std::printf("  of which socket to data event: median %.3f ms\n", percentile(delivery, 0.5));
    m.mnuDisconnect_Click();
    return 0;
}
