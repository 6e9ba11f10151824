#pragma once
// Helpers of the command-line handling beside ProcessCommandLine and HandOverCommandLine
// (declared in modGremlok.h).
#include <QString>

namespace modGremlok {

// The program's own spelling of an argument that has been trimmed and unquoted: the usual
// Linux forms "--listen", "--ip=HOST" and "--ip HOST" become "/listen" and "/ip:HOST", and a
// file:// URL becomes the local path it names. Anything else comes back unchanged.
QString CanonicalArgument(const QString& arg);

// What a terminal user asked for with "--help", "-h" or "--version" as the whole command line;
// empty for any other command line.
QString TerminalAnswer(const QString& commandLine);

// The program's version, "1.0.0".
QString Version();

// A step of ProcessCommandLine failed: shows "Error installing skin ..." with the argument
// being handled, the number and the description, then runs Exit; the process ends (status 1)
// once the handler that called it has returned.
void CommandLineFailed(int Number, const QString& Description);

} // namespace modGremlok
