#pragma once
// "Start Gremlok when I log in": the user's autostart desktop entry
// ($XDG_CONFIG_HOME/autostart/io.github.gremlok.Gremlok.desktop). The file itself is the
// setting; nothing else remembers it.
#include <QString>
#include <QStringList>

namespace platform::Autostart {

// Seconds the program waits after login, so that a panel that starts late is there first.
constexpr int LoginDelay = 5;

QString FilePath();

// The entry is there and not switched off (Hidden=true, X-GNOME-Autostart-enabled=false).
bool IsEnabled();

// The whole file that starts `program` (an absolute path) `delaySeconds` after login.
QString EntryText(const QString& program, int delaySeconds = LoginDelay);

// Writes the entry for `program` unless the file already says exactly that (an entry left by
// another install path is rewritten). False with a reason when the file cannot be written.
bool Enable(const QString& program, QString* error);
// Removes the entry if it is there. False with a reason when it cannot be removed.
bool Disable(QString* error);

// The Exec value for running `argv` (before the file's own string escapes): every argument
// that needs it in double quotes with `"`, backquote, `$` and backslash escaped; `%` doubled.
QString ExecLine(const QStringList& argv);

} // namespace platform::Autostart
