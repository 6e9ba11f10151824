// The link's wire format alone: reassembly of NUL-terminated messages across reads, the flood
// limit, framing, payload checks, notification figures, and where the popup goes by the panel.
#include "net/PanelPlacement.h"
#include "net/PeerLink.h"
#include "platform/Taskbar.h"

#include <QtTest>

namespace {
const QChar N(0);

// Feeds the reads in turn and collects the messages each read completes, "|" between reads.
QString run(PeerLink& link, const QStringList& reads)
{
    QStringList out;
    for (const QString& r : reads) {
        link.Append(r);
        QString m;
        QStringList got;
        while (link.Next(m) == PeerLink::Take::Message)
            got << m;
        out << got.join(QLatin1Char(','));
    }
    return out.join(QLatin1Char('|'));
}
} // namespace

class TestPeerLink : public QObject {
    Q_OBJECT
private slots:
    void reassembly_data()
    {
        QTest::addColumn<QStringList>("reads");
        QTest::addColumn<QString>("handled");
        QTest::addColumn<QString>("left");
        QTest::newRow("two in one read") << QStringList{"StartOK" + QString(N) + "ShotFired" + N} << "StartOK,ShotFired" << "";
        QTest::newRow("split over two") << QStringList{"Nickna", QString("me:Hunter") + N} << "|Nickname:Hunter" << "";
        QTest::newRow("rest kept") << QStringList{"IWon" + QString(N) + "Pau"} << "IWon" << "Pau";
        QTest::newRow("NUL alone ends the rest") << QStringList{"Msg:hi", QString(N)} << "|Msg:hi" << "";
        QTest::newRow("empty messages") << QStringList{QString(N) + N} << "," << "";
        QTest::newRow("three reads, one message") << QStringList{"Res", "um", "e" + QString(N) + "IW"} << "||Resume" << "IW";
    }
    void reassembly()
    {
        QFETCH(QStringList, reads);
        QFETCH(QString, handled);
        QFETCH(QString, left);
        PeerLink link;
        QCOMPARE(run(link, reads), handled);
        QCOMPARE(link.Pending(), left);
    }

    void floodWithoutNulDropsTheLink()
    {
        PeerLink link;
        QString m;
        const QString block(4096, QLatin1Char('A'));
        int reads = 0;
        PeerLink::Take t = PeerLink::Take::None;
        while (t == PeerLink::Take::None && reads < 100) {
            link.Append(block);
            ++reads;
            t = link.Next(m);
        }
        QCOMPARE(t, PeerLink::Take::Flooded);
        QCOMPARE(reads, PeerLink::MaxMessageLength / 4096 + 1);
        // A long message that does end is still one message, up to the limit.
        link.Clear();
        link.Append("Msg:" + QString(PeerLink::MaxMessageLength - 4, QLatin1Char('x')) + N);
        QCOMPARE(link.Next(m), PeerLink::Take::Message);
        QCOMPARE(m.size(), PeerLink::MaxMessageLength);
        link.Append(QString(PeerLink::MaxMessageLength + 1, QLatin1Char('x')) + N + "IWon" + N);
        QCOMPARE(link.Next(m), PeerLink::Take::Flooded);
    }

    void framing()
    {
        QCOMPARE(PeerLink::Frame("Nickname:J\u00fcrgen"), QByteArray("Nickname:J\xfcrgen", 16));
        // A NUL inside would end the message early at the peer.
        QCOMPARE(PeerLink::Frame(QString("Msg:a") + N + "b"), QByteArray("Msg:ab", 7));
    }

    void parse_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("value");   // start,length / level / text
        using K = PeerLink::Kind;
        QTest::newRow("IWon") << "IWon" << int(K::IWon) << "";
        QTest::newRow("keywords exact, case too") << "iwon" << int(K::Ignored) << "";
        QTest::newRow("interval") << "Interval:300,600" << int(K::Interval) << "300,600";
        QTest::newRow("interval no comma") << "Interval:300" << int(K::Ignored) << "";
        QTest::newRow("interval sign") << "Interval:-5,600" << int(K::Ignored) << "";
        QTest::newRow("interval length too big") << "Interval:300,40000" << int(K::Ignored) << "";
        QTest::newRow("interval start too big") << "Interval:99999999,1" << int(K::Ignored) << "";
        QTest::newRow("nickname") << "Nickname:Hunter" << int(K::Nickname) << "Hunter";
        QTest::newRow("nickname empty") << "Nickname:" << int(K::Nickname) << "Anonymous";
        QTest::newRow("nickname any separator") << "Nickname=Bo" << int(K::Nickname) << "Bo";
        QTest::newRow("nickname short") << "Nickname" << int(K::Ignored) << "";
        QTest::newRow("nickname cut") << "Nickname:" + QString(30, 'n') << int(K::Nickname) << QString(18, 'n');
        QTest::newRow("difficulty") << "Difficulty:3" << int(K::Difficulty) << "3";
        QTest::newRow("difficulty last char") << "Difficulty:12" << int(K::Difficulty) << "2";
        QTest::newRow("difficulty 4") << "Difficulty:4" << int(K::Ignored) << "";
        QTest::newRow("difficulty bare") << "Difficulty" << int(K::Ignored) << "";
        QTest::newRow("msg") << "Msg:hi\r\nthere" << int(K::Msg) << "hi\r\nthere";
        QTest::newRow("msg empty") << "Msg:" << int(K::Ignored) << "";
        QTest::newRow("msg cut") << "Msg:" + QString(5000, 'm') << int(K::Msg) << QString(254, 'm');
        QTest::newRow("garbage") << "\xff\x01zz" << int(K::Ignored) << "";
    }
    void parse()
    {
        QFETCH(QString, message);
        QFETCH(int, kind);
        QFETCH(QString, value);
        const PeerLink::Parsed p = PeerLink::Parse(message);
        QCOMPARE(int(p.kind), kind);
        if (p.kind == PeerLink::Kind::Interval)
            QCOMPARE(QString("%1,%2").arg(p.start).arg(p.length), value);
        else if (p.kind == PeerLink::Kind::Difficulty)
            QCOMPARE(QString::number(p.difficulty), value);
        else if (!value.isEmpty())
            QCOMPARE(p.text, value);
    }

    void notificationFigures()
    {
        QCOMPARE(PeerLink::MinutesFrom(300), 5);
        QCOMPARE(PeerLink::MinutesTo(300, 600), 16);
        QCOMPARE(PeerLink::MinutesTo(2147483, 32767), 36338);   // no overflow at the limits
        QCOMPARE(PeerLink::MessageTimeout(QString(254, 'x')), 29050);
        QCOMPARE(PeerLink::MessageTimeout(PeerLink::Parse("Msg:" + QString(900, 'x')).text), 29050);
    }

    void taskbarEdge_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("work");
        QTest::addColumn<QRect>("icon");
        QTest::addColumn<int>("edge");
        QTest::addColumn<QPoint>("popup");   // a 200x50 popup
        const QRect s(0, 0, 1920, 1080), none;
        QTest::newRow("bottom panel") << s << QRect(0, 0, 1920, 1050) << none << 3 << QPoint(1920 - 206, 1050 - 54);
        QTest::newRow("top panel") << s << QRect(0, 30, 1920, 1050) << none << 1 << QPoint(1920 - 206, 34);
        QTest::newRow("left panel") << s << QRect(60, 0, 1860, 1080) << none << 0 << QPoint(64, 1080 - 56);
        QTest::newRow("right panel") << s << QRect(0, 0, 1860, 1080) << none << 2 << QPoint(1860 - 204, 1080 - 56);
        QTest::newRow("no strut, icon at right") << s << s << QRect(1890, 500, 24, 24) << 2 << QPoint(1890 - 204, 1080 - 56);
        QTest::newRow("no strut, icon at bottom") << s << s << QRect(1700, 1054, 24, 24) << 3 << QPoint(1714, 1054 - 54);
        QTest::newRow("nothing known") << s << s << none << 3 << QPoint(1714, 1080 - 54);
    }
    void taskbarEdge()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, work);
        QFETCH(QRect, icon);
        QFETCH(int, edge);
        QFETCH(QPoint, popup);
        const platform::Taskbar t = platform::TaskbarFrom(screen, work, icon);
        QCOMPARE(int(t.edge), edge);
        QPoint at;
        QVERIFY(PanelPlacement(t, QSize(200, 50), 4, 6, at));
        QCOMPARE(at, popup);
        // A panel that spans its screen edge gives the same edge from its rectangle alone.
        if (!work.isNull() && work != screen)
            QCOMPARE(int(platform::GetTaskbarEdge(t.rect)), edge);
    }

    void edgeFromRectangle()
    {
        using platform::GetTaskbarEdge;
        QCOMPARE(int(GetTaskbarEdge({0, 0, 40, 40})), 2);   // square in the corner
        QCOMPARE(int(GetTaskbarEdge({0, 1040, 1920, 1080})), 3);
        QCOMPARE(int(GetTaskbarEdge({1880, 0, 1920, 1080})), 2);
        QPoint at(1, 2);
        QVERIFY(!PanelPlacement(platform::Taskbar{}, QSize(10, 10), 4, 6, at));
        QCOMPARE(at, QPoint(1, 2));
    }
};

QTEST_GUILESS_MAIN(TestPeerLink)
#include "test_peerlink.moc"
