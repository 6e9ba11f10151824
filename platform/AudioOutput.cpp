#include "platform/AudioOutput.h"
#include "platform/AudioDeviceWatch.h"
#include "platform/AudioStream.h"
#include "platform/AudioWorker.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>
#include <memory>

namespace platform {

std::atomic<bool> AudioOutput::s_threadLeftBehind{false};

namespace {
// How long start-up waits for the sound server to list its devices. A server that does not
// answer by then counts as no device until it does.
constexpr int kFirstCountWaitMs = 2500;
constexpr int kShutdownWaitMs = 2000;
} // namespace

template <class F>
void AudioOutput::post(F&& f)
{
    if (!m_stopped)
        QMetaObject::invokeMethod(m_worker, std::forward<F>(f), Qt::QueuedConnection);
}

AudioOutput::AudioOutput()
{
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("gremlok-audio"));
    m_stream = std::make_unique<AudioStream>();
    m_worker = new AudioWorker(QThread::currentThread(), m_stream.get());
    m_worker->moveToThread(m_thread);

    auto firstCount = std::make_shared<QSemaphore>();
    connect(m_worker, &AudioWorker::outputsCounted, m_worker, [this, firstCount, first = true](int n) mutable {
        const int old = m_outputs.exchange(n);
        const bool wasFirst = first;
        if (first)
            firstCount->release();
        first = false;
        if (old != n)
            QMetaObject::invokeMethod(this, [this, old, n, wasFirst] {
                if (onOutputsChanged)
                    onOutputsChanged();
                // The first count is what there was all along, not a device coming or going.
                if (!wasFirst)
                    emit AudioDeviceWatch::instance().OutputsChanged(old, n);
            }, Qt::QueuedConnection);
    }, Qt::DirectConnection);
    connect(m_worker, &AudioWorker::preloadFailed, this, [this](int generation) {
        if (generation == m_generation && onPreloadFailed)
            onPreloadFailed();
    }, Qt::QueuedConnection);

    // The audio thread ends with the application's event loop: after that, nothing would carry
    // calls over to it any more.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &AudioOutput::stop);

    m_thread->start();
    post([w = m_worker] { w->start(); });
    firstCount->tryAcquire(1, kFirstCountWaitMs);
}

void AudioOutput::stop()
{
    if (m_stopped)
        return;
    m_worker->disconnect();
    if (QCoreApplication::instance())
        post([w = m_worker] { w->shutdown(); });
    else
        m_thread->quit();   // no application left to deliver the shutdown call
    m_stopped = true;
    m_finished = m_thread->wait(kShutdownWaitMs);
    if (!m_finished)
        s_threadLeftBehind = true;
}

bool AudioOutput::ThreadLeftBehind()
{
    return s_threadLeftBehind;
}

AudioOutput::~AudioOutput()
{
    onOutputsChanged = nullptr;
    onPreloadFailed = nullptr;
    stop();
    if (m_finished) {
        delete m_worker;
        delete m_thread;
    } else {
        (void)m_stream.release();
    }
    // Otherwise the audio thread is stuck in a call that has not returned; leaving it and its
    // objects behind is the only safe choice, as the process is about to end anyway.
}

void AudioOutput::Load(const QStringList& files)
{
    const int generation = ++m_generation;
    post([w = m_worker, generation, files] { w->load(generation, files); });
}

void AudioOutput::Release()
{
    ++m_generation;
    post([w = m_worker] { w->release(); });
}

void AudioOutput::PlayPreloaded(int index, bool restart)
{
    // Straight into the mixer: a hop through the audio thread would add its wake-up to every
    // sound. Only a stream that has to be opened again goes the long way.
    if (!m_stopped && !m_stream->Play(index, restart))
        post([w = m_worker] { w->open(); });
}

void AudioOutput::PlaySimple(const QString& path)
{
    post([w = m_worker, path] { w->playSimple(path); });
}

} // namespace platform
