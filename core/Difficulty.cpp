#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "shell/frmMain.h"

using namespace modGremlok;

namespace {

// The peer mark on a fixed level's item: set only while a level received from the peer is
// being applied, so that it is not sent back.
const QString FromPeerMark = QStringLiteral("True");

// Steps shared by the three fixed levels: the check mark, the attack interval read afresh
// from the settings, and the message to a connected peer.
void chooseFixedLevel(frmMain& main, uint8_t level, QAction* item, const QString& valueName, int16_t def)
{
    Difficulty = level;
    for (QAction* a : {main.mnuBeginner, main.mnuIntermediate, main.mnuExpert, main.mnuCustom})
        a->setChecked(a == item);

    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
    int16_t interval = AttackInterval;
    if (reg.ReadInt16(key, valueName, def, interval))
        // An interval of 0 or less would stop the attack timer for good: the enemy would
        // never shoot. Treat it as "as fast as possible", like the expert default.
        AttackInterval = interval < 1 ? int16_t(1) : interval;
    reg.CloseKey(key);

    if (main.mnuDisconnect->isVisible() && frmMain::Tag(item).isEmpty())
        main.SendPeerMessage(QStringLiteral("Difficulty:") + QString::number(Difficulty));
}

} // namespace

void frmMain::mnuBeginner_Click()
{
    chooseFixedLevel(*this, 1, mnuBeginner, QStringLiteral("Beginner"), 600);
}

void frmMain::mnuIntermediate_Click()
{
    chooseFixedLevel(*this, 2, mnuIntermediate, QStringLiteral("Intermediate"), 500);
}

void frmMain::mnuExpert_Click()
{
    chooseFixedLevel(*this, 3, mnuExpert, QStringLiteral("Expert"), 1);
}

void frmMain::mnuCustom_Click()
{
    // The interval is drawn at every fight start; nothing to read or send here.
    Difficulty = 4;
    mnuBeginner->setChecked(false);
    mnuIntermediate->setChecked(false);
    mnuExpert->setChecked(false);
    mnuCustom->setChecked(true);
}

namespace modGremlok {

void ApplyDifficulty(bool FromPeer)
{
    frmMain& main = frmMain::instance();
    QAction* item = nullptr;
    void (frmMain::*handler)() = nullptr;
    switch (Difficulty) {
    case 1: item = main.mnuBeginner; handler = &frmMain::mnuBeginner_Click; break;
    case 2: item = main.mnuIntermediate; handler = &frmMain::mnuIntermediate_Click; break;
    case 3: item = main.mnuExpert; handler = &frmMain::mnuExpert_Click; break;
    case 4: main.mnuCustom_Click(); return;
    default: return;
    }
    if (FromPeer)
        frmMain::SetTag(item, FromPeerMark);
    (main.*handler)();
    if (FromPeer)
        frmMain::SetTag(item, QString());
}

QString DifficultyName()
{
    switch (Difficulty) {
    case 1: return QStringLiteral("beginner");
    case 2: return QStringLiteral("intermediate");
    case 3: return QStringLiteral("expert");
    default:
        Difficulty = 2;
        ApplyDifficulty(false);
        return QStringLiteral("intermediate");
    }
}

} // namespace modGremlok
