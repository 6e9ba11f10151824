#include "platform/AudioWaveFile.h"

#include <QFile>
#include <QtEndian>
#include <cstring>

namespace platform {

namespace {

constexpr uint16_t kPcm = 1;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kExtensible = 0xFFFE;
// A sane file states its format well within this many bytes, so a probe never reads a whole
// long file.
constexpr qint64 kHeaderLimit = 64 * 1024;

uint16_t le16(const char* p) { return qFromLittleEndian<uint16_t>(p); }
uint32_t le32(const char* p) { return qFromLittleEndian<uint32_t>(p); }

bool fail(QString* why, const char* text)
{
    if (why)
        *why = QString::fromLatin1(text);
    return false;
}

} // namespace

bool AudioWaveFile::Probe(const QString& path, AudioWaveFile& out, QString* why)
{
    QFile file(path);
    if (!file.exists())
        return fail(why, "file not found");
    if (!file.open(QIODevice::ReadOnly))
        return fail(why, "file not readable");
    return Parse(file.read(kHeaderLimit), out, why);
}

bool AudioWaveFile::Parse(const QByteArray& bytes, AudioWaveFile& out, QString* why)
{
    const char* p = bytes.constData();
    const qint64 n = bytes.size();
    if (n < 12 || memcmp(p, "RIFF", 4) != 0 || memcmp(p + 8, "WAVE", 4) != 0)
        return fail(why, "not a RIFF/WAVE file");

    AudioWaveFile w;
    bool haveFormat = false, haveData = false;
    qint64 at = 12;
    while (at + 8 <= n) {
        const char* chunk = p + at;
        const uint32_t chunkSize = le32(chunk + 4);
        const qint64 body = at + 8;
        if (memcmp(chunk, "fmt ", 4) == 0) {
            if (chunkSize < 16 || body + 16 > n)
                return fail(why, "format chunk cut short");
            w.Format = le16(p + body);
            w.Channels = le16(p + body + 2);
            w.SampleRate = le32(p + body + 4);
            w.BlockAlign = le16(p + body + 12);
            w.BitsPerSample = le16(p + body + 14);
            if (w.Format == kExtensible) {
                if (chunkSize < 40 || body + 40 > n)
                    return fail(why, "extensible format chunk cut short");
                w.Format = le16(p + body + 24);
            }
            w.FormatOffset = at;
            w.FormatSize = 8 + qint64(chunkSize);
            if (at + w.FormatSize > n)
                return fail(why, "format chunk cut short");
            haveFormat = true;
        } else if (memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return fail(why, "sound data before its format");
            w.DataOffset = body;
            w.DataBytes = qMin<qint64>(chunkSize, n - body);
            haveData = true;
            break;
        }
        // Chunks are padded to an even size.
        at = body + qint64(chunkSize) + (chunkSize & 1);
    }
    if (!haveFormat)
        return fail(why, "no format chunk");
    if (!haveData)
        return fail(why, "no sound data");

    const bool pcm = w.Format == kPcm && (w.BitsPerSample == 8 || w.BitsPerSample == 16 || w.BitsPerSample == 32);
    const bool flt = w.Format == kFloat && w.BitsPerSample == 32;
    if (!pcm && !flt)
        return fail(why, "unsupported encoding");
    if (w.Channels < 1 || w.Channels > 8 || w.SampleRate < 1000 || w.SampleRate > 384000)
        return fail(why, "implausible channel count or sample rate");
    if (w.BlockAlign != w.Channels * (w.BitsPerSample / 8))
        return fail(why, "inconsistent frame size");
    w.DataBytes -= w.DataBytes % w.BlockAlign;
    if (w.DataBytes == 0)
        return fail(why, "no sound data");
    out = w;
    return true;
}

QByteArray AudioWaveFile::WithSilence(const QByteArray& bytes, int silenceMs) const
{
    if (DataBytes <= 0 || DataOffset + DataBytes > bytes.size() || FormatOffset + FormatSize > bytes.size())
        return QByteArray();
    const qint64 silence = qint64(SampleRate) * qMax(0, silenceMs) / 1000 * BlockAlign;
    const qint64 dataSize = DataBytes + silence;
    const qint64 formatPad = FormatSize & 1;   // chunks start at even offsets
    QByteArray out;
    out.reserve(int(12 + FormatSize + formatPad + 8 + dataSize));
    char word[4];
    out.append("RIFF", 4);
    qToLittleEndian<uint32_t>(uint32_t(4 + FormatSize + formatPad + 8 + dataSize), word);
    out.append(word, 4);
    out.append("WAVE", 4);
    out.append(bytes.constData() + FormatOffset, int(FormatSize));
    if (formatPad)
        out.append('\0');
    out.append("data", 4);
    qToLittleEndian<uint32_t>(uint32_t(dataSize), word);
    out.append(word, 4);
    out.append(bytes.constData() + DataOffset, int(DataBytes));
    // 8-bit samples are unsigned, silence sits at their middle.
    out.append(int(silence), BitsPerSample == 8 ? char(0x80) : char(0));
    return out;
}

} // namespace platform
