#pragma once
// The peer link's wire format, with no window or socket in it: the receive buffer that turns
// the byte stream into NUL-terminated messages, the framing of outgoing messages, and the
// reading and checking of message payloads. Text is Latin-1, one byte a character, both ways.
#include <QByteArray>
#include <QString>
#include <cstdint>

class PeerLink {
public:
    // A peer that sends this much without a NUL is flooding us: the link is dropped.
    static constexpr int MaxMessageLength = 64 * 1024;
    // A conforming peer never sends more; longer ones are cut for display.
    static constexpr int MaxBodyShown = 254;
    static constexpr int MaxNicknameShown = 18;
    // Largest interval values taken from a peer: start in seconds such that start * 1000 still
    // fits in 32 bits, length the 16-bit setting.
    static constexpr int32_t MaxIntervalStart = 2147483;
    static constexpr int32_t MaxIntervalLength = 32767;

    enum class Take { Message, None, Flooded };

    // Received text (Latin-1: each character one byte) goes at the end of the buffer.
    void Append(const QString& chunk);
    // The oldest complete message, without its NUL; None when no complete message is left,
    // Flooded when the unterminated text is longer than MaxMessageLength.
    Take Next(QString& message);
    void Clear();
    const QString& Pending() const { return m_buffer; }

    // The bytes that carry one message: its Latin-1 text and the terminating NUL. A NUL inside
    // the text would split it into two messages at the peer, so such characters are dropped;
    // characters outside Latin-1 become '?'.
    static QByteArray Frame(const QString& message);

    // What a received message asks for, in the order the dispatch tests them.
    enum class Kind { Ignored, IWon, StartOK, ShotFired, StartNow, Pause, Resume, StartDenied,
                      Interval, Nickname, Difficulty, Msg };
    struct Parsed {
        Kind kind = Kind::Ignored;
        int32_t start = 0;          // Interval
        int16_t length = 0;         // Interval
        uint8_t difficulty = 0;     // Difficulty: 1..3
        QString text;               // Nickname (as shown, "Anonymous" for empty), Msg body (as shown)
    };
    // Reads one message; a malformed one (bad numbers, a difficulty not 1..3, a too short
    // "Nickname", an empty "Msg:") comes back as Ignored.
    static Parsed Parse(const QString& message);

    // The notification's minutes for an interval: from ⌊start/60⌋ to ⌊(start+length)/60⌋ + 1.
    static int MinutesFrom(int32_t start) { return int(start / 60); }
    static int MinutesTo(int32_t start, int16_t length) { return int((int64_t(start) + length) / 60 + 1); }
    // How long an instant message stays up: 10 s plus 75 ms a character.
    static int MessageTimeout(const QString& body) { return 10000 + 75 * int(body.size()); }

private:
    QString m_buffer;
    int m_scanned = 0;   // the buffer holds no NUL before this index
};
