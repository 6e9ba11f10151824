#include "platform/Autostart.h"

#include "core/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace platform::Autostart {

namespace {

const QString kFileName = QStringLiteral("io.github.gremlok.Gremlok.desktop");

// Characters that make an Exec argument need quoting.
const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

// A shell word that stands for `text` whatever it holds: single quotes, with each single
// quote closed, escaped and reopened.
QString shellQuoted(const QString& text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

// A desktop entry value is a string with its own escapes for backslash and control characters.
QString escapedValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

// The "key=value" lines of the [Desktop Entry] group.
QHash<QString, QString> entryValues(const QString& text)
{
    QHash<QString, QString> values;
    bool inEntry = false;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (inEntry && eq > 0 && !line.startsWith(QLatin1Char('#')))
            values.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return values;
}

QString readFile(const QString& path, bool* ok = nullptr)
{
    QFile f(path);
    const bool opened = f.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? QString::fromUtf8(f.read(1 << 16)) : QString();
}

} // namespace

QString FilePath()
{
    // $XDG_CONFIG_HOME, else ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/") + kFileName;
}

bool IsEnabled()
{
    bool ok = false;
    const QString text = readFile(FilePath(), &ok);
    if (!ok)
        return false;
    const QHash<QString, QString> v = entryValues(text);
    return v.value(QStringLiteral("Hidden")) != QLatin1String("true")
        && v.value(QStringLiteral("X-GNOME-Autostart-enabled")) != QLatin1String("false");
}

QString ExecLine(const QStringList& argv)
{
    QStringList words;
    for (const QString& arg : argv) {
        QString word = arg;
        const bool quote = arg.isEmpty()
            || std::any_of(arg.begin(), arg.end(), [](QChar c) { return kReserved.contains(c); });
        if (quote) {
            word.clear();
            for (const QChar c : arg) {
                if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                    word += QLatin1Char('\\');
                word += c;
            }
            word = QLatin1Char('"') + word + QLatin1Char('"');
        }
        // A lone % would be read as a field code.
        word.replace(QLatin1Char('%'), QLatin1String("%%"));
        words << word;
    }
    return words.join(QLatin1Char(' '));
}

QString EntryText(const QString& program, int delaySeconds)
{
    // Desktops other than GNOME ignore its delay key; the shell's sleep works everywhere.
    const QString script = QStringLiteral("sleep %1; exec %2").arg(delaySeconds).arg(shellQuoted(program));
    const QString exec = ExecLine({QStringLiteral("sh"), QStringLiteral("-c"), script});
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Gremlok\n"
                          "Comment=Start Gremlok when you log in\n"
                          "Exec=%1\n"
                          "Icon=io.github.gremlok.Gremlok\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n"
                          "X-GNOME-Autostart-Delay=%2\n")
        .arg(escapedValue(exec))
        .arg(delaySeconds);
}

bool Enable(const QString& program, QString* error)
{
    const QString path = FilePath();
    if (!QFileInfo(program).isAbsolute()) {
        // Started at login from some other folder, a relative path would find nothing.
        if (error)
            *error = QStringLiteral("The program's own path is not known.");
        return false;
    }
    const QString text = EntryText(program);
    bool exists = false;
    if (readFile(path, &exists) == text && exists)
        return true;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("The folder %1 cannot be created.").arg(QFileInfo(path).absolutePath());
        qCWarning(lcPlatform) << "autostart folder not created:" << QFileInfo(path).absolutePath();
        return false;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0 || !f.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        qCWarning(lcPlatform) << "autostart entry not written:" << path << f.errorString();
        return false;
    }
    return true;
}

bool Disable(QString* error)
{
    QFile f(FilePath());
    if (!f.exists() || f.remove())
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(f.fileName(), f.errorString());
    qCWarning(lcPlatform) << "autostart entry not removed:" << f.fileName() << f.errorString();
    return false;
}

} // namespace platform::Autostart
