#include "shell/frmMain.h"

#include "core/PictureReader.h"
#include "core/modGremlok.h"
#include "fight/FightResources.h"
#include "platform/SingleInstance.h"
#include "platform/SysInfo.h"
#include "platform/Winsock.h"
#include "platform/vbTrayIcon.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSignalBlocker>

using namespace modGremlok;

// The pictures are compiled into the library; register them before the first use.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
    InitFightResources();
}

frmMain::frmMain()
{
    initResources();
    setWindowTitle(AppTitle + QStringLiteral("msgProc"));
    setAttribute(Qt::WA_DontShowOnScreen);

    cmdProcessMsg = new QPushButton(QStringLiteral("ProcMsg"), this);
    cmdProcessMsg->hide();
    Winsock = new platform::Winsock(this);
    SysInfo = new platform::SysInfo(this);
    tmrSysTrayLeftButton = new FormTimer(this);
    tmrAnimDie = new FormTimer(this, Qt::PreciseTimer);
    tmrAnimAttack = new FormTimer(this, Qt::PreciseTimer);
    SetPictureSize(1, 1);
    loadPictures();
    buildMenus();
    SysTray = new platform::vbTrayIcon(this);

    connect(SysTray, &platform::vbTrayIcon::MouseUp, this, &frmMain::SysTray_MouseUp);
    connect(SysTray, &platform::vbTrayIcon::DblClick, this, &frmMain::SysTray_DblClick);
    connect(tmrSysTrayLeftButton, &FormTimer::Timer, this, &frmMain::tmrSysTrayLeftButton_Timer);
    connect(tmrAnimAttack, &FormTimer::Timer, this, &frmMain::tmrAnimAttack_Timer);
    connect(tmrAnimDie, &FormTimer::Timer, this, &frmMain::tmrAnimDie_Timer);
    connect(SysInfo, &platform::SysInfo::DeviceArrival, this, &frmMain::SysInfo_DeviceArrival);
    connect(SysInfo, &platform::SysInfo::DeviceRemoveComplete, this, &frmMain::SysInfo_DeviceRemoveComplete);
    connect(SysInfo, &platform::SysInfo::DisplayChanged, this, &frmMain::SysInfo_DisplayChanged);
    connect(SysInfo, &platform::SysInfo::PowerSuspend, this, &frmMain::SysInfo_PowerSuspend);
    connect(SysInfo, &platform::SysInfo::PowerResume, this, &frmMain::SysInfo_PowerResume);
    connect(SysInfo, &platform::SysInfo::SettingChanged, this, &frmMain::SysInfo_SettingChanged);
    connect(SysInfo, &platform::SysInfo::SessionEnding, this, [this] {
        bool cancel = false;
        Form_QueryUnload(cancel, 2);
    });
    connectLink();
}

frmMain::~frmMain() = default;

QString frmMain::Tag(const QAction* item)
{
    return item ? item->data().toString() : QString();
}

void frmMain::SetTag(QAction* item, const QString& tag)
{
    if (item)
        item->setData(tag);
}

void frmMain::SetPictureSize(int width, int height)
{
    picDesktop = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    picDesktop.fill(Qt::black);
}

void frmMain::buildMenus()
{
    auto item = [this](QMenu* menu, const QString& caption, void (frmMain::*handler)()) {
        QAction* a = menu->addAction(caption);
        a->setData(QString());
        connect(a, &QAction::triggered, this, [this, a, handler] {
            // Qt flips a checkable item before reporting the choice; the handlers set the
            // marks themselves, exactly as when other code runs them.
            if (a->isCheckable()) {
                const QSignalBlocker block(a);
                a->setChecked(!a->isChecked());
            }
            (this->*handler)();
        });
        return a;
    };

    mnuSysTrayLeftButton = new QMenu(this);
    mnuFightNow = item(mnuSysTrayLeftButton, QStringLiteral("&Fight Now!"), &frmMain::mnuFightNow_Click);
    mnuTimedFight = item(mnuSysTrayLeftButton, QStringLiteral("&Timed Fight"), &frmMain::mnuTimedFight_Click);
    mnuListen = item(mnuSysTrayLeftButton, QStringLiteral("&Available"), &frmMain::mnuListen_Click);
    mnuPause = item(mnuSysTrayLeftButton, QStringLiteral("&Away"), &frmMain::mnuPause_Click);
    mnuDisconnect = item(mnuSysTrayLeftButton, QStringLiteral("&Disconnect"), &frmMain::mnuDisconnect_Click);
    mnuTimedFight->setCheckable(true);
    mnuListen->setCheckable(true);
    mnuPause->setCheckable(true);
    mnuPause->setVisible(false);
    mnuDisconnect->setVisible(false);

    mnuSysTrayRightButton = new QMenu(this);
    mnuOptions = item(mnuSysTrayRightButton, QStringLiteral("&Options..."), &frmMain::mnuOptions_Click);
    mnuBestTimes = item(mnuSysTrayRightButton, QStringLiteral("&Best Times..."), &frmMain::mnuBestTimes_Click);
    mnuStatistics = item(mnuSysTrayRightButton, QStringLiteral("&Statistics..."), &frmMain::mnuStatistics_Click);
    mnuConnect = item(mnuSysTrayRightButton, QStringLiteral("&Connect To..."), &frmMain::mnuConnect_Click);
    mnuSendMessage = item(mnuSysTrayRightButton, QStringLiteral("Instant &Message..."), &frmMain::mnuSendMessage_Click);
    mnuSendMessage->setVisible(false);
    mnuDifficulty = mnuSysTrayRightButton->addMenu(QStringLiteral("&Difficulty"));
    mnuBeginner = item(mnuDifficulty, QStringLiteral("&Beginner"), &frmMain::mnuBeginner_Click);
    mnuIntermediate = item(mnuDifficulty, QStringLiteral("&Intermediate"), &frmMain::mnuIntermediate_Click);
    mnuExpert = item(mnuDifficulty, QStringLiteral("&Expert"), &frmMain::mnuExpert_Click);
    mnuSep2 = mnuDifficulty->addSeparator();
    mnuCustom = item(mnuDifficulty, QStringLiteral("&Random"), &frmMain::mnuCustom_Click);
    for (QAction* a : {mnuBeginner, mnuIntermediate, mnuExpert, mnuCustom})
        a->setCheckable(true);
    mnuIntermediate->setChecked(true);
    mnuSep4 = mnuSysTrayRightButton->addSeparator();
    mnuHelpTopics = item(mnuSysTrayRightButton, QStringLiteral("&Help Topics"), &frmMain::mnuHelpTopics_Click);
    mnuAboutGremlok = item(mnuSysTrayRightButton, QStringLiteral("&About Gremlok"), &frmMain::mnuAboutGremlok_Click);
    mnuSep3 = mnuSysTrayRightButton->addSeparator();
    mnuExit = item(mnuSysTrayRightButton, QStringLiteral("E&xit"), &frmMain::mnuExit_Click);
}

void frmMain::loadPictures()
{
    for (int i = 1; i <= 7; ++i)
        IconList.Add(modGremlok::LoadPicture(QStringLiteral(":/icons/tray%1.png").arg(i)));

    // Pointer styles of the fight, each with its hot spot in the picture's centre unless the
    // resource list names another.
    static const char* const names[] = {"Default", "Inverse", "Black", "High Visibility", "Circular", "Skinned"};
    for (int i = 0; i < 6; ++i) {
        QPixmap pic = modGremlok::LoadPicture(QStringLiteral(":/cursors/pointer%1.png").arg(i + 1));
        if (pic.isNull()) {
            pic = QPixmap(32, 32);
            pic.fill(Qt::transparent);
            QPainter p(&pic);
            p.setPen(QPen(Qt::black, 2));
            p.drawLine(16, 2, 16, 30);
            p.drawLine(2, 16, 30, 16);
        }
        CursorList.Add(pic, QString::fromLatin1(names[i]), QPoint(pic.width() / 2, pic.height() / 2));
    }
}

void frmMain::PopupMenu(QMenu* menu, QAction* defaultItem)
{
    menu->setDefaultAction(defaultItem);
    // Natively on Wayland a menu without a window of ours to hang from opens as a window of its
    // own, which a tiling compositor stretches over the whole screen (and keeps a screenful of
    // pixels for while hidden); held at its own size, it floats as a menu should.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        menu->setFixedSize(menu->sizeHint());
    menu->exec(QCursor::pos());
}

void frmMain::cmdProcessMsg_Click()
{
    QString commandLine = cmdProcessMsg->text();
    ProcessCommandLine(commandLine);
    cmdProcessMsg->setText(QStringLiteral("ProcMsg"));
}

void frmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
}
