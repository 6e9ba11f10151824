#include "core/Logging.h"

// Critical as the default threshold: warnings and below stay quiet until a rule enables them.
Q_LOGGING_CATEGORY(lcCore, "gremlok.core", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcFight, "gremlok.fight", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcShell, "gremlok.shell", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcNet, "gremlok.net", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcSkins, "gremlok.skins", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcDialogs, "gremlok.dialogs", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcSound, "gremlok.sound", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcPlatform, "gremlok.platform", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcHistory, "gremlok.history", QtCriticalMsg)
