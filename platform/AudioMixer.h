#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// Sounds decoded once into the output stream's own format: interleaved stereo, signed 16-bit,
// at StreamRate frames a second.
struct AudioPcm {
    static constexpr int StreamRate = 44100;
    static constexpr int Channels = 2;
    std::vector<int16_t> Samples;

    int64_t Frames() const { return int64_t(Samples.size()) / Channels; }
    int64_t LengthMs() const { return Frames() * 1000 / StreamRate; }
};
using AudioPcmPtr = std::shared_ptr<const AudioPcm>;

// Mixes the playing sounds into the stream's buffer. One voice per preloaded sound (a sound
// never plays twice over itself) and one voice for the simple path, which a new simple sound
// takes over. Overlapping voices are summed and the sum saturates at full scale instead of
// wrapping round. Not thread-safe: its owner serialises the calls.
class AudioMixer {
public:
    // A voice that has not ended this long after its sound should have is stuck (the stream
    // stopped taking data); it then no longer keeps a repeat of its sound from playing.
    static constexpr int64_t StuckMs = 500;

    // Replaces the preloaded sounds; their voices fall silent.
    void SetSounds(std::vector<AudioPcmPtr> sounds);
    int SoundCount() const { return int(m_voices.size()); }

    // Starts preloaded sound `index` at time `nowMs` (any steady clock). A voice still playing
    // goes on and the call is lost, unless `restart`, which starts it over. False when nothing
    // was started.
    bool Play(int index, bool restart, int64_t nowMs);
    // The simple path: cuts off its previous sound and starts `sound` (null: only the cut).
    void PlaySimple(AudioPcmPtr sound, int64_t nowMs);
    // Drops voices that were started before `beforeMs` and have not been heard at all: a sound
    // that comes that late is worse than none.
    void DropUnstarted(int64_t beforeMs);

    bool Active() const;
    // Writes the next `frames` frames of the mix to `out` (silence where nothing plays).
    void Mix(int16_t* out, int64_t frames);

private:
    struct Voice {
        AudioPcmPtr Sound;
        int64_t Position = 0;   // frames played; the voice is silent when not Playing
        bool Playing = false;
        int64_t StartedMs = 0;
    };
    static void Start(Voice& v, int64_t nowMs);

    std::vector<Voice> m_voices;
    Voice m_simple;
    std::vector<int32_t> m_sum;
};

} // namespace platform
