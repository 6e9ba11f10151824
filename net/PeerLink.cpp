#include "net/PeerLink.h"

#include "core/Strings.h"

namespace {

// A decimal number as the protocol writes it: digits only, within [0, max].
bool readNumber(const QString& text, int64_t max, int64_t& value)
{
    if (text.isEmpty() || text.size() > 10)
        return false;
    int64_t v = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
    }
    if (v > max)
        return false;
    value = v;
    return true;
}

} // namespace

void PeerLink::Append(const QString& chunk)
{
    m_buffer += chunk;
}

PeerLink::Take PeerLink::Next(QString& message)
{
    const int nul = int(m_buffer.indexOf(QChar(0), m_scanned));
    if (nul < 0) {
        m_scanned = int(m_buffer.size());
        return m_buffer.size() > MaxMessageLength ? Take::Flooded : Take::None;
    }
    if (nul > MaxMessageLength)
        return Take::Flooded;
    message = m_buffer.left(nul);
    m_buffer.remove(0, nul + 1);
    m_scanned = 0;
    return Take::Message;
}

void PeerLink::Clear()
{
    m_buffer.clear();
    m_scanned = 0;
}

QByteArray PeerLink::Frame(const QString& message)
{
    QString text = message;
    text.remove(QChar(0));
    QByteArray bytes = text.toLatin1();
    bytes.append('\0');
    return bytes;
}

PeerLink::Parsed PeerLink::Parse(const QString& m)
{
    Parsed p;
    static const struct { const char* word; Kind kind; } exact[] = {
        {"IWon", Kind::IWon}, {"StartOK", Kind::StartOK}, {"ShotFired", Kind::ShotFired},
        {"StartNow", Kind::StartNow}, {"Pause", Kind::Pause}, {"Resume", Kind::Resume},
        {"StartDenied", Kind::StartDenied},
    };
    for (const auto& e : exact) {
        if (m == QLatin1String(e.word)) {
            p.kind = e.kind;
            return p;
        }
    }

    if (m.startsWith(QLatin1String("Interval:"))) {
        // The comma is looked for from the first character of the start on.
        const int comma = int(m.indexOf(QLatin1Char(','), 9));
        int64_t start = 0, length = 0;
        if (comma < 0 || !readNumber(m.mid(9, comma - 9), MaxIntervalStart, start)
            || !readNumber(m.mid(comma + 1), MaxIntervalLength, length))
            return p;
        p.kind = Kind::Interval;
        p.start = int32_t(start);
        p.length = int16_t(length);
        return p;
    }
    // "Nickname" and "Difficulty" are known by their first letters; the separator after them
    // is not looked at.
    if (m.startsWith(QLatin1String("Nickname"))) {
        if (m.size() < 9)
            return p;
        p.kind = Kind::Nickname;
        p.text = m.mid(9, MaxNicknameShown);
        if (p.text.isEmpty())
            p.text = Strings::Anonymous;
        return p;
    }
    if (m.startsWith(QLatin1String("Difficulty"))) {
        const QChar last = m.size() > 10 ? m.back() : QChar();
        if (last < QLatin1Char('1') || last > QLatin1Char('3'))
            return p;
        p.kind = Kind::Difficulty;
        p.difficulty = uint8_t(last.unicode() - '0');
        return p;
    }
    if (m.startsWith(QLatin1String("Msg:"))) {
        if (m.size() == 4)
            return p;
        p.kind = Kind::Msg;
        p.text = m.mid(4, MaxBodyShown);
        return p;
    }
    return p;
}
