#include "platform/AudioWorker.h"
#include "platform/AudioWaveFile.h"

#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>

namespace platform {

namespace {
// Silence after each sound; it covers what the server still holds when Qt closes the stream.
constexpr int kTailMs = 200;
// A voice that still says it is playing this long after its sound should have ended is stuck;
// it no longer keeps a repeat of its sound from playing.
constexpr int kStuckMs = 500;
// No skin sound comes near this; a bigger file is refused rather than read into memory.
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;
} // namespace

AudioWorker::AudioWorker(QThread* home) : m_home(home) {}

AudioWorker::~AudioWorker() = default;

void AudioWorker::start()
{
    m_devices = new QMediaDevices(this);
    connect(m_devices, &QMediaDevices::audioOutputsChanged, this, &AudioWorker::countOutputs);
    countOutputs();
}

void AudioWorker::countOutputs()
{
    emit outputsCounted(int(QMediaDevices::audioOutputs().size()));
}

// Copies a wave file, silence appended, under a name never used before: Qt caches decoded
// sounds by name, and skin files are rewritten in place when the skin changes, so a fresh
// name is also what keeps an old skin's sound from playing. Empty when the file is unusable.
QString AudioWorker::stage(const QString& path, qint64* lengthMs)
{
    if (!m_stage.isValid())
        return QString();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxFileBytes)
        return QString();
    const QByteArray bytes = in.readAll();
    AudioWaveFile wave;
    if (!AudioWaveFile::Parse(bytes, wave))
        return QString();
    const QString copy = m_stage.filePath(QString::number(++m_serial) + QStringLiteral(".wav"));
    QFile out(copy);
    const QByteArray padded = wave.WithSilence(bytes, kTailMs);
    if (padded.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(padded) != padded.size()) {
        out.remove();
        return QString();
    }
    if (lengthMs)
        *lengthMs = wave.DataBytes / wave.BlockAlign * 1000 / wave.SampleRate + kTailMs;
    return copy;
}

QSoundEffect* AudioWorker::voice(const QUrl& url)
{
    auto* v = new QSoundEffect(this);
    v->setSource(url);
    v->play();
    return v;
}

void AudioWorker::load(int generation, const QStringList& files)
{
    release();
    for (const QString& file : files) {
        Preloaded p;
        p.copy = stage(file, &p.lengthMs);
        if (p.copy.isEmpty()) {
            release();
            emit preloadFailed(generation);
            return;
        }
        p.sound = new QSoundEffect(this);
        // A file that Qt cannot decode after all sends the sounds back to the simple path.
        connect(p.sound, &QSoundEffect::statusChanged, this, [this, s = p.sound, generation] {
            if (s->status() == QSoundEffect::Error)
                emit preloadFailed(generation);
        });
        p.sound->setSource(QUrl::fromLocalFile(p.copy));
        m_preloaded.append(p);
    }
}

void AudioWorker::release()
{
    for (Preloaded& p : m_preloaded) {
        delete p.voice;
        p.sound->disconnect(this);
        delete p.sound;
        QFile::remove(p.copy);
    }
    m_preloaded.clear();
}

void AudioWorker::playPreloaded(int index, bool restart)
{
    if (index < 0 || index >= m_preloaded.size())
        return;
    Preloaded& p = m_preloaded[index];
    if (p.voice && !restart && p.voice->isPlaying() && p.started.elapsed() < p.lengthMs + kStuckMs)
        return;
    QSoundEffect* old = p.voice;
    p.voice = voice(p.sound->source());
    p.started.start();
    delete old;
}

void AudioWorker::playSimple(const QString& path)
{
    // One sound at a time: whatever is playing stops, even when the new file is missing. The
    // old voice goes only after the new one exists, so that an unchanged file played again
    // finds its decoded sound still in Qt's cache.
    QSoundEffect* old = m_simple;
    m_simple = nullptr;
    const QFileInfo info(path);
    const bool same = !m_simpleCopy.isEmpty() && path == m_simpleSource && info.exists()
        && info.lastModified() == m_simpleStamp && info.size() == m_simpleSize;
    if (!same) {
        if (!m_simpleCopy.isEmpty())
            QFile::remove(m_simpleCopy);
        m_simpleSource.clear();
        m_simpleCopy = stage(path);
        if (!m_simpleCopy.isEmpty()) {
            m_simpleSource = path;
            m_simpleStamp = info.lastModified();
            m_simpleSize = info.size();
        }
    }
    if (!m_simpleCopy.isEmpty())
        m_simple = voice(QUrl::fromLocalFile(m_simpleCopy));
    delete old;
}

void AudioWorker::shutdown()
{
    release();
    delete m_simple;
    m_simple = nullptr;
    if (!m_simpleCopy.isEmpty())
        QFile::remove(m_simpleCopy);
    delete m_devices;
    m_devices = nullptr;
    moveToThread(m_home);
    QThread::currentThread()->quit();
}

} // namespace platform
