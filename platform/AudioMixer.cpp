#include "platform/AudioMixer.h"

#include <algorithm>

namespace platform {

void AudioMixer::SetSounds(std::vector<AudioPcmPtr> sounds)
{
    m_voices.clear();
    m_voices.resize(sounds.size());
    for (size_t i = 0; i < sounds.size(); ++i)
        m_voices[i].Sound = std::move(sounds[i]);
}

void AudioMixer::Start(Voice& v, int64_t nowMs)
{
    v.Position = 0;
    v.Playing = v.Sound && v.Sound->Frames() > 0;
    v.StartedMs = nowMs;
}

bool AudioMixer::Play(int index, bool restart, int64_t nowMs)
{
    if (index < 0 || index >= int(m_voices.size()))
        return false;
    Voice& v = m_voices[size_t(index)];
    if (v.Playing && !restart && nowMs - v.StartedMs < v.Sound->LengthMs() + StuckMs)
        return false;
    Start(v, nowMs);
    return v.Playing;
}

void AudioMixer::PlaySimple(AudioPcmPtr sound, int64_t nowMs)
{
    m_simple.Sound = std::move(sound);
    Start(m_simple, nowMs);
}

void AudioMixer::DropUnstarted(int64_t beforeMs)
{
    auto drop = [beforeMs](Voice& v) {
        if (v.Playing && v.Position == 0 && v.StartedMs < beforeMs)
            v.Playing = false;
    };
    std::for_each(m_voices.begin(), m_voices.end(), drop);
    drop(m_simple);
}

bool AudioMixer::Active() const
{
    return m_simple.Playing
        || std::any_of(m_voices.begin(), m_voices.end(), [](const Voice& v) { return v.Playing; });
}

void AudioMixer::Mix(int16_t* out, int64_t frames)
{
    const size_t n = size_t(frames) * AudioPcm::Channels;
    m_sum.assign(n, 0);
    auto add = [this, frames](Voice& v) {
        if (!v.Playing)
            return;
        const int64_t take = std::min(frames, v.Sound->Frames() - v.Position);
        const int16_t* from = v.Sound->Samples.data() + v.Position * AudioPcm::Channels;
        for (size_t i = 0; i < size_t(take) * AudioPcm::Channels; ++i)
            m_sum[i] += from[i];
        v.Position += take;
        if (v.Position >= v.Sound->Frames())
            v.Playing = false;
    };
    for (Voice& v : m_voices)
        add(v);
    add(m_simple);
    for (size_t i = 0; i < n; ++i)
        out[i] = int16_t(std::clamp<int32_t>(m_sum[i], INT16_MIN, INT16_MAX));
}

} // namespace platform
