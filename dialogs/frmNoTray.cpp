#include "dialogs/frmNoTray.h"

#include "core/PictureReader.h"
#include "core/modGremlok.h"
#include "dialogs/DialogFights.h"
#include "platform/Trace.h"
#include "shell/NoTrayCheck.h"
#include "shell/frmMain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace modGremlok;

frmNoTray::frmNoTray()
{
    setWindowTitle(AppTitle);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("frmNoTray"));

    imgIcon = new QLabel(this);
    imgIcon->setPixmap(modGremlok::LoadPicture(QStringLiteral(":/icons/tray1.png")));
    imgIcon->setFixedSize(32, 32);
    lblInfo = new QLabel(QStringLiteral(
        "Gremlok is running, but this desktop has no notification area (system tray) to show its "
        "icon in, so its menus cannot be reached.\n\n"
        "Add a notification area to your panel and the Gremlok icon appears there at once. "
        "You can also start a fight or open the Options from here now."), this);
    lblInfo->setWordWrap(true);
    lblInfo->setMinimumWidth(fontMetrics().averageCharWidth() * 52);

    cmdFightNow = new QPushButton(QStringLiteral("&Fight Now!"), this);
    cmdOptions = new QPushButton(QStringLiteral("&Options..."), this);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    // Enter closes the notice; a fight only starts when asked for.
    cmdClose->setDefault(true);
    cmdFightNow->setAutoDefault(false);
    cmdOptions->setAutoDefault(false);
    const int buttonWidth = std::max({cmdFightNow->sizeHint().width(), cmdOptions->sizeHint().width(),
                                      fontMetrics().horizontalAdvance(QLatin1Char('x')) * 12});
    for (QPushButton* b : {cmdFightNow, cmdOptions, cmdClose})
        b->setMinimumWidth(buttonWidth);
    cmdFightNow->setObjectName(QStringLiteral("cmdFightNow"));
    cmdOptions->setObjectName(QStringLiteral("cmdOptions"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto* top = new QHBoxLayout;
    top->addWidget(imgIcon, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addWidget(lblInfo, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdFightNow);
    buttons->addWidget(cmdOptions);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addSpacing(8);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdFightNow, &QPushButton::clicked, this, &frmNoTray::cmdFightNow_Click);
    connect(cmdOptions, &QPushButton::clicked, this, &frmNoTray::cmdOptions_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    // "Fight Now!" is offered exactly when the tray menu would offer it.
    QAction* fightNow = frmMain::instance().mnuFightNow;
    cmdFightNow->setEnabled(fightNow->isEnabled());
    connect(fightNow, &QAction::changed, this, [this, fightNow] { cmdFightNow->setEnabled(fightNow->isEnabled()); });
}

void frmNoTray::ShowDialog()
{
    if (!m_loaded) {
        m_loaded = true;
        SuspendAutomaticFights();
    }
    show();
    raise();
    activateWindow();
}

void frmNoTray::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    platform::Trace("notray.window", "shown");
    // Where the buttons are, for scripts that click them as a person would.
    QTimer::singleShot(0, this, [this] {
        for (QPushButton* b : {cmdFightNow, cmdOptions, cmdClose}) {
            const QPoint c = b->mapToGlobal(b->rect().center());
            platform::Trace(QStringLiteral("notray.button.") + b->objectName(),
                            QStringLiteral("%1 %2").arg(c.x()).arg(c.y()));
        }
    });
}

void frmNoTray::cmdFightNow_Click()
{
    // The notice goes first: the fight's snapshot must not show it, and the fight's end
    // schedules the next timed fight as usual.
    reject();
    QTimer::singleShot(0, [] { NoTrayCheck::NoticeAction(QStringLiteral("fight")); });
}

void frmNoTray::cmdOptions_Click()
{
    reject();
    NoTrayCheck::NoticeAction(QStringLiteral("options"));
}

void frmNoTray::done(int r)
{
    if (m_loaded) {
        m_loaded = false;
        RearmAutomaticFights();
    }
    QDialog::done(r);
    platform::Trace("notray.window", "closed");
    deleteLater();
}
