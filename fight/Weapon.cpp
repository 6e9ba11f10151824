#include "fight/Weapon.h"

#include "core/modGremlok.h"
#include "fight/DrawTarget.h"
#include "fight/Rounding.h"
#include "fight/ScaledPicture.h"
#include "fight/ScreenPointer.h"
#include "fight/frmDesktop.h"
#include "platform/PreciseTimer.h"
#include "platform/Raster.h"
#include "sound/SoundEffects.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTimer>
#include <cmath>

using namespace modGremlok;
namespace R = platform::Raster;

namespace {

// The pictures as they appear on screen, top row first; '.' is transparent.
const char* const kFlash[12] = {
    "....K..K....", ".K........K.", "..K.GKG.....", "...GGGGGGK..",
    "..KGGGGGG..K", "K.GGGKKGGG..", "..GGGKKGGGK.", "...GGGGGG..K",
    ".K.KGGGGK...", "....GKGK....", ".........R..", "....K..K....",
};
const char* const kHole[12] = {
    "............", "............", "............", ".......K....",
    ".....KKKK...", ".....KKK....", "....KKKKK...", ".....K..K...",
    "............", "............", "............", "............",
};
const char* const kBlood[9] = {
    "A....A..", "........", ".A.E....", "..DAB...", "..FAAB..",
    "...BAD.A", ".AA.F...", "..A...A.", "......AA",
};

QRgb colourOf(char c)
{
    switch (c) {
    case 'G': return qRgb(239, 239, 239);
    case 'R': return qRgb(255, 0, 0);
    case 'A': return qRgb(198, 24, 8);
    case 'B': return qRgb(181, 57, 41);
    case 'F': return qRgb(206, 90, 49);
    case 'D': return qRgb(206, 99, 57);
    case 'E': return qRgb(206, 115, 57);
    default: return qRgb(0, 0, 0);  // 'K'
    }
}

// Mask (white transparent, black drawn) and image (black outside the mask) from a grid.
void fromGrid(const char* const* rows, int w, int h, QImage& mask, QImage& image)
{
    mask = R::NewSurface(w, h, 0xFFFFFFFFu);
    image = R::NewSurface(w, h, 0xFF000000u);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (rows[y][x] != '.') {
                mask.setPixel(x, y, 0xFF000000u);
                image.setPixel(x, y, colourOf(rows[y][x]));
            }
}

struct Pictures {
    QImage pic[7];
    Pictures()
    {
        fromGrid(kHole, 12, 12, pic[1], pic[2]);
        fromGrid(kFlash, 12, 12, pic[3], pic[4]);
        fromGrid(kBlood, 8, 9, pic[5], pic[6]);
    }
};

const Pictures& pictures()
{
    static const Pictures p;
    return p;
}

} // namespace

const QImage& Weapon::Picture(int resource)
{
    static const QImage none;
    return resource >= 1 && resource <= 6 ? pictures().pic[resource] : none;
}

Weapon::Weapon()
{
    for (int i = 1; i <= 6; ++i)
        m_drawn[i] = Picture(i);
    const QImage& hole = Picture(2);
    m_holeWidth = int16_t(hole.width());
    m_holeHeight = int16_t(hole.height());
    Reload();
}

const QImage& Weapon::Drawn(int resource) const
{
    static const QImage none;
    return resource >= 1 && resource <= 6 ? m_drawn[resource] : none;
}

void Weapon::SetScale(double factor)
{
    // Not while a splat waits to settle: its saved patch has the old size.
    if (!(factor > 0) || factor > 16 || factor == m_scale || HasFired())
        return;
    m_scale = factor;
    for (int i = 1; i <= 5; i += 2) {
        const QImage& mask = Picture(i);
        const QSize size(ScaledPicture::Scaled(mask.width(), factor), ScaledPicture::Scaled(mask.height(), factor));
        ScaledPicture::ScaleMasked(Picture(i + 1), mask, size, m_drawn[i + 1], m_drawn[i]);
    }
    m_holeWidth = int16_t(m_drawn[2].width());
    m_holeHeight = int16_t(m_drawn[2].height());
}

const Weapon::HoleSlot& Weapon::Slot(int index) const
{
    static const HoleSlot empty;
    return index >= 1 && index <= 6 ? m_slots[index] : empty;
}

void Weapon::Reload()
{
    m_holesSettled = 0;
    m_bulletsLeft = 6;
    m_hitCount = 0;
    for (HoleSlot& s : m_slots)
        s = HoleSlot();
}

void Weapon::DrawPicture(QImage& dest, int left, int top, const QImage& mask, const QImage& image)
{
    R::Blit(dest, left, top, mask, 0, 0, mask.width(), mask.height(), R::Op::And);
    R::Blit(dest, left, top, image, 0, 0, image.width(), image.height(), R::Op::Or);
}

void Weapon::DrawPictureHole(QImage& destObject, int32_t x, int32_t y) const
{
    const int left = RoundEven(x - m_holeWidth / 2.0);
    const int top = RoundEven(y - m_holeHeight / 2.0);
    DrawPicture(destObject, left, top, Drawn(1), Drawn(2));
}

void Weapon::Recoil(int32_t x, int32_t y)
{
    gSound->Play(SoundEffects::UserShot);
    QRandomGenerator* rng = QRandomGenerator::global();
    const int side = int(2 * rng->generateDouble() + 1);
    // Device pixels: as far on a high-density screen as on a normal one.
    const int kickX = int(std::lround(int(10 * rng->generateDouble() + 1) * m_scale));
    const int kickY = int(std::lround(int(20 * rng->generateDouble() + 1) * m_scale));
    const int toX = side == 1 ? x - kickX : x + kickX;
    const int toY = y - kickY;
    // Where the pointer cannot be moved (Wayland) the kick is drawn instead.
    if (!ScreenPointer::SetPos(toX, toY))
        if (frmDesktop* fight = frmDesktop::existing())
            fight->DrawRecoil(toX - x, toY - y);
}

void Weapon::FireMiss(DrawTarget& DestForm, int32_t x, int32_t y)
{
    const int n = m_bulletsLeft;
    if (n < 1 || n > 6)
        return;
    HoleSlot& slot = m_slots[n];
    slot.x = x;
    slot.y = y;
    const int left = RoundEven(x - m_holeWidth / 2.0);
    const int top = RoundEven(y - m_holeHeight / 2.0);
    Recoil(x, y);

    QImage& dest = DestForm.Surface();
    slot.Patch = R::NewSurface(m_holeWidth, m_holeHeight);
    R::Copy(slot.Patch, 0, 0, dest, left, top, m_holeWidth, m_holeHeight);
    DrawPicture(dest, left, top, Drawn(3), Drawn(4));
    DestForm.Flush(QRect(left, top, m_holeWidth, m_holeHeight));
    m_bulletsLeft = uint8_t(n - 1);

    // The settle timer belongs to the fight window it draws on and goes with it: left over, it
    // would settle a splat of the next fight too early and leave that fight's own unsettled.
    QObject* fight = dynamic_cast<QObject*>(&DestForm);
    if (!fight)
        fight = QCoreApplication::instance();
    if (fight)
        platform::PreciseTimer::singleShot(HoleDelayMs, fight, &HoleTimerProc);
}

void Weapon::DrawHole(DrawTarget& DestForm)
{
    const int s = 6 - m_holesSettled - m_hitCount;
    if (s < 1 || s > 6 || m_slots[s].x == -1) {
        // A hit came in between: that miss's splat stays as it is.
        ++m_holesSettled;
        return;
    }
    HoleSlot& slot = m_slots[s];
    const int left = RoundEven(slot.x - m_holeWidth / 2.0);
    const int top = RoundEven(slot.y - m_holeHeight / 2.0);
    QImage& dest = DestForm.Surface();
    R::Copy(dest, left, top, slot.Patch, 0, 0, m_holeWidth, m_holeHeight);
    DrawPicture(dest, left, top, Drawn(1), Drawn(2));
    DestForm.Flush(QRect(left, top, m_holeWidth, m_holeHeight));
    slot.Patch = QImage();
    ++m_holesSettled;
}

void Weapon::FireHit(DrawTarget& DestForm, int32_t x, int32_t y)
{
    if (m_bulletsLeft == 0)
        return;
    const QImage& blood = Drawn(6);
    const int w = blood.width();
    const int h = blood.height();
    const int left = RoundEven(x - w / 2.0);
    const int top = RoundEven(y - h / 2.0);
    Recoil(x, y);
    --m_bulletsLeft;
    ++m_hitCount;
    DrawPicture(DestForm.Surface(), left, top, Drawn(5), blood);
    DestForm.Flush(QRect(left, top, w, h));
}

void HoleTimerProc()
{
    if (!FightInProgress)
        return;
    // Once the fight is ending the window shows the plain snapshot again: no late marks.
    if (frmDesktop* form = frmDesktop::existing(); form && !form->AutoRedraw)
        gWeapon->DrawHole(*form);
}
