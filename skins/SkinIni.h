#pragma once
// Reads a skin's "skin.ini" the way the Windows profile calls read it: section and key names
// without regard to case, the first matching key wins, values trimmed of blanks and of one
// pair of surrounding quotes, text values cut to 127 characters. The text is read as UTF-8,
// the encoding of file names here, or as the byte-order mark in front of it says.
#include <QString>
#include <cstdint>

class SkinIni {
public:
    static constexpr int MaxText = 127;

    // A missing or unreadable file behaves as an empty one: every key takes its default.
    explicit SkinIni(const QString& path);

    // A text value, or `def` when the key is absent (a key with an empty value gives "").
    QString GetString(const QString& key, const QString& def) const;
    // A whole number read like atoi (leading blanks, a sign, digits; anything else stops the
    // number, no digits gives 0), or `def` when the key is absent.
    int32_t GetInt(const QString& key, int32_t def) const;

    // The four keys of the "Skin" section with their defaults and conversions.
    uint32_t MaskColor() const;        // a Windows colour value: low byte red
    uint8_t NumAttackFrames() const;   // low 8 bits of the number
    uint8_t NumDieFrames() const;
    QString Sprites() const;

    // "#" removed once, then read as up to eight hexadecimal digits; anything else is 0.
    static uint32_t ParseMaskColor(const QString& text);

private:
    bool find(const QString& key, QString& value) const;
    QString m_text;
};
