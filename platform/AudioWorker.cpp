#include "platform/AudioWorker.h"
#include "core/Logging.h"
#include "platform/AudioStream.h"
#include "platform/AudioWaveFile.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace platform {

AudioWorker::AudioWorker(QThread* home, AudioStream* stream) : m_home(home), m_stream(stream) {}

AudioWorker::~AudioWorker()
{
    m_stream->SetOutputsCounted({});
}

void AudioWorker::start()
{
    m_stream->SetOutputsCounted([this](int n) { emit outputsCounted(n); });
    // Connecting counts the outputs, and the stream is then opened ahead of the first sound,
    // so that sound does not wait for it.
    m_stream->Open();
}

void AudioWorker::load(int generation, const QStringList& files)
{
    std::vector<AudioPcmPtr> sounds;
    for (const QString& file : files) {
        QString why;
        AudioPcmPtr pcm = AudioWaveFile::Read(file, &why);
        if (!pcm) {
            qCWarning(lcSound) << "Cannot decode" << file << why;
            m_stream->SetSounds({});
            emit preloadFailed(generation);
            return;
        }
        sounds.push_back(std::move(pcm));
    }
    m_stream->SetSounds(std::move(sounds));
    m_stream->Open();
}

void AudioWorker::release()
{
    m_stream->SetSounds({});
}

void AudioWorker::open()
{
    m_stream->Open();
}

void AudioWorker::playSimple(const QString& path)
{
    // One sound at a time: whatever is playing stops, even when the new file is missing.
    const QFileInfo info(path);
    AudioPcmPtr pcm;
    const auto known = std::find_if(m_recent.begin(), m_recent.end(), [&](const Decoded& d) { return d.Path == path; });
    if (known != m_recent.end()) {
        if (info.exists() && info.lastModified() == known->Stamp && info.size() == known->Size)
            pcm = known->Pcm;
        m_recent.erase(known);
    }
    if (!pcm) {
        QString why;
        pcm = AudioWaveFile::Read(path, &why);
        if (!pcm && info.exists())
            qCWarning(lcSound) << "Cannot play" << path << why;
    }
    if (pcm) {
        m_recent.prepend({path, info.lastModified(), info.size(), pcm});
        if (m_recent.size() > kRecentFiles)
            m_recent.removeLast();
    }
    if (!m_stream->PlaySimple(pcm))
        m_stream->Open();
}

void AudioWorker::shutdown()
{
    m_stream->SetOutputsCounted({});
    moveToThread(m_home);
    QThread::currentThread()->quit();
}

} // namespace platform
