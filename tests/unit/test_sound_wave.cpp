// Wave files as the sound players receive them: which files a load accepts, and the padded
// copies the players are given.
#include "platform/AudioWaveFile.h"
#include "skins/modSkinZip.h"

#include <QDir>
#include <cmath>

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

    // The padded copy: same format and sound, then silence of the right length and value; it
    // parses again as a plain file.
    void paddedCopyKeepsTheSound_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<char>("silence");
        QTest::newRow("16-bit") << 16 << '\0';
        QTest::newRow("8-bit unsigned") << 8 << char(0x80);
    }
    void paddedCopyKeepsTheSound()
    {
        QFETCH(int, bits);
        QFETCH(char, silence);
        const QByteArray sound(300, '\x55');
        // An odd-sized extra chunk and a trailing chunk must not leak into the copy.
        const QByteArray file = riff(fmtChunk(1, 2, 8000, bits) + chunk("LIST", "xyz") + chunk("data", sound)
                                     + chunk("smpl", "trailer!"));
        AudioWaveFile w, c;
        QVERIFY(AudioWaveFile::Parse(file, w));
        const QByteArray copy = w.WithSilence(file, 250);
        QVERIFY(AudioWaveFile::Parse(copy, c));
        QCOMPARE(c.SampleRate, w.SampleRate);
        QCOMPARE(c.Channels, w.Channels);
        QCOMPARE(c.BitsPerSample, w.BitsPerSample);
        const int silenceBytes = 8000 / 4 * 2 * bits / 8;
        QCOMPARE(int(c.DataBytes), 300 + silenceBytes);
        QCOMPARE(copy.mid(int(c.DataOffset), 300), sound);
        QCOMPARE(copy.mid(int(c.DataOffset) + 300), QByteArray(silenceBytes, silence));
        QCOMPARE(int(qFromLittleEndian<quint32>(copy.constData() + 4)), copy.size() - 8);
        // Information that does not fit the file it came from gives no copy at all.
        QVERIFY(w.WithSilence(file.left(50), 250).isEmpty());
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
