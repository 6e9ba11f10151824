#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

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

    // A plain wave file holding the same sound followed by `silenceMs` of silence. Qt's sound
    // effects close their stream as soon as the last byte is handed over, which drops what the
    // server still has buffered; the silence is what gets dropped instead of the sound's end.
    QByteArray WithSilence(const QByteArray& bytes, int silenceMs) const;
};

} // namespace platform
