#include "sound/SoundEffects.h"

#include "core/Logging.h"
#include "core/modGremlok.h"
#include "platform/AudioOutput.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "platform/AudioWaveFile.h"

#include <array>
#include <memory>

namespace {

// The fight sounds by sound id.
const std::array<QString, 6> kSoundFile = {
    QStringLiteral("enmy_sht.wav"), QStringLiteral("enmy_apr.wav"), QStringLiteral("enmy_die.wav"),
    QStringLiteral("user_sht.wav"), QStringLiteral("user_die.wav"), QStringLiteral("user_blt.wav"),
};
// The order in which the preloaded sounds are decoded (and the first bad file stops the load).
const std::array<int, 6> kLoadOrder = {
    SoundEffects::EnemyShot, SoundEffects::EnemyAppears, SoundEffects::UserShot,
    SoundEffects::UserEmpty, SoundEffects::EnemyDies, SoundEffects::UserDies,
};
const std::array<QString, 3> kEventName = {
    QStringLiteral("Connected"), QStringLiteral("Incoming Game Request"), QStringLiteral("Incoming Message"),
};
const QString kEventKeyPrefix = QStringLiteral("AppEvents\\Schemes\\Apps\\Gremlok\\");

bool validSound(int32_t id) { return id >= 0 && id < int32_t(kSoundFile.size()); }

} // namespace

struct SoundEffects::Impl {
    bool disabled = false;
    bool soundEnabled = false;
    bool supported = false;
    bool loaded = false;
    bool directSound = false;
    bool tested = false;
    std::array<QString, 3> eventPath;
    std::unique_ptr<platform::AudioOutput> output;
    // Which preloaded sound slot holds each sound id.
    std::array<int, 6> playerOf{};

    void load();
    void release();
};

SoundEffects::SoundEffects() : d(new Impl)
{
    platform::SettingsStore& reg = *modGremlok::SettingsStore;
    for (size_t i = 0; i < kEventName.size(); ++i) {
        const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER,
                                        kEventKeyPrefix + kEventName[i] + QStringLiteral("\\.Current"), 0);
        reg.ReadString(key, QString(), QString(), d->eventPath[i]);
        reg.CloseKey(key);
    }
    for (size_t i = 0; i < kLoadOrder.size(); ++i)
        d->playerOf[size_t(kLoadOrder[i])] = int(i);

    d->output = std::make_unique<platform::AudioOutput>();
    d->output->onOutputsChanged = [this] { ReflectConfigChange(); };
    // A file the header check accepted could not be decoded after all: the simple path takes
    // over, as after any failed load.
    d->output->onPreloadFailed = [this] {
        qCWarning(lcSound) << "A preloaded fight sound could not be decoded; playing them the simple way";
        d->release();
        d->supported = false;
        platform::Trace("sound.path", "simple");
    };
    ReflectConfigChange();
}

SoundEffects::~SoundEffects()
{
    // The sounds stop with the output stream.
    delete d;
}

void SoundEffects::setSoundEnabled(bool on) { d->soundEnabled = on; }

bool SoundEffects::SoundEnabled() const { return d->soundEnabled; }

bool SoundEffects::IsDirectSoundSupported()
{
    if (!d->tested) {
        // Preloaded sounds work wherever the sound server offers an output.
        d->supported = d->output->OutputCount() > 0;
        d->tested = true;
    }
    return d->supported;
}

void SoundEffects::ReflectConfigChange()
{
    const bool disabled = d->output->OutputCount() == 0;
    if (disabled != d->disabled)
        platform::Trace("sound.disabled", disabled ? "1" : "0");
    d->disabled = disabled;
}

bool SoundEffects::Disabled() const { return d->disabled; }

void SoundEffects::SetCooperativeLevel(uintptr_t)
{
    // The output stream does not depend on which window has the focus, so every preloaded
    // sound is already audible whatever window is active; there is nothing to set.
}

void SoundEffects::setDirectSound(bool on)
{
    d->directSound = on;
    if (on && !d->loaded && d->soundEnabled)
        d->load();
    else if ((!on && d->loaded) || !d->soundEnabled)
        d->release();
}

bool SoundEffects::DirectSound() const { return d->directSound; }

void SoundEffects::Impl::load()
{
    tested = true;
    // No output device, or a file that is missing, unreadable or not a playable wave: all fight
    // sounds go the simple way.
    bool ok = !disabled && output->OutputCount() > 0;
    if (!ok)
        qCWarning(lcSound) << "No audio output; fight sounds are not preloaded";
    QStringList files;
    for (size_t i = 0; ok && i < kLoadOrder.size(); ++i) {
        const QString path = modGremlok::SkinFolder + kSoundFile[size_t(kLoadOrder[i])];
        platform::AudioWaveFile wave;
        QString why;
        ok = platform::AudioWaveFile::Probe(path, wave, &why);
        if (!ok)
            qCWarning(lcSound) << "Not a playable wave file:" << path << why << "- fight sounds are played the simple way";
        files << path;
    }
    supported = ok;
    if (!ok) {
        platform::Trace("sound.path", "simple");
        return;
    }
    output->Load(files);
    loaded = true;
    platform::Trace("sound.path", "preloaded");
}

void SoundEffects::Impl::release()
{
    if (loaded)
        output->Release();
    loaded = false;
}

void SoundEffects::Play(int32_t sndSound)
{
    if (d->disabled || !d->soundEnabled || !validSound(sndSound))
        return;
    // Preloaded sounds only when they are really there: the supported flag alone can be set by
    // a test while sound was off and nothing was loaded.
    if (!d->directSound || !d->supported || !d->loaded) {
        d->output->PlaySimple(modGremlok::SkinFolder + kSoundFile[size_t(sndSound)]);
        return;
    }
    // The player's own shot and empty click start over on every click; the other sounds play
    // to their end and a repeat meanwhile is lost.
    const bool restart = sndSound == UserShot || sndSound == UserEmpty;
    d->output->PlayPreloaded(d->playerOf[size_t(sndSound)], restart);
}

void SoundEffects::PlaySoundEvent(int32_t id)
{
    if (d->disabled || id < 0 || id >= int32_t(kEventName.size()))
        return;
    const QString& path = d->eventPath[size_t(id)];
    if (!path.isEmpty())
        d->output->PlaySimple(path);
}
