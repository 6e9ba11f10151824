#include "dialogs/frmTip.h"

#include "core/PictureReader.h"
#include "core/Settings.h"
#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTime>
#include <QVBoxLayout>

using namespace modGremlok;

frmTip::frmTip()
{
    setWindowTitle(AppTitle);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("frmTip"));

    imgBalloon = new QLabel(this);
    imgBalloon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    imgBalloon->setFixedSize(32, 32);
    lblInfo = new QLabel(QStringLiteral(
        "Gremlok runs in the taskbar (near the clock). To start playing, locate and double-click the "
        "Gremlok icon. All other commands are accessed by right or left clicking the icon."), this);
    lblInfo->setWordWrap(true);
    lblInfo->setMinimumWidth(fontMetrics().averageCharWidth() * 46);
    imgSysTray = new QLabel(this);
    imgSysTray->setPixmap(NotificationAreaPicture(devicePixelRatioF()));
    chkShowMsg = new QCheckBox(QStringLiteral("&Don't show me this message again"), this);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(std::max(cmdOK->sizeHint().width(), fontMetrics().horizontalAdvance(QLatin1Char('x')) * 12));

    auto* text = new QVBoxLayout;
    text->addWidget(lblInfo);
    text->addSpacing(8);
    text->addWidget(imgSysTray, 0, Qt::AlignHCenter);
    auto* top = new QHBoxLayout;
    top->addWidget(imgBalloon, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(text, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkShowMsg);
    bottom->addStretch();
    bottom->addWidget(cmdOK);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addSpacing(8);
    main->addLayout(bottom);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmTip::cmdOK_Click);
}

QPixmap frmTip::NotificationAreaPicture(qreal dpr)
{
    // A stretch of panel: a few icons, ours ringed, and the clock.
    const QSize size(176, 34);
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0x4a, 0x55, 0x66));
    g.setColorAt(1, QColor(0x2b, 0x32, 0x3d));
    p.setPen(QColor(0x1c, 0x21, 0x28));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 3, 3);
    // Neighbours in the notification area: plain shapes.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xb8, 0xc4, 0xd2));
    p.drawEllipse(QRectF(10, 10, 14, 14));
    p.drawRoundedRect(QRectF(32, 10, 14, 14), 2, 2);
    const QPixmap icon = modGremlok::LoadPicture(QStringLiteral(":/icons/tray1.png"));
    const QRectF ours(56, 5, 24, 24);
    p.setPen(QPen(QColor(0xff, 0xd0, 0x40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(ours.adjusted(-2, -2, 2, 2), 4, 4);
    if (!icon.isNull())
        p.drawPixmap(ours.toRect(), icon);
    QFont f = p.font();
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0xee, 0xf2, 0xf6));
    p.drawText(QRectF(96, 0, size.width() - 104, size.height()), Qt::AlignVCenter | Qt::AlignRight,
               QStringLiteral("12:00"));
    return pm;
}

void frmTip::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    platform::Trace("tip", "shown");
}

void frmTip::cmdOK_Click()
{
    if (chkShowMsg->isChecked()) {
        platform::SettingsStore& reg = *SettingsStore;
        const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, SettingsKey, 0);
        Settings::Write(reg, key, Settings::QuickHelp, false);
        reg.CloseKey(key);
    }
    accept();
}

void frmTip::done(int r)
{
    // Esc and the close box come here without OK: nothing is written.
    QDialog::done(r);
    platform::Trace("tip", "closed");
    deleteLater();
}

void ShowTipWindow()
{
    frmTip& tip = frmTip::instance();
    tip.show();
    tip.raise();
    tip.activateWindow();
}
