// Wave files as the sound output receives them: which files a load accepts, and their sound
// converted to the output stream's format.
#include "platform/AudioWaveFile.h"
#include "skins/modSkinZip.h"

#include <QDir>
#include <cmath>
#include <cstring>

#include <QtEndian>
#include <QtTest>

using platform::AudioWaveFile;

namespace {

QByteArray le(quint32 v, int n) { char b[4]; qToLittleEndian(v, b); return QByteArray(b, n); }

QByteArray fmtChunk(int format, int channels, int rate, int bits, int extra = 0)
{
    const int block = channels * bits / 8;
    QByteArray body = le(format, 2) + le(channels, 2) + le(rate, 4) + le(rate * block, 4) + le(block, 2) + le(bits, 2);
    if (extra > 0)
        body += le(extra, 2) + QByteArray(extra, '\0');
    return "fmt " + le(body.size(), 4) + body;
}

QByteArray chunk(const char* id, const QByteArray& body)
{
    return QByteArray(id, 4) + le(body.size(), 4) + body + QByteArray(body.size() & 1, '\0');
}

QByteArray riff(const QByteArray& chunks) { return "RIFF" + le(4 + chunks.size(), 4) + "WAVE" + chunks; }

} // namespace

class TestSoundWave : public QObject {
    Q_OBJECT
private slots:
    // Files the players can decode parse (format and whole-frame data size); the rest are
    // refused with a reason (dataBytes -1).
    void parse_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("dataBytes");
        const QByteArray pcm(400, '\x10');
        const QByteArray fmt = fmtChunk(1, 1, 44100, 16), good = riff(fmt + chunk("data", pcm));
        QTest::newRow("16-bit mono") << good << 1 << 400;
        QTest::newRow("float") << riff(fmtChunk(3, 1, 48000, 32) + chunk("data", pcm)) << 3 << 400;
        // The pad byte after an odd-sized chunk must be skipped.
        QTest::newRow("odd chunk first") << riff(fmt + chunk("LIST", "abc") + chunk("data", pcm)) << 1 << 400;
        QByteArray ext = fmtChunk(0xFFFE, 2, 44100, 16, 22);
        qToLittleEndian<quint16>(1, ext.data() + 8 + 24);   // sub-format: PCM
        QTest::newRow("extensible PCM") << riff(ext + chunk("data", pcm)) << 1 << 400;
        // A data chunk claiming more than the file holds (a cut download): what is there counts.
        QTest::newRow("data cut short") << riff(fmt + "data" + le(1000000, 4) + QByteArray(401, '\1')) << 1 << 400;

        QTest::newRow("empty") << QByteArray() << 0 << -1;
        QTest::newRow("not RIFF") << QByteArray("ID3\x03 some mp3 bytes here........") << 0 << -1;
        QTest::newRow("cut inside fmt") << good.left(30) << 0 << -1;
        QTest::newRow("no data chunk") << riff(fmt) << 0 << -1;
        QTest::newRow("data before fmt") << riff(chunk("data", pcm) + fmt) << 0 << -1;
        QTest::newRow("24-bit") << riff(fmtChunk(1, 1, 44100, 24) + chunk("data", pcm)) << 0 << -1;
        QTest::newRow("zero rate") << riff(fmtChunk(1, 1, 0, 16) + chunk("data", pcm)) << 0 << -1;
        // A chunk size near 4 GiB must end the walk, not wrap around or read out of bounds.
        QTest::newRow("huge chunk") << riff(fmt + "junk" + le(0xFFFFFFF0, 4) + pcm) << 0 << -1;
        QByteArray badBlock = fmtChunk(1, 2, 44100, 16);
        qToLittleEndian<quint16>(1, badBlock.data() + 8 + 12);
        QTest::newRow("frame size lies") << riff(badBlock + chunk("data", pcm)) << 0 << -1;
    }
    void parse()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, format);
        QFETCH(int, dataBytes);
        AudioWaveFile w;
        QString why;
        const bool ok = AudioWaveFile::Parse(file, w, &why);
        QVERIFY2(ok == (dataBytes >= 0), qPrintable(why));
        if (!ok) {
            QVERIFY(!why.isEmpty());
            return;
        }
        QCOMPARE(int(w.Format), format);
        QCOMPARE(int(w.DataBytes), dataBytes);
    }

    // Decoding into the stream's format (stereo, 16-bit, 44.1 kHz): 8-bit, float and 32-bit
    // samples scaled, mono spread to both sides, other rates resampled; a sound too long to
    // hold is refused. `expect` holds (frame, left, right) triples.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QList<int>>("expect");
        auto wave = [](int format, int channels, int rate, int bits, const QByteArray& data) {
            return riff(fmtChunk(format, channels, rate, bits) + chunk("data", data));
        };
        QByteArray s16;
        for (int v : {1000, -2000, 3000, -4000})
            s16 += le(quint16(qint16(v)), 2);
        QTest::newRow("8-bit mono") << wave(1, 1, 44100, 8, QByteArray("\x80\xc0\x00\xff", 4)) << 4
                                    << QList<int>{0, 0, 0, 1, 16384, 16384, 2, -32768, -32768, 3, 32512, 32512};
        QTest::newRow("16-bit stereo") << wave(1, 2, 44100, 16, s16) << 2 << QList<int>{0, 1000, -2000, 1, 3000, -4000};
        // Half the rate: every second frame lies halfway between two of the file's.
        QTest::newRow("16-bit mono 22050 Hz") << wave(1, 1, 22050, 16, s16) << 8
                                              << QList<int>{0, 1000, 1000, 1, -500, -500, 2, -2000, -2000, 6, -4000, -4000};
        QByteArray f32;
        for (float v : {0.5f, 0.0f, -1.5f, 0.0f}) {
            quint32 raw;
            memcpy(&raw, &v, 4);
            f32 += le(raw, 4);
        }
        QTest::newRow("float 88200 Hz, clipped") << wave(3, 1, 88200, 32, f32) << 2
                                                 << QList<int>{0, 16383, 16383, 1, -32767, -32767};
        QTest::newRow("32-bit") << wave(1, 1, 44100, 32, le(0x40000000, 4)) << 1 << QList<int>{0, 16384, 16384};
        QTest::newRow("61 s at 1 kHz") << wave(1, 1, 1000, 8, QByteArray(61000, '\x80')) << -1 << QList<int>{};
    }
    void decode()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, frames);
        QFETCH(QList<int>, expect);
        AudioWaveFile w;
        QVERIFY(AudioWaveFile::Parse(file, w));
        platform::AudioPcm pcm;
        QString why;
        QCOMPARE(w.Decode(file, pcm, &why), frames >= 0);
        if (frames < 0) {
            QVERIFY(!why.isEmpty());
            return;
        }
        QCOMPARE(int(pcm.Frames()), frames);
        for (int i = 0; i + 2 < expect.size(); i += 3) {
            const size_t at = size_t(expect[i]) * 2;
            QCOMPARE(QList<int>({pcm.Samples[at], pcm.Samples[at + 1]}), QList<int>({expect[i + 1], expect[i + 2]}));
        }
        // A description that does not fit the bytes (the file cut after it was parsed).
        QVERIFY(!w.Decode(file.left(int(w.DataOffset)), pcm));
    }

    // The base skin's sounds leave headroom, so two of them at once (a shot over the enemy's
    // death) do not clip at the sound server; none is near silence either.
    void baseSkinSoundsLeaveHeadroom()
    {
        const QString folder = qEnvironmentVariable("GREMLOK_TEST_DIR", "/tmp") + "/base/";
        QVERIFY(modSkinZip::UnzipSkin(qEnvironmentVariable("GREMLOK_SOURCE_DIR") + "/resources/skins/Base Skin.ssz", folder));
        const QStringList names = QDir(folder).entryList({"*.wav"});
        QCOMPARE(names.size(), 6);
        for (const QString& name : names) {
            QFile f(folder + name);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            AudioWaveFile w;
            QVERIFY(AudioWaveFile::Parse(bytes, w) && w.BitsPerSample == 16);
            int peak = 0;
            for (qint64 i = w.DataOffset; i + 1 < w.DataOffset + w.DataBytes; i += 2)
                peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(bytes.constData() + i))));
            const double dB = 20 * std::log10(peak / 32768.0);
            QVERIFY2(dB > -8 && dB < -5, qPrintable(QStringLiteral("%1 peaks at %2 dBFS").arg(name).arg(dB)));
        }
    }
};

QTEST_MAIN(TestSoundWave)
#include "test_sound_wave.moc"
