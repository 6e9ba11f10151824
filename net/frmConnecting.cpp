#include "net/frmConnecting.h"

#include "core/FormTimer.h"
#include "core/modGremlok.h"
#include "platform/Winsock.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

using namespace modGremlok;

namespace {
// Layout sizes are in twips, 15 to a pixel; Qt scales them on high-DPI screens.
constexpr int px(int twips) { return (twips + 7) / 15; }
}

frmConnecting::frmConnecting() : QDialog(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(AppTitle);
    // A fixed dialog without a control box, kept out of the taskbar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(px(4890), px(1470));

    imgConnecting = new QLabel(this);
    imgConnecting->setGeometry(px(180), px(180), 32, 32);
    imgConnecting->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));

    lblConnecting = new QLabel(QStringLiteral("Initializing..."), this);
    lblConnecting->setGeometry(px(900), px(210), px(3855), px(780));
    lblConnecting->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblConnecting->setWordWrap(true);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setGeometry(px(1920), px(960), px(1125), px(345));
    connect(cmdCancel, &QPushButton::clicked, this, &frmConnecting::cmdCancel_Click);

    tmrStatus = new FormTimer(this);
    tmrStatus->setInterval(500);
    connect(tmrStatus, &FormTimer::Timer, this, &frmConnecting::tmrStatus_Timer);
    tmrStatus->setEnabled(true);

    // Form_Load
    DialogOpen = true;
}

frmConnecting::~frmConnecting()
{
    // Form_Unload
    DialogOpen = false;
}

void frmConnecting::showEvent(QShowEvent* event)
{
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        move(r.center() - rect().center());
    }
    QDialog::showEvent(event);
}

void frmConnecting::tmrStatus_Timer()
{
    if (!frmMain::isLoaded())
        return;
    platform::Winsock& sock = *frmMain::instance().Winsock;
    switch (sock.State()) {
    case platform::Winsock::sckResolvingHost:
        lblConnecting->setText(QStringLiteral("Resolving Host..."));
        break;
    case platform::Winsock::sckConnecting:
        lblConnecting->setText(QStringLiteral("Connecting to ") + sock.RemoteHost() + QStringLiteral("..."));
        break;
    case platform::Winsock::sckConnected:
        lblConnecting->setText(QStringLiteral("Authenticating..."));
        break;
    default:
        break;
    }
}

void frmConnecting::cmdCancel_Click()
{
    if (frmMain::isLoaded())
        frmMain::instance().mnuDisconnect_Click();
    close();
}

void frmConnecting::reject()
{
    cmdCancel_Click();
}

void frmConnecting::closeEvent(QCloseEvent* event)
{
    // Closing from code is not cancelling (the window also closes when the peer's greeting
    // arrives), but a window manager that draws a close box anyway sends the player's close:
    // that one gives up the attempt, as Cancel does, so no connection goes on unseen.
    tmrStatus->setEnabled(false);
    if (event->spontaneous() && frmMain::isLoaded()
        && frmMain::instance().Winsock->State() != platform::Winsock::sckClosed)
        frmMain::instance().mnuDisconnect_Click();
    event->accept();
}
