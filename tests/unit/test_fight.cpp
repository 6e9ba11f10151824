// A fight through the real fight window (offscreen): set-up, the clock's start, the shot
// rules against the on-screen pixels, both ends of the attack, and closing the fight.
#include "core/modGremlok.h"
#include "fight/Enemy.h"
#include "fight/ScreenPointer.h"
#include "fight/Weapon.h"
#include "fight/frmDesktop.h"
#include "platform/Raster.h"
#include "shell/frmMain.h"
#include "skins/modSkinZip.h"

#include <QTest>

using namespace modGremlok;
namespace R = platform::Raster;

namespace {
constexpr int kEX = 100, kEY = 120, kSW = 40, kSH = 30;

// Puts the enemy at a known place with a known look: a solid block in the middle of its
// frame, the rest transparent.
frmDesktop& startFight(int frames = 8)
{
    Enemy& e = *gEnemy;
    e.SpriteWidth = kSW;
    e.SpriteHeight = kSH;
    e.NumAttackSprites = uint8_t(frames);
    e.NumDieSprites = 4;
    frmDesktop& f = frmDesktop::instance();
    f.Show();
    frmMain& m = frmMain::instance();
    EnemyX = kEX;
    EnemyY = kEY;
    R::Copy(m.picDesktop, 0, 0, f.Surface(), kEX, kEY, kSW, kSH);
    // The "sprite": every pixel of the block differs from the desktop under it.
    for (int y = kEY + 10; y < kEY + 20; ++y)
        for (int x = kEX + 10; x < kEX + 20; ++x)
            f.Surface().setPixel(x, y, (f.Surface().pixel(x, y) ^ 0x00FFFFFFu) | 0xFF000000u);
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

    void seventhClickOnlyClicks()
    {
        frmDesktop& f = startFight();
        for (int i = 0; i < 6; ++i)
            clickAt(f, 400 + 10 * i, 400);
        QTest::qWait(50);   // let the splats settle
        const QImage shown = f.ScreenImage().copy();
        const QImage patch = frmMain::instance().picDesktop.copy();
        clickAt(f, kEX + 15, kEY + 15);
        QCOMPARE(f.ScreenImage(), shown);
        QCOMPARE(frmMain::instance().picDesktop, patch);
        QVERIFY(gEnemy->Alive);
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
        // The very first death shows the hint instead of melting the screen. (The red flash,
        // the idle close and no kill time are test_fight_lost's.)
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
        const QImage shown = f.ScreenImage().copy();
        m.tmrAnimAttack_Timer();
        QVERIFY(!PlayerAlive);
        QVERIFY(!m.tmrAnimAttack->Enabled());
        QCOMPARE(f.ScreenImage(), shown);          // no red flash with Blood off
        QVERIFY(f.tmrScramble->Enabled());
        f.tmrScramble_Timer();
        QVERIFY(f.ScreenImage() != shown);
    }

    void aLinkedFightHasNoClockAndNoBestTime()
    {
        frmMain& m = frmMain::instance();
        m.mnuDisconnect->setVisible(true);
        frmDesktop& f = startFight();
        QVERIFY(!f.WaitingForFirstMove);
        clickAt(f, 500, 500);
        QVERIFY(!m.tmrAnimAttack->Enabled());
        clickAt(f, kEX + 15, kEY + 15);
        QVERIFY(!gEnemy->Alive);
        m.tmrAnimDie->setEnabled(false);
        f.EndFight();
        QTRY_VERIFY(!FightInProgress);
        QCOMPARE(SlowestBestTime, 999999.0f);
    }
};

QTEST_MAIN(TestFight)
#include "test_fight.moc"
