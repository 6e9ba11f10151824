#include "core/modGremlok.h"
#include "shell/frmMain.h"

void frmMain::mnuBeginner_Click() {}
void frmMain::mnuIntermediate_Click() {}
void frmMain::mnuExpert_Click() {}
void frmMain::mnuCustom_Click() {}

namespace modGremlok {
void ApplyDifficulty(bool) {}
QString DifficultyName() { return QStringLiteral("intermediate"); }
} // namespace modGremlok
