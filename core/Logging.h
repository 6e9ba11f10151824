#pragma once
// One logging category per subsystem. All are silent by default; turn them on the usual Qt
// way, for example QT_LOGGING_RULES="gremlok.*=true" or "gremlok.net.warning=true".
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCore)      // gremlok.core: start-up, settings, command line
Q_DECLARE_LOGGING_CATEGORY(lcFight)     // gremlok.fight
Q_DECLARE_LOGGING_CATEGORY(lcShell)     // gremlok.shell: tray, menus, timed fights, exit
Q_DECLARE_LOGGING_CATEGORY(lcNet)       // gremlok.net: the peer link
Q_DECLARE_LOGGING_CATEGORY(lcSkins)     // gremlok.skins
Q_DECLARE_LOGGING_CATEGORY(lcDialogs)   // gremlok.dialogs
Q_DECLARE_LOGGING_CATEGORY(lcSound)     // gremlok.sound
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)  // gremlok.platform: the adapters
Q_DECLARE_LOGGING_CATEGORY(lcHistory)   // gremlok.history: the fight record
