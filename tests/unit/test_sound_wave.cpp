// Wave files as the sound players receive them: which files a load accepts, and the padded
// copies the players are given.
#include "platform/AudioWaveFile.h"

#include <QtEndian>
#include <QtTest>

using platform::AudioWaveFile;

namespace {

QByteArray le16(int v) { QByteArray b(2, '\0'); qToLittleEndian<quint16>(quint16(v), b.data()); return b; }
QByteArray le32(qint64 v) { QByteArray b(4, '\0'); qToLittleEndian<quint32>(quint32(v), b.data()); return b; }

QByteArray fmtChunk(int format, int channels, int rate, int bits, int extra = 0)
{
    const int block = channels * bits / 8;
    QByteArray body = le16(format) + le16(channels) + le32(rate) + le32(qint64(rate) * block) + le16(block) + le16(bits);
    if (extra > 0)
        body += le16(extra) + QByteArray(extra, '\0');
    return "fmt " + le32(body.size()) + body;
}

QByteArray chunk(const char* id, const QByteArray& body)
{
    QByteArray c = QByteArray(id, 4) + le32(body.size()) + body;
    if (body.size() & 1)
        c += '\0';
    return c;
}

QByteArray riff(const QByteArray& chunks) { return "RIFF" + le32(4 + chunks.size()) + "WAVE" + chunks; }

} // namespace

class TestSoundWave : public QObject {
    Q_OBJECT
private slots:
    void acceptsWhatThePlayersDecode_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("dataBytes");
        const QByteArray pcm(400, '\x10');
        QTest::newRow("16-bit mono") << riff(fmtChunk(1, 1, 44100, 16) + chunk("data", pcm)) << 1 << 400;
        QTest::newRow("float") << riff(fmtChunk(3, 1, 48000, 32) + chunk("data", pcm)) << 3 << 400;
        // A list chunk of odd size before the data: the pad byte must be skipped.
        QTest::newRow("odd chunk first") << riff(fmtChunk(1, 1, 44100, 16) + chunk("LIST", "abc") + chunk("data", pcm))
                                         << 1 << 400;
        QByteArray ext = fmtChunk(0xFFFE, 2, 44100, 16, 22);
        qToLittleEndian<quint16>(1, ext.data() + 8 + 24);   // sub-format: PCM
        QTest::newRow("extensible PCM") << riff(ext + chunk("data", pcm)) << 1 << 400;
        // A data chunk that claims more than the file holds (a cut download): what is there counts,
        // in whole frames.
        QTest::newRow("data cut short") << riff(fmtChunk(1, 1, 44100, 16) + "data" + le32(1000000) + QByteArray(401, '\1'))
                                        << 1 << 400;
    }
    void acceptsWhatThePlayersDecode()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, format);
        QFETCH(int, dataBytes);
        AudioWaveFile w;
        QString why;
        QVERIFY2(AudioWaveFile::Parse(file, w, &why), qPrintable(why));
        QCOMPARE(int(w.Format), format);
        QCOMPARE(int(w.DataBytes), dataBytes);
    }

    void refusesWhatTheyCannot_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray pcm(400, '\x10');
        const QByteArray good = riff(fmtChunk(1, 1, 44100, 16) + chunk("data", pcm));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not RIFF") << QByteArray("ID3\x03 some mp3 bytes here........");
        QTest::newRow("cut inside fmt") << good.left(30);
        QTest::newRow("no data chunk") << riff(fmtChunk(1, 1, 44100, 16));
        QTest::newRow("data before fmt") << riff(chunk("data", pcm) + fmtChunk(1, 1, 44100, 16));
        QTest::newRow("24-bit") << riff(fmtChunk(1, 1, 44100, 24) + chunk("data", pcm));
        QTest::newRow("zero rate") << riff(fmtChunk(1, 1, 0, 16) + chunk("data", pcm));
        // A chunk size near 4 GiB must end the walk, not wrap around or read out of bounds.
        QTest::newRow("huge chunk") << riff(fmtChunk(1, 1, 44100, 16) + "junk" + le32(0xFFFFFFF0) + pcm);
        QByteArray badBlock = fmtChunk(1, 2, 44100, 16);
        qToLittleEndian<quint16>(1, badBlock.data() + 8 + 12);
        QTest::newRow("frame size lies") << riff(badBlock + chunk("data", pcm));
    }
    void refusesWhatTheyCannot()
    {
        QFETCH(QByteArray, file);
        AudioWaveFile w;
        QString why;
        QVERIFY(!AudioWaveFile::Parse(file, w, &why));
        QVERIFY(!why.isEmpty());
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
        AudioWaveFile w;
        QVERIFY(AudioWaveFile::Parse(file, w));
        const QByteArray copy = w.WithSilence(file, 250);
        AudioWaveFile c;
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
};

QTEST_MAIN(TestSoundWave)
#include "test_sound_wave.moc"
