#pragma once
// The enemy sprite of the current skin: a two-row sheet (attack row, death row) drawn one
// frame at a time over a saved patch of the desktop, with mask transparency and an optional
// soft shadow.
#include <QImage>
#include <QRgb>
#include <QString>
#include <cstdint>

class Enemy {
public:
    uint8_t NumAttackSprites = 0;
    uint8_t NumDieSprites = 0;
    int16_t SpriteWidth = 0;
    int16_t SpriteHeight = 0;
    bool Alive = false;

    // A true-colour target needs no palette.
    void RealizeDestPalette(QImage& hdcDest);
    // Frame is 1-based; a frame outside 1..NumDieSprites (or NumAttackSprites) draws nothing.
    void DrawLostSprite(QImage& hdcDest, const QImage& hdcBuffer, int32_t xDest, int32_t yDest, uint8_t Frame);
    void DrawAttackSprite(QImage& hdcDest, const QImage& hdcBuffer, int32_t xDest, int32_t yDest, uint8_t Frame);
    // clrMask is a Windows colour value: low byte red, then green, then blue.
    // Returns false when the sheet cannot be used (the enemy then has no sheet): unreadable,
    // over 8192 pixels a side, or too small for one pixel per frame. A count of 0 is taken as 1.
    bool LoadSprites(const QString& FileName, uint8_t NumAttack, uint8_t NumDie, uint32_t clrMask);

    bool Loaded() const { return !m_sheetImage.isNull(); }
    // Draws the frames `factor` times their size on the sheet (a screen's scale factor), so
    // that the enemy keeps its physical size on a high-density screen; SpriteWidth and
    // SpriteHeight, hit tests and the shadow follow. A new sheet starts at 1.
    void SetScale(double factor);
    double Scale() const { return m_scale; }
    // Is (x, y) of the given frame (1-based) a sprite pixel, not a transparent one? False
    // outside the frame, for a frame the row does not have, and without a sheet.
    bool IsSpritePixel(bool deathRow, int Frame, int x, int y) const;

private:
    void DrawSprite(QImage& hdcDest, const QImage& hdcBuffer, int32_t xDest, int32_t yDest,
                    int width, int height, int srcX, int srcY);
    QImage m_sheetImage;   // transparent pixels blackened
    QImage m_sheetMask;    // white where transparent, black where the sprite is
    // The sheet as loaded, and one frame's size in it, for scaling.
    QImage m_loadedImage;
    QImage m_loadedMask;
    int m_loadedWidth = 0;
    int m_loadedHeight = 0;
    double m_scale = 1.0;
    int m_shadowDx = 3;
    int m_shadowDy = 2;
};
