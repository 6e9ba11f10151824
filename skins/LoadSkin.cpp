#include "core/Logging.h"
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

// Reads skin.ini of the working folder and hands its sheet to the enemy. Returns false when
// the enemy is left without a sheet.
bool loadSheet()
{
    const SkinIni ini(SkinFolder + QStringLiteral("skin.ini"));
    const uint32_t mask = ini.MaskColor();
    const uint8_t numAttack = ini.NumAttackFrames();
    const uint8_t numDie = ini.NumDieFrames();
    const QString sprites = ini.Sprites();

    // The sheet must be a file of the working folder, whatever the ini says.
    if (!SkinPaths::IsPlainName(sprites)) {
        qCWarning(lcSkins) << "Skin" << Skin << "names its sheet outside its folder:" << sprites;
        gEnemy->LoadSprites(QString(), numAttack, numDie, mask);   // leaves it without a sheet
        return false;
    }
    if (!gEnemy->LoadSprites(SkinFolder + sprites, numAttack, numDie, mask)) {
        qCWarning(lcSkins) << "Skin" << Skin << "has no usable sheet" << sprites
                           << "(missing, unreadable, too large or too small for its frames)";
        return false;
    }
    return true;
}

} // namespace

void LoadSkin()
{
    if (SkinFolder.isEmpty())
        return;   // nowhere to unpack to; start-up sets it first
    if (!unpackCurrentSkin()) {
        qCWarning(lcSkins) << "Skin package" << Skin << "is missing or does not unpack; using the base skin";
        Skin = BaseSkinName;
        // A broken package may have replaced some base files before it failed: start over
        // so the folder holds the base skin alone.
        unpackCurrentSkin();
    }

    bool loaded = loadSheet();
    if (!loaded && Skin != BaseSkinName) {
        // Without a sheet the enemy is invisible and cannot be hit, yet still attacks: a skin
        // like that is as broken as a package that does not unpack.
        qCWarning(lcSkins) << "Skin" << Skin << "cannot be played; using the base skin";
        Skin = BaseSkinName;
        unpackCurrentSkin();
        loaded = loadSheet();
    }

    frmMain::instance().SetPictureSize(gEnemy->SpriteWidth, gEnemy->SpriteHeight);
    gWeapon->SkinnedPointer = QFileInfo(SkinFolder + Strings::PointerFile).isFile();

    platform::Trace(QStringLiteral("skin"), QStringLiteral("%1 %2x%3 %4").arg(Skin)
        .arg(gEnemy->SpriteWidth).arg(gEnemy->SpriteHeight)
        .arg(loaded ? QStringLiteral("loaded") : QStringLiteral("no-sheet")));
}

} // namespace modGremlok
