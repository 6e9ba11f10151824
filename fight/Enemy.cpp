#include "fight/Enemy.h"

#include "core/PictureReader.h"
#include "core/modGremlok.h"
#include "core/Logging.h"
#include "fight/ScaledPicture.h"
#include "platform/Raster.h"

#include <algorithm>
#include <cmath>

using platform::Raster::Op;

namespace {

// A sheet larger than this on either side is not a skin anybody drew; refusing it keeps a
// hostile package from making us allocate gigabytes.
constexpr int MaxSheetSide = 8192;

// Shadow: the silhouette offset and how dark it makes the background.
constexpr int ShadowDx = 3;
constexpr int ShadowDy = 2;
constexpr int ShadowAlpha = 64;

// n / d rounded to the nearest whole number, halves to the even neighbour.
int divideRoundHalfEven(int n, int d)
{
    const int q = n / d;
    const int twiceRest = 2 * (n % d);
    if (twiceRest > d || (twiceRest == d && (q % 2) != 0))
        return q + 1;
    return q;
}

// The classic default system colours, by index, as Windows colour values (0x00BBGGRR).
constexpr uint32_t SystemColors[] = {
    0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xD77800, 0xF0F0F0,
};

// A Windows colour value as an RGB colour; a system colour code (high byte 0x80) is
// translated first.
QRgb toRgb(uint32_t clr)
{
    if ((clr >> 24) == 0x80u) {
        const uint32_t index = clr & 0xFFFFu;
        clr = index < std::size(SystemColors) ? SystemColors[index] : 0u;
    }
    return qRgb(int(clr & 0xFFu), int((clr >> 8) & 0xFFu), int((clr >> 16) & 0xFFu));
}

} // namespace

void Enemy::RealizeDestPalette(QImage&)
{
    // Every surface we draw on is true colour; there is no palette to realise.
}

void Enemy::DrawLostSprite(QImage& hdcDest, const QImage& hdcBuffer, int32_t xDest, int32_t yDest, uint8_t Frame)
{
    if (Frame < 1 || Frame > NumDieSprites)
        return;
    DrawSprite(hdcDest, hdcBuffer, xDest, yDest, SpriteWidth, SpriteHeight,
               (Frame - 1) * SpriteWidth, SpriteHeight);
}

void Enemy::DrawAttackSprite(QImage& hdcDest, const QImage& hdcBuffer, int32_t xDest, int32_t yDest, uint8_t Frame)
{
    if (Frame < 1 || Frame > NumAttackSprites)
        return;
    DrawSprite(hdcDest, hdcBuffer, xDest, yDest, SpriteWidth, SpriteHeight,
               (Frame - 1) * SpriteWidth, 0);
}

bool Enemy::IsSpritePixel(bool deathRow, int Frame, int x, int y) const
{
    const int frames = deathRow ? NumDieSprites : NumAttackSprites;
    if (!Loaded() || Frame < 1 || Frame > frames || x < 0 || y < 0 || x >= SpriteWidth || y >= SpriteHeight)
        return false;
    const QPoint p((Frame - 1) * SpriteWidth + x, (deathRow ? SpriteHeight : 0) + y);
    // The mask is black where the sprite is.
    return m_sheetMask.valid(p) && (m_sheetMask.pixel(p) & 0x00FFFFFFu) == 0;
}

bool Enemy::LoadSprites(const QString& FileName, uint8_t NumAttack, uint8_t NumDie, uint32_t clrMask)
{
    // On any failure the enemy is left without a sheet, and draws nothing.
    m_sheetImage = QImage();
    m_sheetMask = QImage();
    m_loadedImage = QImage();
    m_loadedMask = QImage();
    m_scale = 1.0;
    m_shadowDx = ShadowDx;
    m_shadowDy = ShadowDy;
    NumAttackSprites = NumDieSprites = 0;
    SpriteWidth = SpriteHeight = 0;

    const auto reader = modGremlok::OpenPicture(FileName);
    const QSize size = reader->size();
    if (!size.isValid() || size.width() > MaxSheetSide || size.height() > MaxSheetSide)
        return false;
    QImage picture = reader->read();
    if (picture.isNull() || picture.size() != size)
        return false;

    // A row without frames cannot be drawn or cut; such a skin gets one frame per row.
    const uint8_t attack = std::max<uint8_t>(NumAttack, 1);
    const uint8_t die = std::max<uint8_t>(NumDie, 1);
    const int width = divideRoundHalfEven(picture.width(), std::max(attack, die));
    const int height = divideRoundHalfEven(picture.height(), 2);
    if (width < 1 || height < 1)
        return false;

    QImage sheet = picture.convertToFormat(QImage::Format_RGB32);
    m_sheetMask = platform::Raster::ColorToMask(sheet, toRgb(clrMask));
    platform::Raster::Blit(sheet, 0, 0, m_sheetMask, 0, 0, sheet.width(), sheet.height(), Op::AndNot);
    m_sheetImage = sheet;
    m_loadedImage = m_sheetImage;
    m_loadedMask = m_sheetMask;
    m_loadedWidth = width;
    m_loadedHeight = height;

    NumAttackSprites = attack;
    NumDieSprites = die;
    SpriteWidth = int16_t(width);
    SpriteHeight = int16_t(height);
    return true;
}

void Enemy::SetScale(double factor)
{
    if (!(factor > 0) || factor == m_scale || m_loadedImage.isNull())
        return;
    const int w = ScaledPicture::Scaled(m_loadedWidth, factor);
    const int h = ScaledPicture::Scaled(m_loadedHeight, factor);
    // No larger than the largest sheet we load: a huge sheet at a high scale would only eat
    // memory. It is then drawn at the scale it had.
    const int columns = std::max<int>(NumAttackSprites, NumDieSprites);
    if (qint64(w) * columns * h * 2 > qint64(MaxSheetSide) * MaxSheetSide) {
        qCWarning(lcFight) << "The enemy is too large to draw at scale" << factor;
        return;
    }
    // Frame by frame, so that a filter never mixes a frame with its neighbour.
    QImage image = platform::Raster::NewSurface(w * columns, h * 2, 0xFF000000u);
    QImage mask = platform::Raster::NewSurface(w * columns, h * 2, 0xFFFFFFFFu);
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < columns; ++k) {
            const QRect cell(k * m_loadedWidth, row * m_loadedHeight, m_loadedWidth, m_loadedHeight);
            QImage cellImage, cellMask;
            ScaledPicture::ScaleMasked(m_loadedImage.copy(cell), m_loadedMask.copy(cell), QSize(w, h),
                                       cellImage, cellMask);
            platform::Raster::Copy(image, k * w, row * h, cellImage, 0, 0, w, h);
            platform::Raster::Copy(mask, k * w, row * h, cellMask, 0, 0, w, h);
        }
    m_sheetImage = image;
    m_sheetMask = mask;
    m_scale = factor;
    m_shadowDx = int(std::lround(ShadowDx * factor));
    m_shadowDy = int(std::lround(ShadowDy * factor));
    SpriteWidth = int16_t(w);
    SpriteHeight = int16_t(h);
}

void Enemy::DrawSprite(QImage& hdcDest, const QImage& hdcBuffer, int32_t xDest, int32_t yDest,
                       int width, int height, int srcX, int srcY)
{
    if (!Loaded() || width < 1 || height < 1)
        return;
    namespace R = platform::Raster;
    // The frame is composed off-screen over the untouched background patch, then copied to
    // the target in one go, so it never flickers and never keeps traces of the last frame.
    QImage frame = R::NewSurface(width, height);
    R::Copy(frame, 0, 0, hdcBuffer, 0, 0, width, height);

    using namespace modGremlok;
    if (Shadow && (IsWin2000OrLater || IsWin98OrLater) && HighColorDisplay) {
        // The silhouette, offset, darkens a copy of the background; cut at the frame's edges
        // because the copy is only one frame large.
        QImage shadow = frame.copy();
        R::Blit(shadow, m_shadowDx, m_shadowDy, m_sheetMask, srcX, srcY, width, height, Op::And);
        R::AlphaBlend(frame, 0, 0, shadow, 0, 0, width, height, ShadowAlpha);
    }

    R::Blit(frame, 0, 0, m_sheetMask, srcX, srcY, width, height, Op::And);
    R::Blit(frame, 0, 0, m_sheetImage, srcX, srcY, width, height, Op::Or);
    R::Copy(hdcDest, xDest, yDest, frame, 0, 0, width, height);
}
