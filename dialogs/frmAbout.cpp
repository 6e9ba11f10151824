#include "dialogs/frmAbout.h"

#include "core/PictureReader.h"
#include "core/ProductInfo.h"
#include "core/modGremlok.h"
#include "dialogs/DialogFights.h"
#include "dialogs/ModalOnce.h"
#include "dialogs/LinkLabel.h"
#include "platform/Trace.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The etched separator between the texts and the button.
class EtchedLine : public QWidget {
public:
    explicit EtchedLine(QWidget* parent) : QWidget(parent) { setFixedHeight(2); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        modGremlok::DrawEtchedLine(p, 0, 0, width());
    }
};

QHBoxLayout* oneLine(std::initializer_list<QWidget*> parts)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    for (QWidget* w : parts)
        row->addWidget(w);
    row->addStretch();
    return row;
}

} // namespace

frmAbout::frmAbout()
{
    setWindowTitle(QStringLiteral("About Gremlok"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("frmAbout"));

    imgIcon = new QLabel(this);
    imgIcon->setPixmap(modGremlok::LoadPicture(QStringLiteral(":/icons/tray1.png")).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    imgIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblTitle = new QLabel(this);
    QFont big = lblTitle->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    lblTitle->setFont(big);
    lblVersion = new QLabel(this);
    lblCredits = new QLabel(this);
    lblCredits->setWordWrap(true);
    lblCredits->setMinimumWidth(fontMetrics().averageCharWidth() * 44);
    lblURL = new QLabel(QStringLiteral("Visit "), this);
    lblURLlink = new LinkLabel(QString(), this);
    lblURL2 = new QLabel(QStringLiteral(" for updates."), this);
    lblEmail = new QLabel(QStringLiteral("Email us at "), this);
    lblEmailLink = new LinkLabel(QString(), this);
    lblDot = new QLabel(QStringLiteral("."), this);
    cmdOK = new QPushButton(QStringLiteral("&Close"), this);
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(std::max(cmdOK->sizeHint().width(), fontMetrics().horizontalAdvance(QLatin1Char('x')) * 12));

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(6);
    texts->addWidget(lblCredits);
    texts->addSpacing(6);
    texts->addLayout(oneLine({lblURL, lblURLlink, lblURL2}));
    texts->addLayout(oneLine({lblEmail, lblEmailLink, lblDot}));
    texts->addSpacing(8);
    texts->addWidget(new EtchedLine(this));
    auto* button = new QHBoxLayout;
    button->addStretch();
    button->addWidget(cmdOK);
    texts->addLayout(button);

    auto* main = new QHBoxLayout(this);
    main->addWidget(imgIcon, 0, Qt::AlignTop);
    main->addSpacing(8);
    main->addLayout(texts);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(lblURLlink, &LinkLabel::clicked, this, &frmAbout::lblURLlink_Click);
    connect(lblEmailLink, &LinkLabel::clicked, this, &frmAbout::lblEmailLink_Click);
}

int frmAbout::ShowModal()
{
    return ShowModalOnce(*this, nullptr);
}

void frmAbout::Form_Load()
{
    m_loaded = true;
    SuspendAutomaticFights();
    // Without a web site of its own the link leads to the help book's page on skins.
    const QString site = ProductInfo::WebSite();
    lblURLlink->setText(site.isEmpty() ? QStringLiteral("the Gremlok help pages") : site);
    const QString email = ProductInfo::SupportEmail();
    lblEmailLink->setText(email);
    // No address, no line: a link must lead somewhere.
    for (QWidget* w : {static_cast<QWidget*>(lblEmail), static_cast<QWidget*>(lblEmailLink), static_cast<QWidget*>(lblDot)})
        w->setVisible(!email.isEmpty());
    lblTitle->setText(modGremlok::AppTitle);
    lblVersion->setText(ProductInfo::VersionText());
    lblCredits->setText(ProductInfo::Credits());
}

void frmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    platform::Trace("about", "shown");
}

void frmAbout::lblURLlink_Click()
{
    OpenWebSite(this);
}

void frmAbout::lblEmailLink_Click()
{
    OpenSupportMail(this);
}

void frmAbout::done(int r)
{
    if (m_loaded) {
        m_loaded = false;
        RearmAutomaticFights();
    }
    platform::Trace("about", "closed");
    QDialog::done(r);
}
