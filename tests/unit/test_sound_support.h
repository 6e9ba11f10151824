#pragma once
// Helpers shared by the sound tests and the sound benchmark: a tiny wave writer and a recorder
// of the rig's null sink (its monitor source, through parec).
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
    const int frames = rate * ms / 1000;
    QByteArray data(frames * 2, '\0');
    for (int i = 0; i < frames; ++i) {
        const auto s = qint16(std::lround(amplitude * 32767.0 * std::sin(2 * M_PI * hz * i / rate)));
        qToLittleEndian<qint16>(s, data.data() + 2 * i);
    }
    QByteArray out;
    auto u32 = [&out](quint32 v) { char b[4]; qToLittleEndian(v, b); out.append(b, 4); };
    auto u16 = [&out](quint16 v) { char b[2]; qToLittleEndian(v, b); out.append(b, 2); };
    out.append("RIFF");
    u32(quint32(36 + data.size()));
    out.append("WAVEfmt ");
    u32(16); u16(1); u16(1); u32(quint32(rate)); u32(quint32(rate * 2)); u16(2); u16(16);
    out.append("data");
    u32(quint32(data.size()));
    out.append(data);
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

    ~Recorder() { stop(); }

    // Starts recording; true once the first samples have arrived.
    bool start()
    {
        m_samples.clear();
        m_arrivals.clear();
        m_clock.start();
        QObject::connect(&m_proc, &QProcess::readyReadStandardOutput, [this] { take(); });
        m_proc.start(QStringLiteral("parec"),
                     {QStringLiteral("-d"), QStringLiteral("gremlok_null.monitor"), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                      QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=5")});
        if (!m_proc.waitForStarted(3000))
            return false;
        QElapsedTimer t;
        t.start();
        while (m_samples.size() < Rate / 20 && t.elapsed() < 5000)
            wait(5);
        return m_samples.size() >= Rate / 20;
    }

    void stop()
    {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.kill();
            m_proc.waitForFinished(2000);
        }
        m_proc.disconnect();
    }

    // Samples recorded so far; marks let a test look only at what came after a point.
    qsizetype mark() const { return m_samples.size(); }
    const QVector<qint16>& samples() const { return m_samples; }

    // Milliseconds on the recorder's clock at which a sample above `threshold` first arrived
    // after `from` (an estimate of when it reached the sink), or -1.
    double firstNoisyMs(qsizetype from, int threshold = 300) const
    {
        for (const Arrival& a : m_arrivals) {
            if (a.end <= from)
                continue;
            for (qsizetype i = qMax(from, a.begin); i < a.end; ++i)
                if (std::abs(int(m_samples[i])) > threshold)
                    return a.ms - double(a.end - i) * 1000.0 / Rate;
        }
        return -1;
    }
    qint64 nowMs() const { return m_clock.elapsed(); }

    // Runs of sound after `from`: [start, end) in milliseconds from `from`; gaps shorter than
    // `bridgeMs` (zero crossings, scheduling holes) are bridged.
    QVector<QPair<double, double>> spans(qsizetype from, int threshold = 300, int bridgeMs = 30) const
    {
        QVector<QPair<double, double>> out;
        const qsizetype bridge = qsizetype(bridgeMs) * Rate / 1000;
        qsizetype runStart = -1, last = -1;
        for (qsizetype i = from; i < m_samples.size(); ++i) {
            if (std::abs(int(m_samples[i])) <= threshold)
                continue;
            if (runStart >= 0 && i - last > bridge) {
                out.append({ms(runStart - from), ms(last + 1 - from)});
                runStart = -1;
            }
            if (runStart < 0)
                runStart = i;
            last = i;
        }
        if (runStart >= 0)
            out.append({ms(runStart - from), ms(last + 1 - from)});
        return out;
    }

    // Milliseconds of sound heard after `from` (the pauses between sounds not counted).
    double heardMs(qsizetype from) const
    {
        double total = 0;
        for (const auto& s : spans(from))
            total += s.second - s.first;
        return total;
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
    static double ms(qsizetype n) { return double(n) * 1000.0 / Rate; }

    void take()
    {
        m_pending += m_proc.readAllStandardOutput();
        const qsizetype n = m_pending.size() / 2;
        if (n == 0)
            return;
        const qsizetype begin = m_samples.size();
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
