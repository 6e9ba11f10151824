#pragma once
#include "platform/AudioMixer.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVector>

namespace platform {

class AudioStream;

// Lives on the audio thread and does everything that may wait on a file or read the sound
// server's configuration, so that the user-interface thread never does: connecting to the
// server (which counts the output devices), opening the output stream, reading and decoding
// wave files. Only AudioOutput talks to it, by queued calls.
class AudioWorker : public QObject {
    Q_OBJECT
public:
    AudioWorker(QThread* home, AudioStream* stream);
    ~AudioWorker() override;

    // Slots run on the audio thread.
    void start();
    void load(int generation, const QStringList& files);
    void release();
    void open();
    void playSimple(const QString& path);
    void shutdown();

signals:
    // The number of output devices, each time the sound server reports it; emitted on the
    // sound server's thread (on the audio thread when there is no server to reach).
    void outputsCounted(int count);
    void preloadFailed(int generation);

private:
    QThread* m_home;                       // where the worker goes back to before it is deleted
    AudioStream* m_stream;
    // The simple path's recent files, decoded, and what each file was then: a file played
    // again unchanged is not read again. A handful covers the fight sounds and the events.
    struct Decoded {
        QString Path;
        QDateTime Stamp;
        qint64 Size = -1;
        AudioPcmPtr Pcm;
    };
    static constexpr int kRecentFiles = 9;
    QVector<Decoded> m_recent;   // most recent first
};

} // namespace platform
