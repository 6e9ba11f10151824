#include "platform/AudioWorker.h"
#include "platform/AudioWaveFile.h"

#include <QAudioDevice>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

namespace platform {

namespace {
// Silence after each sound; it covers what the server still holds when Qt closes the stream.
constexpr int kTailMs = 200;
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
QString AudioWorker::stage(const QString& path)
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
    return copy;
}

void AudioWorker::load(int generation, const QStringList& files)
{
    release();
    for (const QString& file : files) {
        const QString copy = stage(file);
        if (copy.isEmpty()) {
            release();
            emit preloadFailed(generation);
            return;
        }
        auto* effect = new QSoundEffect(this);
        // A file that Qt cannot decode after all sends the sounds back to the simple path.
        connect(effect, &QSoundEffect::statusChanged, this, [this, effect, generation] {
            if (effect->status() == QSoundEffect::Error)
                emit preloadFailed(generation);
        });
        effect->setSource(QUrl::fromLocalFile(copy));
        m_preloaded.append(effect);
        m_preloadedCopies.append(copy);
    }
}

void AudioWorker::release()
{
    for (QSoundEffect* effect : qAsConst(m_preloaded)) {
        effect->disconnect(this);
        delete effect;
    }
    m_preloaded.clear();
    for (const QString& copy : qAsConst(m_preloadedCopies))
        QFile::remove(copy);
    m_preloadedCopies.clear();
}

void AudioWorker::playPreloaded(int index, bool restart)
{
    if (index < 0 || index >= m_preloaded.size())
        return;
    QSoundEffect* effect = m_preloaded[index];
    if (effect->isPlaying()) {
        if (!restart)
            return;
        effect->stop();
    }
    effect->play();
}

void AudioWorker::playSimple(const QString& path)
{
    // One sound at a time: whatever is playing stops first, even when the new file is missing.
    if (m_simple)
        m_simple->stop();
    const QFileInfo info(path);
    if (m_simple && path == m_simpleSource && info.exists() && info.lastModified() == m_simpleStamp
        && info.size() == m_simpleSize) {
        // The same file again and unchanged: start it over without decoding it anew.
        m_simple->play();
        return;
    }
    m_simpleSource.clear();
    const QString copy = stage(path);
    if (copy.isEmpty())
        return;
    if (!m_simple)
        m_simple = new QSoundEffect(this);
    m_simple->setSource(QUrl::fromLocalFile(copy));
    m_simple->play();
    if (!m_simpleCopy.isEmpty())
        QFile::remove(m_simpleCopy);
    m_simpleCopy = copy;
    m_simpleSource = path;
    m_simpleStamp = info.lastModified();
    m_simpleSize = info.size();
}

void AudioWorker::shutdown()
{
    release();
    delete m_simple;
    m_simple = nullptr;
    delete m_devices;
    m_devices = nullptr;
    moveToThread(m_home);
    QThread::currentThread()->quit();
}

} // namespace platform
