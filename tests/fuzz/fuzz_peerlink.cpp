// libFuzzer target for the link's receive path: arbitrary bytes, cut into reads of arbitrary
// sizes, go through the receive buffer and every complete message through the payload reader.
// Besides crashes and sanitizer reports it checks that reassembly loses and invents nothing
// and that what the reader hands on stays within the display limits.
#include "net/PeerLink.h"

#include <cstdint>
#include <cstdlib>

static void check(bool ok)
{
    if (!ok)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the read size, as a peer's segments and our reads would vary.
    const size_t step = size_t(data[0] % 64) + 1;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    PeerLink link;
    QByteArray rebuilt;
    bool flooded = false;
    for (qsizetype at = 0; at < stream.size() && !flooded; at += qsizetype(step)) {
        link.Append(QString::fromLatin1(stream.mid(at, qsizetype(step))));
        QString message;
        for (;;) {
            const PeerLink::Take t = link.Next(message);
            if (t == PeerLink::Take::None)
                break;
            if (t == PeerLink::Take::Flooded) {
                flooded = true;
                break;
            }
            check(!message.contains(QChar(0)) && message.size() <= PeerLink::MaxMessageLength);
            rebuilt += PeerLink::Frame(message);
            const PeerLink::Parsed p = PeerLink::Parse(message);
            switch (p.kind) {
            case PeerLink::Kind::Nickname:
                check(!p.text.isEmpty() && p.text.size() <= PeerLink::MaxNicknameShown);
                break;
            case PeerLink::Kind::Msg:
                check(!p.text.isEmpty() && p.text.size() <= PeerLink::MaxBodyShown);
                check(PeerLink::MessageTimeout(p.text) <= 10000 + 75 * PeerLink::MaxBodyShown);
                break;
            case PeerLink::Kind::Difficulty:
                check(p.difficulty >= 1 && p.difficulty <= 3);
                break;
            case PeerLink::Kind::Interval:
                check(p.start >= 0 && p.start <= PeerLink::MaxIntervalStart && p.length >= 0);
                check(PeerLink::MinutesTo(p.start, p.length) > PeerLink::MinutesFrom(p.start));
                break;
            default:
                break;
            }
        }
    }
    if (!flooded) {
        // Every byte is either in a handled message (with its NUL) or still waiting.
        check(rebuilt + link.Pending().toLatin1() == stream);
    }
    return 0;
}
