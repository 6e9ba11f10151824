#include "skins/SkinIni.h"

#include <QFile>
#include <QStringDecoder>
#include <QList>

namespace {
const QString Section = QStringLiteral("Skin");
// A skin.ini is a few lines; anything this big is not one.
constexpr qint64 MaxFileBytes = 64 * 1024;
} // namespace

SkinIni::SkinIni(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray raw = file.read(MaxFileBytes);
    // Windows editors save with a byte-order mark, Notepad's "Unicode" as UTF-16; the mark
    // says which. Without one the text is UTF-8. The decoder drops the mark itself.
    QStringDecoder decoder(QStringConverter::encodingForData(raw).value_or(QStringConverter::Utf8));
    m_text = decoder(raw);
}

bool SkinIni::find(const QString& key, QString& value) const
{
    bool inSection = false;
    for (const QStringView rawLine : QStringView(m_text).split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed().toString();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const int close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = name.compare(Section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString v = line.mid(eq + 1).trimmed();
        if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\''))
            && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        value = v;
        return true;
    }
    return false;
}

QString SkinIni::GetString(const QString& key, const QString& def) const
{
    QString value;
    if (!find(key, value))
        value = def;
    return value.left(MaxText);
}

int32_t SkinIni::GetInt(const QString& key, int32_t def) const
{
    QString value;
    if (!find(key, value))
        return def;
    int i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == QLatin1Char('-') || value[i] == QLatin1Char('+')))
        negative = value[i++] == QLatin1Char('-');
    uint32_t n = 0;   // wraps like the 32-bit result of the platform call
    for (; i < value.size() && value[i].isDigit() && value[i].unicode() < 128; ++i)
        n = n * 10u + uint32_t(value[i].unicode() - '0');
    return int32_t(negative ? 0u - n : n);
}

uint32_t SkinIni::ParseMaskColor(const QString& text)
{
    QString hex = text;
    const int hash = hex.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        hex.remove(hash, 1);
    if (hex.isEmpty() || hex.size() > 8)
        return 0;
    uint32_t value = 0;
    for (const QChar c : hex) {
        const int digit = c.unicode() < 128 ? QByteArray("0123456789abcdef").indexOf(char(c.toLower().unicode())) : -1;
        if (digit < 0)
            return 0;
        value = value * 16u + uint32_t(digit);
    }
    return value;
}

uint32_t SkinIni::MaskColor() const
{
    return ParseMaskColor(GetString(QStringLiteral("MaskColor"), QStringLiteral("FFFFFF")));
}

uint8_t SkinIni::NumAttackFrames() const
{
    return uint8_t(GetInt(QStringLiteral("NumAttackFrames"), 7));
}

uint8_t SkinIni::NumDieFrames() const
{
    return uint8_t(GetInt(QStringLiteral("NumDieFrames"), 6));
}

QString SkinIni::Sprites() const
{
    return GetString(QStringLiteral("Sprites"), QStringLiteral("enemy.gif"));
}
