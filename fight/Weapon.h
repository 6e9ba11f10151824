#pragma once
// The player's gun: six rounds per fight, a kick of the pointer after every shot, and the
// marks shots leave on the frozen desktop (a splat that settles into a bullet hole 33 ms after
// a miss, a blood splash on a hit).
#include <QImage>
#include <cstdint>

class DrawTarget;

class Weapon {
public:
    Weapon();

    // The current skin brings its own pointer file.
    bool SkinnedPointer = false;

    uint8_t BulletsFired() const { return uint8_t(6 - m_bulletsLeft); }
    bool IsEmpty() const { return m_bulletsLeft == 0; }
    void Reload();
    // A settled hole centred on (x, y) of another image (the patch under the enemy).
    void DrawPictureHole(QImage& destObject, int32_t x, int32_t y) const;
    // A shot that missed / hit at (x, y) of the fight's target. The caller checks IsEmpty first;
    // a shot with an empty gun does nothing here.
    void FireMiss(DrawTarget& DestForm, int32_t x, int32_t y);
    void FireHit(DrawTarget& DestForm, int32_t x, int32_t y);
    // Settles the newest splat into a bullet hole (33 ms after the miss).
    void DrawHole(DrawTarget& DestForm);
    bool HasFired() const { return m_bulletsLeft != 6; }

    uint8_t BulletsLeft() const { return m_bulletsLeft; }
    uint8_t HitCount() const { return m_hitCount; }
    uint8_t HolesSettled() const { return m_holesSettled; }
    int16_t HoleWidth() const { return m_holeWidth; }
    int16_t HoleHeight() const { return m_holeHeight; }

    struct HoleSlot {
        int32_t x = -1;     // -1: empty
        int32_t y = -1;
        QImage Patch;       // the screen under the splat, until it settles
    };
    // Slots 1..6; any other index yields an empty slot.
    const HoleSlot& Slot(int index) const;

    // The six pictures: 1 HoleMask, 2 HoleImage, 3 FlashMask, 4 FlashImage, 5 BloodMask,
    // 6 BloodImage. Masks are white where transparent and black where drawn.
    static const QImage& Picture(int resource);

    // Draws the marks and kicks the pointer `factor` times their size (a screen's scale
    // factor), so that they keep their physical size on a high-density screen.
    void SetScale(double factor);
    double Scale() const { return m_scale; }
    // The picture as this weapon draws it now (at its scale).
    const QImage& Drawn(int resource) const;

    // Settle delay of a miss's splat.
    static constexpr int HoleDelayMs = 33;

private:
    void Recoil(int32_t x, int32_t y);
    static void DrawPicture(QImage& dest, int left, int top, const QImage& mask, const QImage& image);

    uint8_t m_bulletsLeft = 6;
    uint8_t m_hitCount = 0;
    uint8_t m_holesSettled = 0;
    int16_t m_holeWidth = 12;
    int16_t m_holeHeight = 12;
    HoleSlot m_slots[7];    // index 0 unused
    double m_scale = 1.0;
    QImage m_drawn[7];      // the six pictures at m_scale; index 0 unused
};

// The settle timer's callback: settles the newest splat if a fight is still open.
void HoleTimerProc();
