#pragma once
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QVector>

class QMediaDevices;
class QSoundEffect;

namespace platform {

// Lives on the audio thread and owns every Qt Multimedia object, so that opening streams on
// the sound server never stalls the user-interface thread. Only AudioOutput talks to it, by
// queued calls.
//
// Each preloaded sound is one QSoundEffect that holds the decoded sound for as long as it is
// loaded; every play goes through a fresh effect over that same decoded sound (a "voice"),
// because Qt 6.4 on PulseAudio often stays silent when a finished effect is played again.
class AudioWorker : public QObject {
    Q_OBJECT
public:
    explicit AudioWorker(QThread* home);
    ~AudioWorker() override;

    // Slots run on the audio thread.
    void start();
    void load(int generation, const QStringList& files);
    void release();
    void playPreloaded(int index, bool restart);
    void playSimple(const QString& path);
    void shutdown();

signals:
    void outputsCounted(int count);
    void preloadFailed(int generation);

private:
    struct Preloaded {
        QSoundEffect* sound = nullptr;   // keeps the decoded sound in Qt's cache
        QSoundEffect* voice = nullptr;   // the latest play of it
        QString copy;
        qint64 lengthMs = 0;
        QElapsedTimer started;
    };

    void countOutputs();
    QString stage(const QString& path, qint64* lengthMs = nullptr);
    QSoundEffect* voice(const QUrl& url);

    QThread* m_home;                       // where the worker goes back to before it is deleted
    QMediaDevices* m_devices = nullptr;
    QVector<Preloaded> m_preloaded;
    QSoundEffect* m_simple = nullptr;
    QString m_simpleCopy;
    QString m_simpleSource;                // the file m_simpleCopy was made from, as it was then
    QDateTime m_simpleStamp;
    qint64 m_simpleSize = -1;
    QTemporaryDir m_stage;                 // private (0700) folder for the staged copies
    quint64 m_serial = 0;
};

} // namespace platform
