#pragma once
// All sound output: the six fight sounds of the current skin (preloaded, overlapping sounds,
// or the simple one-at-a-time path) and the three sound events of the peer link.
#include <QString>
#include <cstdint>

class SoundEffects {
public:
    SoundEffects();
    ~SoundEffects();
    SoundEffects(const SoundEffects&) = delete;
    SoundEffects& operator=(const SoundEffects&) = delete;

    enum SoundId { EnemyShot = 0, EnemyAppears = 1, EnemyDies = 2, UserShot = 3, UserDies = 4, UserEmpty = 5 };
    enum SoundEvent { Connected = 0, IncomingGameRequest = 1, IncomingMessage = 2 };

    void setSoundEnabled(bool on);
    bool SoundEnabled() const;
    bool IsDirectSoundSupported();
    void ReflectConfigChange();
    bool Disabled() const;
    void SetCooperativeLevel(uintptr_t hwnd);
    void setDirectSound(bool on);
    bool DirectSound() const;
    void Play(int32_t sndSound);
    void PlaySoundEvent(int32_t id);

private:
    struct Impl;
    Impl* d;
};
