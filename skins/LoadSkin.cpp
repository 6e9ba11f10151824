#include "core/modGremlok.h"
#include "core/Strings.h"
#include "fight/Enemy.h"
#include "fight/Weapon.h"
#include "platform/Trace.h"
#include "shell/frmMain.h"
#include "skins/SkinIni.h"
#include "skins/SkinPaths.h"
#include "skins/modSkinZip.h"

#include <QDir>
#include <QFileInfo>

namespace modGremlok {

namespace {

// The working folder always belongs to one skin: cleared, then the base skin, then the
// chosen one over it. Returns false when the chosen package could not be unpacked.
bool unpackCurrentSkin()
{
    SkinPaths::ClearSkinFolder();
    modSkinZip::UnzipSkin(SkinPaths::FindPackage(BaseSkinName), SkinFolder);
    if (Skin == BaseSkinName)
        return true;
    return modSkinZip::UnzipSkin(SkinPaths::FindPackage(Skin), SkinFolder);
}

} // namespace

void LoadSkin()
{
    if (SkinFolder.isEmpty())
        return;   // nowhere to unpack to; start-up sets it first
    if (!unpackCurrentSkin()) {
        Skin = BaseSkinName;
        // A broken package may have replaced some base files before it failed: start over
        // so the folder holds the base skin alone.
        unpackCurrentSkin();
    }

    const SkinIni ini(SkinFolder + QStringLiteral("skin.ini"));
    const uint32_t mask = ini.MaskColor();
    const uint8_t numAttack = ini.NumAttackFrames();
    const uint8_t numDie = ini.NumDieFrames();
    const QString sprites = ini.Sprites();

    // The sheet must be a file of the working folder, whatever the ini says.
    const bool plainName = SkinPaths::IsPlainName(sprites);
    const bool loaded = plainName && gEnemy->LoadSprites(SkinFolder + sprites, numAttack, numDie, mask);
    if (!plainName)
        gEnemy->LoadSprites(QString(), numAttack, numDie, mask);   // leaves it without a sheet

    frmMain::instance().SetPictureSize(gEnemy->SpriteWidth, gEnemy->SpriteHeight);
    gWeapon->SkinnedPointer = QFileInfo(SkinFolder + Strings::PointerFile).isFile();

    platform::Trace(QStringLiteral("skin"), QStringLiteral("%1 %2x%3 %4").arg(Skin)
        .arg(gEnemy->SpriteWidth).arg(gEnemy->SpriteHeight)
        .arg(loaded ? QStringLiteral("loaded") : QStringLiteral("no-sheet")));
}

} // namespace modGremlok
