#include "core/modGremlok.h"
#include "core/Logging.h"
#include "core/Strings.h"

#include "dialogs/frmTip.h"
#include "fight/Enemy.h"
#include "fight/ScreenPointer.h"
#include "fight/Weapon.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "platform/SysInfo.h"
#include "platform/System.h"
#include "platform/vbTrayIcon.h"
#include "shell/NoTrayCheck.h"
#include "shell/frmMain.h"
#include "sound/SoundEffects.h"

#include <QCoreApplication>
#include <QTimer>
#include <QDir>
#include <QPainter>
#include <QPalette>

namespace modGremlok {

Lazy<Weapon> gWeapon;
Lazy<Enemy> gEnemy;
Lazy<SoundEffects> gSound;
Lazy<platform::SettingsStore> SettingsStore;

QString Skin;
int32_t TimedFightStart = 0;
int16_t TimedFightLength = 0;
int32_t MultiplayerFightStart = 0;
int16_t MultiplayerFightLength = 0;
bool Blood = false;
bool Shadow = false;
bool CenterPointer = false;
uint8_t Pointer = 0;
bool Scramble = false;
bool FirstRun = false;
bool AutoAccept = false;
bool AutoUnload = false;
uint8_t AutoUnloadTime = 0;
QString Nickname;
int16_t AnimationSpeed = 0;
uint8_t Difficulty = 0;

bool OpponentAway = false;
bool IsInitiator = false;
bool DialogOpen = false;
bool MessageBoxOpen = false;
bool PlayerAlive = false;
bool FightInProgress = false;
uint8_t SavedDifficulty = 0;
int32_t EnemyX = 0;
int32_t EnemyY = 0;
int32_t ScreenWidth = 0;
int32_t ScreenHeight = 0;
bool HighColorDisplay = false;
QString SkinFolder;
int16_t AttackInterval = 0;
QString OpponentNickname;
float SlowestBestTime = 0.0f;
bool CommandLineConnect = false;
bool IsWin2000OrLater = false;
bool IsWin98OrLater = false;
int32_t FightTimerId = 0;

QString CommandLine;
int ExitStatus = 0;

namespace {
constexpr int kMaxUserName = 17;
constexpr int16_t kDefaultAnimationSpeed = 45;
}

QString ProgramFolder()
{
    return QCoreApplication::applicationDirPath();
}

bool Main()
{
    // 1. Another copy running: hand it the command line, then end silently.
    auto instance = std::make_unique<platform::SingleInstance>(platform::PrivateRuntimeFolder());
    if (!instance->claim()) {
        instance.reset();
        if (!CommandLine.trimmed().isEmpty())
            ExitStatus = HandOverCommandLine() ? 0 : 1;
        return false;
    }

    // 2. The hidden main window and the tray icon.
    frmMain& main = frmMain::instance();
    main.Instance = std::move(instance);
    main.Instance->onCommandLine = [](const QString& line) {
        frmMain& m = frmMain::instance();
        m.cmdProcessMsg->setText(line);
        m.cmdProcessMsg_Click();
    };
    main.SysTray->setIcon(QIcon(main.IconList.ListImage(1).Picture));
    main.SysTray->setToolTip(AppTitle);
    main.SysTray->setVisible(true);
    // To the panel now, not when the event loop first waits: the panel takes the icon in while
    // the rest of start-up runs.
    platform::FlushWindowSystem();
    NoTrayCheck::Start();

    // 3. and 4.
    platform::VersionFlags(IsWin2000OrLater, IsWin98OrLater);
    ReadScreenMetrics();

    // 5. The private working folder of the current skin.
    SkinFolder = platform::PrivateRuntimeFolder() + QStringLiteral("/simskin.tmp/");

    // 6. to 21. Settings; a read that fails keeps the global's value and start-up goes on.
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    reg.ReadString(key, QStringLiteral("Skin"), BaseSkinName, Skin);
    // The skin and the sound output are made once the icon is in the tray (the end of this
    // routine); the two sound settings are kept for the moment the sound object is made.
    reg.ReadInt32(key, QStringLiteral("TimedFightStart"), 300, TimedFightStart);
    reg.ReadInt16(key, QStringLiteral("TimedFightLength"), 300, TimedFightLength);
    reg.ReadInt32(key, QStringLiteral("MultiplayerFightStart"), 300, MultiplayerFightStart);
    reg.ReadInt16(key, QStringLiteral("MultiplayerFightLength"), 300, MultiplayerFightLength);
    bool flag = false;
    bool sound = false, directSound = false;
    const bool soundRead = reg.ReadBool(key, QStringLiteral("Sound"), true, sound);
    const bool directSoundRead = reg.ReadBool(key, QStringLiteral("DirectSound"), true, directSound);
    gSound.setUpWhenCreated([=](SoundEffects& s) {
        if (soundRead)
            s.setSoundEnabled(sound);
        if (directSoundRead)
            s.setDirectSound(directSound);
    });
    reg.ReadBool(key, QStringLiteral("Blood"), true, Blood);
    reg.ReadBool(key, QStringLiteral("Shadow"), false, Shadow);
    reg.ReadBool(key, QStringLiteral("CenterPointer"), true, CenterPointer);
    reg.ReadByte(key, QStringLiteral("Pointer"), 1, Pointer);
    reg.ReadBool(key, QStringLiteral("Scramble"), true, Scramble);
    reg.ReadBool(key, QStringLiteral("FirstRun"), true, FirstRun);
    reg.ReadBool(key, QStringLiteral("AutoAccept"), false, AutoAccept);
    reg.ReadBool(key, QStringLiteral("AutoUnload"), false, AutoUnload);
    reg.ReadByte(key, QStringLiteral("AutoUnloadTime"), 5, AutoUnloadTime);

    if (FirstRun) {
        reg.SetValue(key, QStringLiteral("FirstRun"), false);
        const QString user = platform::UserName();
        reg.SetValue(key, QStringLiteral("Nickname"), user.size() <= kMaxUserName ? user : QString());
    }
    reg.ReadString(key, QStringLiteral("Nickname"), QString(), Nickname);

    // A timer of 0 ms never ticks here: the enemy would stand still and a death animation
    // would never end (and a fight cannot be closed while it runs). Below 1 counts as 1, as
    // the difficulty intervals do; a value that does not convert as the default.
    if (!reg.ReadInt16(key, QStringLiteral("AnimationSpeed"), kDefaultAnimationSpeed, AnimationSpeed)) {
        qCWarning(lcCore) << "AnimationSpeed does not convert; using" << kDefaultAnimationSpeed;
        AnimationSpeed = kDefaultAnimationSpeed;
    } else if (AnimationSpeed < 1) {
        qCWarning(lcCore) << "AnimationSpeed" << AnimationSpeed << "would stop the animation; using 1";
        AnimationSpeed = 1;
    }
    main.tmrAnimAttack->setInterval(AnimationSpeed);
    main.tmrAnimDie->setInterval(AnimationSpeed);
    // An unknown level would show one level's check mark while fights play another, and be
    // written back at exit: the default level instead, with its check mark.
    if (!reg.ReadByte(key, QStringLiteral("Difficulty"), 1, Difficulty) || Difficulty < 1 || Difficulty > 4) {
        qCWarning(lcCore) << "Difficulty is not a level from 1 to 4; using beginner";
        Difficulty = 1;
    }
    ApplyDifficulty(false);

    main.tmrSysTrayLeftButton->setInterval(platform::SysInfo::DoubleClickTime());
    main.SysTray->setEnabled(true);

    if (reg.ReadBool(key, QStringLiteral("TimedFight"), false, flag) && flag)
        main.mnuTimedFight_Click();
    if (reg.ReadBool(key, QStringLiteral("Listen"), false, flag) && flag)
        main.mnuListen_Click();

    DialogOpen = false;
    MessageBoxOpen = false;
    if (!CommandLine.trimmed().isEmpty()) {
        // A command line may install a skin, or wait in a message box while events run: the
        // skin and the sound are there before it, as at every start before.
        LoadSkinAndSound();
        QString commandLine = CommandLine;
        ProcessCommandLine(commandLine);
        // A failed command-line action has run Exit: the settings store and the icon are gone,
        // and the process ends as soon as the event loop runs.
        if (!main.SysTray)
            return true;
    }

    const bool showTip = reg.ReadBool(key, QStringLiteral("QuickHelp"), true, flag) && flag;
    reg.CloseKey(key);

    // 22. The best-times table exists from the first start on.
    const int32_t scores = reg.OpenKey(platform::HKEY_CURRENT_USER, ScoresKey, 0);
    if (!reg.ReadFloat(scores, QStringLiteral("Score5"), -1.0f, SlowestBestTime)) {
        // Left at 0, no kill would ever enter the table again. The sort already takes an
        // unreadable score as the default table's time; so does the threshold. The table
        // itself stays: its other entries may be good.
        qCWarning(lcCore) << "The fifth best time does not convert; it counts as 999999";
        SlowestBestTime = 999999.0f;
    } else if (SlowestBestTime == -1.0f) {
        InitBestTimes();
    }
    reg.CloseKey(scores);

    // What a fight or the tip needs is made in the event loop's first turn, after the icon.
    QTimer::singleShot(0, qApp, [showTip] {
        if (!frmMain::isLoaded() || !frmMain::instance().SysTray)
            return;   // already gone (an exit in between)
        LoadSkinAndSound();
        if (showTip)
            ShowTipWindow();
    });
    return true;
}

void LoadSkinAndSound()
{
    // Once: a skin installed from the command line has loaded itself (and made the enemy).
    if (!gEnemy)
        LoadSkin();
    gSound.get();
}

void ReadScreenMetrics()
{
    // The screen the fights cover (the one under the pointer when the last fight began).
    const platform::ScreenMetrics m = platform::ReadScreen(ScreenPointer::Screen());
    ScreenWidth = m.Width;
    ScreenHeight = m.Height;
    HighColorDisplay = m.HighColor;
}

void DrawEtchedLine(QPainter& dc, int16_t x, int16_t y, int32_t width)
{
    // An etched edge: a shadow line with a highlight line under it.
    const QPalette pal;
    dc.save();
    dc.setPen(pal.color(QPalette::Dark));
    dc.drawLine(x, y, x + width - 1, y);
    dc.setPen(pal.color(QPalette::Light));
    dc.drawLine(x, y + 1, x + width - 1, y + 1);
    dc.restore();
}

void InitBestTimes()
{
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, ScoresKey, 0);
    for (int i = 1; i <= 5; ++i) {
        reg.SetValue(key, QStringLiteral("Name%1").arg(i), Strings::Anonymous);
        reg.SetValue(key, QStringLiteral("Score%1").arg(i), 999999);
    }
    reg.CloseKey(key);
    SlowestBestTime = 999999.0f;
}

} // namespace modGremlok
