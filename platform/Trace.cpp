#include "platform/Trace.h"

#include <QFile>

namespace platform {

void Trace(const QString& key, const QString& value)
{
    static const QString path = qEnvironmentVariable("GREMLOK_TRACE");
    if (path.isEmpty())
        return;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    v.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    f.write((key + QLatin1Char('\t') + v + QLatin1Char('\n')).toUtf8());
}

} // namespace platform
