#include "platform/ProcessUsage.h"

#include <QDir>
#include <QFile>

namespace platform {

long ResidentKiB()
{
    // Read whole: files under /proc report no size, so reading line by line would stop at once.
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            bool ok = false;
            const long kib = line.mid(6).trimmed().split(' ').value(0).toLong(&ok);
            return ok ? kib : -1;
        }
    }
    return -1;
}

int OpenFileCount()
{
    // The listing holds the descriptor of the folder being read as well: the same one each
    // time, so counts stay comparable.
    const QDir fds(QStringLiteral("/proc/self/fd"));
    if (!fds.exists())
        return -1;
    return int(fds.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}

} // namespace platform
