#pragma once
#include "platform/AudioMixer.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVector>

class QMediaDevices;

namespace platform {

class AudioStream;

// Lives on the audio thread and does everything that may wait on the sound server or on a
// file, so that the user-interface thread never does: counting the output devices (Qt
// Multimedia), opening the output stream, reading and decoding wave files. Only AudioOutput
// talks to it, by queued calls.
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
    void outputsCounted(int count);
    void preloadFailed(int generation);

private:
    void countOutputs();

    QThread* m_home;                       // where the worker goes back to before it is deleted
    AudioStream* m_stream;
    QMediaDevices* m_devices = nullptr;
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
