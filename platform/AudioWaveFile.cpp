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
// No skin sound comes near this; a bigger file is refused rather than read into memory.
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;

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

namespace {

// One sample of the file as a signed 16-bit value.
int sampleAt(const char* p, uint16_t format, uint16_t bits)
{
    switch (bits) {
    case 8:
        return (int(uint8_t(*p)) - 128) * 256;   // 8-bit samples are unsigned
    case 16:
        return qFromLittleEndian<int16_t>(p);
    default:
        if (format == kFloat) {
            float f;
            const uint32_t raw = le32(p);
            memcpy(&f, &raw, sizeof f);
            if (!(f == f))
                return 0;   // not a number
            return int(qBound(-1.0f, f, 1.0f) * 32767.0f);
        }
        return qFromLittleEndian<int32_t>(p) >> 16;
    }
}

} // namespace

bool AudioWaveFile::Decode(const QByteArray& bytes, AudioPcm& out, QString* why) const
{
    if (BlockAlign == 0 || SampleRate == 0 || DataBytes <= 0 || DataOffset < 0
        || DataOffset + DataBytes > bytes.size())
        return fail(why, "the sound data does not fit the file");
    const int64_t inFrames = DataBytes / BlockAlign;
    if (inFrames * 1000 / SampleRate > MaxDecodedMs)
        return fail(why, "sound too long");
    // The output frame j sits at input frame j * SampleRate / StreamRate; between two input
    // frames the value is interpolated linearly.
    const int64_t outFrames = inFrames * AudioPcm::StreamRate / SampleRate;
    if (outFrames <= 0)
        return fail(why, "no sound data");
    const char* data = bytes.constData() + DataOffset;
    const int step = BitsPerSample / 8;
    auto at = [&](int64_t frame, int channel) {
        return sampleAt(data + frame * BlockAlign + qMin<int>(channel, Channels - 1) * step, Format, BitsPerSample);
    };
    std::vector<int16_t> samples(size_t(outFrames) * AudioPcm::Channels);
    for (int64_t j = 0; j < outFrames; ++j) {
        const int64_t num = j * SampleRate;
        const int64_t i = num / AudioPcm::StreamRate;
        const int64_t frac = num % AudioPcm::StreamRate;
        const int64_t next = qMin(i + 1, inFrames - 1);
        for (int c = 0; c < AudioPcm::Channels; ++c) {
            const int64_t a = at(i, c), b = frac ? at(next, c) : a;
            samples[size_t(j) * AudioPcm::Channels + c] = int16_t(a + (b - a) * frac / AudioPcm::StreamRate);
        }
    }
    out.Samples = std::move(samples);
    return true;
}

AudioPcmPtr AudioWaveFile::Read(const QString& path, QString* why)
{
    QFile file(path);
    if (!file.exists()) {
        fail(why, "file not found");
        return nullptr;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        fail(why, "file not readable");
        return nullptr;
    }
    if (file.size() > kMaxFileBytes) {
        fail(why, "file too big");
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    AudioWaveFile wave;
    auto pcm = std::make_shared<AudioPcm>();
    if (!Parse(bytes, wave, why) || !wave.Decode(bytes, *pcm, why))
        return nullptr;
    return pcm;
}

} // namespace platform
