#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

#include "platform/AudioMixer.h"

namespace platform {

// The facts of a wave file that the players need, read without trusting any of its sizes.
struct AudioWaveFile {
    uint16_t Format = 0;        // 1 integer PCM, 3 IEEE float (an extensible header gives its sub-format)
    uint16_t Channels = 0;
    uint32_t SampleRate = 0;
    uint16_t BitsPerSample = 0;
    uint16_t BlockAlign = 0;    // bytes per frame
    int64_t FormatOffset = 0;   // where the "fmt " chunk starts, and its size with header
    int64_t FormatSize = 0;
    int64_t DataOffset = 0;     // where the sound data starts
    int64_t DataBytes = 0;      // whole frames of sound data present in what was parsed

    // Reads the file's header; false (with a reason) when the file is missing, unreadable,
    // not a RIFF/WAVE file, cut short, or in an encoding the players cannot decode.
    static bool Probe(const QString& path, AudioWaveFile& out, QString* why = nullptr);
    // The same for a whole file already in memory.
    static bool Parse(const QByteArray& bytes, AudioWaveFile& out, QString* why = nullptr);

    // Longest sound the players take; a longer one (or one whose header claims more) is refused
    // rather than held in memory.
    static constexpr int64_t MaxDecodedMs = 60 * 1000;

    // The sound of the file `bytes` (which Parse described) converted to the output stream's
    // format: any supported encoding and rate, mono spread to both sides, further channels
    // dropped. False (with a reason) when the description does not fit the bytes or the sound
    // is too long.
    bool Decode(const QByteArray& bytes, AudioPcm& out, QString* why = nullptr) const;
    // Reads, checks and decodes a whole file; null (with a reason) when it cannot be played.
    static AudioPcmPtr Read(const QString& path, QString* why = nullptr);
};

} // namespace platform
