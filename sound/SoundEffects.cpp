#include "sound/SoundEffects.h"

struct SoundEffects::Impl {
    bool soundEnabled = false;
    bool directSound = false;
};

SoundEffects::SoundEffects() : d(new Impl) {}
SoundEffects::~SoundEffects() { delete d; }
void SoundEffects::setSoundEnabled(bool on) { d->soundEnabled = on; }
bool SoundEffects::SoundEnabled() const { return d->soundEnabled; }
bool SoundEffects::IsDirectSoundSupported() { return false; }
void SoundEffects::ReflectConfigChange() {}
bool SoundEffects::Disabled() const { return true; }
void SoundEffects::SetCooperativeLevel(uintptr_t) {}
void SoundEffects::setDirectSound(bool on) { d->directSound = on; }
bool SoundEffects::DirectSound() const { return d->directSound; }
void SoundEffects::Play(int32_t) {}
void SoundEffects::PlaySoundEvent(int32_t) {}
