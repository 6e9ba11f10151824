#pragma once
// Shared by the sound tests and the sound benchmark: a tiny wave writer and a recorder of the
// rig's null sink monitor (through parec).
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QVector>
#include <QtEndian>
#include <cmath>

namespace soundtest {

// Writes a 16-bit mono wave file holding a sine tone of `ms` milliseconds.
inline bool writeTone(const QString& path, int ms, double hz, double amplitude = 0.3, int rate = 44100)
{
    QByteArray out;
    auto put = [&out](quint32 v, int n) { char b[4]; qToLittleEndian(v, b); out.append(b, n); };
    const int frames = rate * ms / 1000;
    out.append("RIFF");
    put(quint32(36 + frames * 2), 4);
    out.append("WAVEfmt ");
    put(16, 4); put(1, 2); put(1, 2); put(quint32(rate), 4); put(quint32(rate * 2), 4); put(2, 2); put(16, 2);
    out.append("data");
    put(quint32(frames * 2), 4);
    for (int i = 0; i < frames; ++i)
        put(quint16(qint16(std::lround(amplitude * 32767.0 * std::sin(2 * M_PI * hz * i / rate)))), 2);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
}

// Spins the event loop for `ms` milliseconds.
inline void wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

// Records the null sink's monitor: 44.1 kHz mono 16-bit.
class Recorder {
public:
    static constexpr int Rate = 44100;

    static bool available()
    {
        return !qEnvironmentVariableIsEmpty("PULSE_SERVER")
            && !QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty();
    }

    ~Recorder()
    {
        m_proc.disconnect();
        m_proc.kill();
        m_proc.waitForFinished(2000);
    }

    // Starts recording; true once the first samples have arrived.
    bool start()
    {
        m_samples.clear();
        m_arrivals.clear();
        m_clock.start();
        QObject::connect(&m_proc, &QProcess::readyReadStandardOutput, [this] { take(); });
        m_proc.start(QStringLiteral("parec"),
                     QStringLiteral("-d gremlok_null.monitor --raw --format=s16le --rate=44100 --channels=1 "
                                    "--latency-msec=5").split(' '));
        if (!m_proc.waitForStarted(3000))
            return false;
        QElapsedTimer t;
        t.start();
        while (m_samples.size() < Rate / 20 && t.elapsed() < 5000)
            wait(5);
        return m_samples.size() >= Rate / 20;
    }

    // Samples recorded so far: a point to look from.
    qsizetype mark() const { return m_samples.size(); }
    qint64 nowMs() const { return m_clock.elapsed(); }

    // Recorder-clock time (ms) at which a sample above `threshold` first reached the sink after
    // `from`, or -1.
    double firstNoisyMs(qsizetype from, int threshold = 300) const
    {
        for (const Arrival& a : m_arrivals)
            for (qsizetype i = qMax(from, a.begin); i < a.end; ++i)
                if (std::abs(int(m_samples[i])) > threshold)
                    return a.ms - double(a.end - i) * 1000.0 / Rate;
        return -1;
    }

    // Milliseconds of sound heard after `from`; gaps under 30 ms (zero crossings, scheduling
    // holes) count as sound, longer pauses do not.
    double heardMs(qsizetype from, int threshold = 300) const
    {
        const qsizetype bridge = Rate * 30 / 1000;
        qsizetype total = 0, runStart = -1, last = -1;
        for (qsizetype i = from; i < m_samples.size(); ++i) {
            if (std::abs(int(m_samples[i])) <= threshold)
                continue;
            if (runStart >= 0 && i - last > bridge) {
                total += last + 1 - runStart;
                runStart = -1;
            }
            if (runStart < 0)
                runStart = i;
            last = i;
        }
        if (runStart >= 0)
            total += last + 1 - runStart;
        return double(total) * 1000.0 / Rate;
    }

    // Highest root-mean-square level over 20 ms windows after `from`, as a fraction of full scale.
    double peakRms(qsizetype from) const
    {
        const qsizetype win = Rate / 50;
        double best = 0;
        for (qsizetype at = from; at + win <= m_samples.size(); at += win / 2) {
            double sum = 0;
            for (qsizetype i = at; i < at + win; ++i)
                sum += double(m_samples[i]) * m_samples[i];
            best = qMax(best, std::sqrt(sum / win) / 32768.0);
        }
        return best;
    }

private:
    struct Arrival { qsizetype begin, end; double ms; };

    void take()
    {
        m_pending += m_proc.readAllStandardOutput();
        const qsizetype n = m_pending.size() / 2, begin = m_samples.size();
        if (n == 0)
            return;
        m_samples.resize(begin + n);
        for (qsizetype i = 0; i < n; ++i)
            m_samples[begin + i] = qFromLittleEndian<qint16>(m_pending.constData() + 2 * i);
        m_pending.remove(0, n * 2);
        m_arrivals.append({begin, begin + n, double(m_clock.nsecsElapsed()) / 1e6});
    }

    QProcess m_proc;
    QByteArray m_pending;
    QVector<qint16> m_samples;
    QVector<Arrival> m_arrivals;
    QElapsedTimer m_clock;
};

} // namespace soundtest
