#include "core/CommandLine.h"

#include "core/Logging.h"
#include "core/modGremlok.h"
#include "platform/SingleInstance.h"
#include "platform/System.h"
#include "platform/Trace.h"
#include "platform/Winsock.h"
#include "shell/frmMain.h"
#include "skins/SkinManagement.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

namespace modGremlok {

namespace {

// The argument ProcessCommandLine is handling (trimmed and unquoted), for its error message.
// A hand-over can arrive while a message box of an earlier one is open, so calls nest.
QString g_argument;

struct CurrentArgument {
    QString saved;
    explicit CurrentArgument(const QString& arg) : saved(g_argument) { g_argument = arg; }
    ~CurrentArgument() { g_argument = saved; }
};

// Critical, titled with the application title, above every other window: the nearest thing
// to a system-modal box.
void criticalBox(const QString& text)
{
    platform::Trace("msgbox", text);
    QMessageBox box(QMessageBox::Critical, AppTitle, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

// The Options dialog lists the installed skins; it is found by its class, so that this file
// does not depend on it.
void closeOptionsDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && qstrcmp(w->metaObject()->className(), "frmOptions") == 0)
            w->close();
    }
}

void unrecognised(const QString& arg)
{
    criticalBox(QStringLiteral("Error: Unrecognized command line argument \"") + arg + QStringLiteral("\"."));
}

bool startsWith(const QString& text, const char* prefix)
{
    return text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

} // namespace

QString Version()
{
    return QStringLiteral(GREMLOK_VERSION);
}

QString CanonicalArgument(const QString& arg)
{
    if (arg.compare(QLatin1String("--listen"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("/listen");
    if (startsWith(arg, "--ip=") || startsWith(arg, "--ip "))
        return QStringLiteral("/ip:") + arg.mid(5);
    if (startsWith(arg, "file:")) {
        const QUrl url(arg);
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return arg;
}

QString TerminalAnswer(const QString& commandLine)
{
    const QString c = commandLine.trimmed();
    if (c == QLatin1String("--version"))
        return AppTitle + QLatin1Char(' ') + Version() + QLatin1Char('\n');
    if (c != QLatin1String("--help") && c != QLatin1String("-h"))
        return QString();
    return QStringLiteral(
        "Usage: gremlok [ARGUMENT]\n"
        "Gremlok lives in the notification area. When a copy is already running, the argument\n"
        "is handed to it and this one ends.\n"
        "\n"
        "  /listen, --listen      be available for another player\n"
        "  /ip:HOST, --ip=HOST    connect to the player on HOST\n"
        "  PACKAGE.ssz            install a skin package (a path or a file:// URL) and use it\n"
        "  --help                 show this help and end\n"
        "  --version              show the version and end\n");
}

void CommandLineFailed(int Number, const QString& Description)
{
    qCWarning(lcCore) << "command line" << g_argument << "failed:" << Number << Description;
    criticalBox(SkinManagement::InstallErrorText(
        g_argument, {SkinManagement::InstallOutcome::Failed, Number, Description}));
    ExitStatus = 1;
    frmMain::instance().mnuExit_Click();
}

bool HandOverCommandLine()
{
    QString line = CommandLine;
    // A relative path means the folder this copy was started in, which the running copy
    // does not know: hand it over as a full path.
    QString arg = line.trimmed();
    arg.remove(QLatin1Char('"'));
    arg = CanonicalArgument(arg);
    const QFileInfo file(arg);
    if (file.isRelative() && file.isFile())
        line = file.absoluteFilePath();

    platform::SingleInstance channel(platform::PrivateRuntimeFolder());
    const bool answered = channel.handOver(line);
    if (!answered)
        qCWarning(lcCore) << "the running copy did not answer the command line";
    return answered;
}

void ProcessCommandLine(QString& commandLine)
{
    frmMain& main = frmMain::instance();

    // 1. A link that is up or being set up is never disturbed.
    const int state = main.Winsock->State();
    if (state != platform::Winsock::sckClosed && state != platform::Winsock::sckListening) {
        qCDebug(lcCore) << "command line ignored while the socket is in state" << state;
        return;
    }

    // 2.
    commandLine = commandLine.trimmed();
    commandLine.remove(QLatin1Char('"'));
    const CurrentArgument current(commandLine);
    const QString arg = CanonicalArgument(commandLine);

    // 3.
    if (arg.compare(QLatin1String("/listen"), Qt::CaseInsensitive) == 0) {
        if (!main.mnuListen->isChecked())
            main.mnuListen_Click();
        return;
    }

    // 4.
    if (startsWith(arg, "/ip:")) {
        if (FightInProgress || DialogOpen || MessageBoxOpen) {
            qCDebug(lcCore) << "connect request ignored: a fight, dialog or message box is open";
            return;
        }
        main.ConnectFromCommandLine(arg.mid(4).trimmed());
        return;
    }

    // 5. Only an ordinary file can be a package.
    if (!QFileInfo(arg).isFile()) {
        unrecognised(commandLine);
        return;
    }

    // 6.
    const SkinManagement::InstallResult result = SkinManagement::InstallSkinPackage(arg);
    switch (result.Outcome) {
    case SkinManagement::InstallOutcome::Installed:
        closeOptionsDialog();
        break;
    case SkinManagement::InstallOutcome::NotAPackage:   // gone since we looked
        unrecognised(commandLine);
        break;
    case SkinManagement::InstallOutcome::Failed:
        CommandLineFailed(result.Number, result.Description);
        break;
    }
}

} // namespace modGremlok
