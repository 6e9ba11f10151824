#pragma once
// Global state and shared routines of the program. Everything runs on the one user-interface
// thread, so none of this needs locking.
#include "core/Lazy.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class QPainter;
class Weapon;
class Enemy;
class SoundEffects;
namespace platform { class SettingsStore; }

namespace modGremlok {

inline const QString AppTitle = QStringLiteral("Gremlok");
inline const QString HelpFile = QStringLiteral("Gremlok.hlp");
inline const QString BaseSkinName = QStringLiteral("Base Skin");
inline const QString SettingsKey = QStringLiteral("Software\\Gremlok\\Settings");
inline const QString ScoresKey = QStringLiteral("Software\\Gremlok\\Scores");

// Shared objects, one each for the whole process.
extern Lazy<Weapon> gWeapon;
extern Lazy<Enemy> gEnemy;
extern Lazy<SoundEffects> gSound;
extern Lazy<platform::SettingsStore> SettingsStore;

// Settings held in memory (loaded at start-up).
extern QString Skin;
extern int32_t TimedFightStart;
extern int16_t TimedFightLength;
extern int32_t MultiplayerFightStart;
extern int16_t MultiplayerFightLength;
extern bool Blood;
extern bool Shadow;
extern bool CenterPointer;
extern uint8_t Pointer;
extern bool Scramble;
extern bool FirstRun;
extern bool AutoAccept;
extern bool AutoUnload;
extern uint8_t AutoUnloadTime;
extern QString Nickname;
extern int16_t AnimationSpeed;
extern uint8_t Difficulty;

// Run-time state.
extern bool OpponentAway;
extern bool IsInitiator;
extern bool DialogOpen;
extern bool MessageBoxOpen;
extern bool PlayerAlive;
extern bool FightInProgress;
extern uint8_t SavedDifficulty;
extern int32_t EnemyX;
extern int32_t EnemyY;
extern int32_t ScreenWidth;
extern int32_t ScreenHeight;
extern bool HighColorDisplay;
extern QString SkinFolder;
extern int16_t AttackInterval;
extern QString OpponentNickname;
extern float SlowestBestTime;
extern bool CommandLineConnect;
extern bool IsWin2000OrLater;
extern bool IsWin98OrLater;
extern int32_t FightTimerId;

// The command line as the runtime gave it (everything after the program name, one string).
extern QString CommandLine;
// The status the process ends with: 1 when a second copy's command line found no running copy
// to answer it, or when a command-line action failed; 0 otherwise.
extern int ExitStatus;

// Start-up: runs the whole sequence and returns; the caller then runs the event loop.
// Returns false when another copy is running and this one must end at once.
bool Main();

// Shared routines owned by this module.
void ReadScreenMetrics();
void DrawEtchedLine(QPainter& dc, int16_t x, int16_t y, int32_t width);
void InitBestTimes();
// The current skin (unless one is loaded already) and the sound object: start-up makes them
// once the tray icon is up, or before a command line is handled.
void LoadSkinAndSound();

// Shared routines defined beside the subsystem that owns them.
void LoadSkin();                                       // skins/
void ScheduleFight(int32_t start, int16_t length, int32_t atLeastMs = 0);   // shell/
void StopFightTimer();                                 // shell/
void FightTimerProc();                                 // shell/
void UpdateTrayStatus();                               // shell/
void ApplyDifficulty(bool FromPeer);                   // core/Difficulty
QString DifficultyName();                              // core/Difficulty
bool HandOverCommandLine();                            // core/CommandLine: false when no copy answered
void ProcessCommandLine(QString& commandLine);         // core/CommandLine
void PlaceEnemy();                                     // fight/
void ShowBalloon(const QString& title, const QString& text, int timeoutMs); // net/

// Folder the program runs from, and the Skins folders it reads packages from.
QString ProgramFolder();

} // namespace modGremlok
