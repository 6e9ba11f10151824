#pragma once
#include <QObject>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace platform {

class AudioStream;
class AudioWorker;

// Sound output for the program: preloaded sounds that overlap (each decoded once) and one
// shared voice that plays a file at a time, a new call cutting off the old, all mixed into one
// output stream. Every call returns at once: a preloaded sound goes straight into the mixer,
// everything that reads files or waits on the sound server happens on an audio thread of its
// own, so a slow or absent sound server never holds up the user interface.
class AudioOutput : public QObject {
    Q_OBJECT
public:
    AudioOutput();
    ~AudioOutput() override;

    // Number of audio output devices, as last reported by the sound server (0 when there is
    // no server, or it did not answer in time at start).
    int OutputCount() const { return m_outputs.load(); }

    // Decodes the files, in order, for PlayPreloaded; replaces what was loaded before.
    void Load(const QStringList& files);
    void Release();
    // Plays preloaded file `index` once. A player still sounding goes on unless `restart`,
    // which starts it over from the beginning.
    void PlayPreloaded(int index, bool restart);
    // The shared player: cuts off what it is playing, then plays `path` (silence when the file
    // is missing or unreadable).
    void PlaySimple(const QString& path);

    // True once an audio thread could not be stopped in time: it is still inside a call that
    // has not returned (a wave file on a network share that stopped answering, say). The
    // process should then end without the exit-time clean-up, which would pull its objects
    // from under it.
    static bool ThreadLeftBehind();

    // Runs on the calling thread when the number of output devices changes.
    std::function<void()> onOutputsChanged;
    // Runs on the calling thread when a preloaded file turned out to be unplayable.
    std::function<void()> onPreloadFailed;

private:
    template <class F> void post(F&& f);
    // Ends the audio thread (waiting a bounded time); later calls do nothing.
    void stop();

    QThread* m_thread = nullptr;
    AudioWorker* m_worker = nullptr;
    std::unique_ptr<AudioStream> m_stream;
    std::atomic<int> m_outputs{0};
    int m_generation = 0;
    bool m_stopped = false;
    bool m_finished = false;
    static std::atomic<bool> s_threadLeftBehind;
};

} // namespace platform
