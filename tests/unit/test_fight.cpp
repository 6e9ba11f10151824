// A fight through the real fight window (offscreen): set-up, the clock's start, the shot
// rules against the on-screen pixels, both ends of the attack, and closing the fight.
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/FightRecorder.h"
#include "fight/ScreenPointer.h"
#include "fight/Weapon.h"
#include "fight/frmDesktop.h"
#include "platform/Raster.h"
#include "shell/frmMain.h"
#include "skins/modSkinZip.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace modGremlok;
namespace R = platform::Raster;

namespace {
constexpr int kEX = 100, kEY = 120, kSW = 40, kSH = 30;

// Puts the enemy at a known place, over a grey desktop, with a known look: a green block in
// the middle of every frame, the rest transparent.
frmDesktop& startFight(int frames = 8)
{
    Enemy& e = *gEnemy;
    QImage sheet(kSW * std::max(frames, 4), kSH * 2, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    for (int x = 10; x < sheet.width(); x += kSW)
        for (int y : {10, kSH + 10})
            R::Fill(sheet, QRect(x, y, 10, 10), qRgb(20, 160, 60));
    const QString path = qEnvironmentVariable("GREMLOK_TEST_DIR", "/tmp") + "/sheet.png";
    sheet.save(path);
    e.LoadSprites(path, uint8_t(frames), 4, 0xFFFFFF);
    frmDesktop& f = frmDesktop::instance();
    f.Show();
    frmMain& m = frmMain::instance();
    R::Copy(f.Surface(), EnemyX, EnemyY, m.picDesktop, 0, 0, kSW, kSH);   // the one set-up placed
    EnemyX = kEX;
    EnemyY = kEY;
    R::Fill(f.Surface(), QRect(kEX - 30, kEY - 30, kSW + 60, kSH + 60), qRgb(90, 90, 90));
    R::Copy(m.picDesktop, 0, 0, f.Surface(), kEX, kEY, kSW, kSH);
    e.DrawAttackSprite(f.Surface(), m.picDesktop, kEX, kEY, 1);
    return f;
}

void clickAt(frmDesktop& f, int x, int y, int button = 1)
{
    ScreenPointer::SetPos(x, y);
    f.Form_MouseDown(button, 0, x, y);
}

} // namespace

class TestFight : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        frmMain::instance();
        InitBestTimes();
        ReadScreenMetrics();
        AnimationSpeed = 30000;   // the real timers never tick by themselves here
        AttackInterval = 25000;
        Difficulty = 2;
        CenterPointer = true;
        Blood = true;
        Scramble = true;
        FirstRun = false;
        AutoUnload = false;
        Pointer = 1;
        frmMain::instance().mnuFightNow->setEnabled(true);
        frmMain::instance().mnuDisconnect->setVisible(false);
    }
    void cleanup()
    {
        frmMain& m = frmMain::instance();
        m.tmrAnimDie->setEnabled(false);
        SlowestBestTime = -1;   // a kill left over must not stop at the name prompt
        IsInitiator = false;
        m.mnuDisconnect->setVisible(false);
        if (frmDesktop* f = frmDesktop::existing())
            f->EndFight();
        QTRY_VERIFY(!frmDesktop::isLoaded());
        QVERIFY(!FightInProgress);
    }

    void setUpWaitsForTheFirstMove()
    {
        frmDesktop& f = startFight();
        frmMain& m = frmMain::instance();
        QCOMPARE(f.StartCursor, QPoint(ScreenWidth / 2, ScreenHeight / 2));
        QVERIFY(f.WaitingForFirstMove && !m.tmrAnimAttack->Enabled());
        // An event where the pointer already was is no movement; showing again sets nothing up.
        f.Form_MouseMove(f.StartCursor.x(), f.StartCursor.y());
        frmDesktop::instance().Show();
        QVERIFY(f.WaitingForFirstMove);
        // The first real movement starts the attack at the animation speed, not the set-up's.
        f.Form_MouseMove(f.StartCursor.x() + 1, f.StartCursor.y(), 1000);
        QVERIFY(!f.WaitingForFirstMove && m.tmrAnimAttack->Enabled());
        QCOMPARE(m.tmrAnimAttack->Interval(), int(AnimationSpeed));
        QCOMPARE(f.StartTime.EventMs, quint64(1000));
        // With "&Fight Now!" disabled the pointer is left where it is.
        cleanup();
        m.mnuFightNow->setEnabled(false);
        ScreenPointer::SetPos(7, 9);
        QCOMPARE(startFight().StartCursor, QPoint(7, 9));
    }

    void pointerStylesAndTheSkinsOwnPointer()
    {
        // The skin's pointer file with the hot spot its own header gives.
        const QString package = qEnvironmentVariable("GREMLOK_SOURCE_DIR") + "/resources/skins/Base Skin.ssz";
        SkinFolder = qEnvironmentVariable("GREMLOK_TEST_DIR", "/tmp") + "/skin/";
        QVERIFY(modSkinZip::UnzipSkin(package, SkinFolder));
        QFile cur(SkinFolder + "pointer.cur");
        QVERIFY(cur.open(QIODevice::ReadOnly));
        const QByteArray head = cur.read(14);
        const QPoint hot(uchar(head[10]) | uchar(head[11]) << 8, uchar(head[12]) | uchar(head[13]) << 8);
        Pointer = 6;
        gWeapon->SkinnedPointer = true;
        QCOMPARE(startFight().cursor().hotSpot(), hot);
    }

    void shotsAreJudgedByTheShownPixel()
    {
        frmDesktop& f = startFight();
        frmMain& m = frmMain::instance();
        // One pixel right of the frame: inside the box, but no sprite pixel can be there.
        clickAt(f, kEX + kSW, kEY + 10);
        QVERIFY(gEnemy->Alive);
        QCOMPARE(int(gWeapon->BulletsLeft()), 5);
        QCOMPARE(m.picDesktop.pixel(kSW - 1, 10 - 6 + 4) & 0xFFFFFF, 0u);   // hole's left part
        // Two pixels right: outside the box, the patch stays as it was.
        const QImage patch = m.picDesktop.copy();
        clickAt(f, kEX + kSW + 1, kEY + 20);
        QCOMPARE(m.picDesktop, patch);
        // A transparent pixel inside the frame: a miss that leaves a hole in the patch, so
        // later frames show it through their transparent parts.
        clickAt(f, kEX + 4, kEY + 20);
        QVERIFY(gEnemy->Alive);
        QCOMPARE(m.picDesktop.pixel(4 - 6 + 7, 20 - 6 + 3) & 0xFFFFFF, 0u);
        QCOMPARE(int(gWeapon->BulletsLeft()), 3);
        QVERIFY(m.tmrAnimAttack->Enabled());
        // The visible block: a hit. The attack stops, the death starts, blood is shown.
        clickAt(f, kEX + 15, kEY + 15);
        QVERIFY(!gEnemy->Alive);
        QVERIFY(!m.tmrAnimAttack->Enabled());
        QVERIFY(m.tmrAnimDie->Enabled());
        QCOMPARE(f.ScreenImage().pixel(kEX + 15 - 4, kEY + 15 - 5), qRgb(198, 24, 8));
        QCOMPARE(m.tmrAnimDie->Tag, QStringLiteral("0"));
        // The death animation cannot be cut short, by the right button or by Escape.
        f.Form_MouseDown(2, 0, 0, 0);
        f.Form_KeyDown(27);
        QVERIFY(f.isVisible());
        for (int i = 0; i < 4; ++i)
            m.tmrAnimDie_Timer();
        QVERIFY(!m.tmrAnimDie->Enabled());
    }

    // A mark a miss outside the box left over the frame is no part of the enemy, before and
    // after its splat settles into a hole.
    void aMissMarkOverTheFrameIsNoHit_data()
    {
        QTest::addColumn<bool>("settled");
        QTest::newRow("splat") << false;
        QTest::newRow("hole") << true;
    }
    void aMissMarkOverTheFrameIsNoHit()
    {
        QFETCH(bool, settled);
        frmDesktop& f = startFight();
        const QPoint mark(kEX + kSW - 1, kEY + 15);
        clickAt(f, kEX + kSW + 1, kEY + 15);
        if (settled)
            QTRY_COMPARE(int(gWeapon->HolesSettled()), 1);
        QVERIFY(f.ScreenImage().pixel(mark) != frmMain::instance().picDesktop.pixel(mark - QPoint(kEX, kEY)));
        clickAt(f, mark.x(), mark.y());
        QVERIFY(gEnemy->Alive);
        QCOMPARE(int(gWeapon->HitCount()), 0);
        // The enemy itself is still hit.
        clickAt(f, kEX + 15, kEY + 15);
        QVERIFY(!gEnemy->Alive);
    }

    // The name prompt and Best Times come up over a desktop that no longer stays on top.
    void theFrozenDesktopStepsDownForTheNamePrompt()
    {
        frmDesktop& f = startFight();
        clickAt(f, kEX + 15, kEY + 15);
        frmMain::instance().tmrAnimDie->setEnabled(false);
        QStringList seen;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                seen << w->windowTitle() + ((f.windowFlags() | f.windowHandle()->flags()) & Qt::WindowStaysOnTopHint ? " on top" : "");
                w->close();
            }
        });
        closer.start(20);
        f.EndFight();
        QCOMPARE(seen, QStringList({"Congratulations", "Gremlok Best Times"}));
    }

    // A splat's settle timer belongs to its fight: one pending when the fight closes must not
    // settle anything in the next, whose own splats then settle as they should.
    void aSettleTimerDiesWithItsFight()
    {
        clickAt(startFight(), 500, 500);
        frmDesktop::existing()->EndFight();
        frmDesktop::release();
        frmDesktop& next = startFight();
        QTest::qWait(3 * Weapon::HoleDelayMs);
        QCOMPARE(int(gWeapon->HolesSettled()), 0);
        clickAt(next, 600, 500);
        QTRY_COMPARE(int(gWeapon->HolesSettled()), 1);
        QVERIFY(gWeapon->Slot(6).Patch.isNull());
    }

    // A linked fight has one winner on both sides, also when both kill before either hears
    // of the other's kill: the two "IWon" cross, and the connecting side's kill stands.
    void thePeersKillDecidesTheLinkedFight_data()
    {
        QTest::addColumn<bool>("initiator");
        QTest::addColumn<bool>("killedFirst");
        QTest::addColumn<int>("peer");
        QTest::newRow("peer first") << false << false << int(PeerResult::Lost);
        QTest::newRow("crossed, listening side") << false << true << int(PeerResult::Lost);
        QTest::newRow("crossed, connecting side") << true << true << int(PeerResult::Won);
    }
    void thePeersKillDecidesTheLinkedFight()
    {
        QFETCH(bool, initiator);
        QFETCH(bool, killedFirst);
        QFETCH(int, peer);
        frmMain& m = frmMain::instance();
        m.mnuDisconnect->setVisible(true);
        IsInitiator = initiator;
        frmDesktop& f = startFight();
        if (killedFirst) {
            clickAt(f, kEX + 15, kEY + 15);
            QVERIFY(!gEnemy->Alive);
        }
        m.DispatchPeerMessage(QStringLiteral("IWon"));
        QCOMPARE(int(CurrentFightOutcome(-1).Peer), peer);
        // Only a live enemy strikes.
        QCOMPARE(m.tmrAnimAttack->Enabled(), !killedFirst);
    }

    void theEnemyFiresAtFrameNMinusOneAndKillsAtN()
    {
        FirstRun = true;
        AutoUnload = true;
        AutoUnloadTime = 3;
        frmDesktop& f = startFight(3);
        frmMain& m = frmMain::instance();
        f.Form_MouseMove(1, 1);
        m.tmrAnimAttack_Timer();          // frame 1 again
        QVERIFY(PlayerAlive);
        m.tmrAnimAttack_Timer();          // frame 2: the enemy fires
        QVERIFY(!PlayerAlive);
        clickAt(f, kEX + 15, kEY + 15);   // too late: ignored
        QVERIFY(gEnemy->Alive);
        m.tmrAnimAttack_Timer();          // frame 3: dead
        QVERIFY(!m.tmrAnimAttack->Enabled());
        // The very first death shows the hint instead of melting the screen.
        QVERIFY(!f.tmrScramble->Enabled());
        QVERIFY(!FirstRun);
        QCOMPARE(f.tmrAutoUnload->Interval(), 3000);
    }

    void laterDeathsMeltTheScreenAndASingleFrameSheetStillEnds()
    {
        Blood = false;
        frmDesktop& f = startFight(1);
        frmMain& m = frmMain::instance();
        for (int y = 0; y < ScreenHeight; y += 8)   // stripes, so that sliding blocks show
            R::Fill(f.Surface(), QRect(0, y, ScreenWidth, 4), qRgb(y % 256, 80, 200));
        R::Copy(m.picDesktop, 0, 0, f.Surface(), kEX, kEY, kSW, kSH);
        gEnemy->DrawAttackSprite(f.Surface(), m.picDesktop, kEX, kEY, 1);
        const QImage shown = f.ScreenImage().copy();
        m.tmrAnimAttack_Timer();
        QVERIFY(!PlayerAlive);
        QVERIFY(!m.tmrAnimAttack->Enabled());
        QCOMPARE(f.ScreenImage(), shown);          // no red flash with Blood off
        QVERIFY(f.tmrScramble->Enabled());
        f.tmrScramble_Timer();
        QVERIFY(f.ScreenImage() != shown);
    }
};

QTEST_MAIN(TestFight)
#include "test_fight.moc"
