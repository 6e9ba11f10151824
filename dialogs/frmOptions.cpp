#include "dialogs/frmOptions.h"

#include "dialogs/LinkLabel.h"
#include "dialogs/RangeSlider.h"
#include "dialogs/TextBox.h"
#include "platform/Help.h"
#include "platform/Trace.h"
#include "skins/SkinManagement.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Both interval sliders: seconds from 5 to 30 minutes, a tick every minute and a half.
void setUpIntervalSlider(RangeSlider* s)
{
    s->setRange(5, 1800);
    s->setSingleStep(90);
    s->setPageStep(450);
    s->setTickInterval(90);
}

QGroupBox* intervalFrame(const QString& title, RangeSlider*& slider, QLabel*& shortLabel,
                         QLabel*& longLabel, QWidget* parent)
{
    auto* frame = new QGroupBox(title, parent);
    slider = new RangeSlider(frame);
    setUpIntervalSlider(slider);
    shortLabel = new QLabel(QStringLiteral("Short"), frame);
    longLabel = new QLabel(QStringLiteral("Long"), frame);
    auto* ends = new QHBoxLayout;
    ends->addWidget(shortLabel);
    ends->addStretch();
    ends->addWidget(longLabel);
    auto* v = new QVBoxLayout(frame);
    v->addWidget(slider);
    v->addLayout(ends);
    return frame;
}

} // namespace

frmOptions::frmOptions()
{
    setWindowTitle(QStringLiteral("Gremlok Options"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setObjectName(QStringLiteral("frmOptions"));

    TabStrip = new QTabWidget(this);
    static const char* const captions[] = {"General", "Appearance", "Multiplayer", "Skins"};
    for (int i = 1; i <= 4; ++i) {
        fraContainer[i] = new QWidget;
        TabStrip->addTab(fraContainer[i], QString::fromLatin1(captions[i - 1]));
    }
    buildGeneral(fraContainer[1]);
    buildAppearance(fraContainer[2]);
    buildMultiplayer(fraContainer[3]);
    buildSkins(fraContainer[4]);
    connect(TabStrip, &QTabWidget::currentChanged, this, [this](int i) { TabStrip_Click(i + 1); });

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    const int buttonWidth = std::max({cmdOK->sizeHint().width(), cmdCancel->sizeHint().width(),
                                      fontMetrics().horizontalAdvance(QLatin1Char('x')) * 12});
    cmdOK->setMinimumWidth(buttonWidth);
    cmdCancel->setMinimumWidth(buttonWidth);
    setHelpId(cmdOK, 11);
    setHelpId(cmdCancel, 12);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(TabStrip);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    mnuWhatsThis = new QMenu(QStringLiteral("WhatsThis"), this);
    mnuWhatsThisHelp = mnuWhatsThis->addAction(QStringLiteral("&What's This?"));
    connect(mnuWhatsThisHelp, &QAction::triggered, this, &frmOptions::mnuWhatsThisHelp_Click);

    // Names as the controls are called here, for traces and for scripts that find them.
    const std::pair<QWidget*, const char*> named[] = {
        {TabStrip, "TabStrip"},
        {chkSound, "chkSound"},
        {chkDirectSound, "chkDirectSound"},
        {chkCenterPointer, "chkCenterPointer"},
        {chkAutoUnload, "chkAutoUnload"},
        {txtAutoUnload, "txtAutoUnload"},
        {lblSeconds, "lblSeconds"},
        {fraTimedFightInterval, "fraTimedFightInterval"},
        {sdrTimedFight, "sdrTimedFight"},
        {lblTFightShort, "lblTFightShort"},
        {lblTFightLong, "lblTFightLong"},
        {chkAutostart, "chkAutostart"},
        {fraMousePointer, "fraMousePointer"},
        {sdrPointer, "sdrPointer"},
        {imgPointer, "imgPointer"},
        {lblPointer, "lblPointer"},
        {chkShadow, "chkShadow"},
        {chkScramble, "chkScramble"},
        {chkBlood, "chkBlood"},
        {lblNickname, "lblNickname"},
        {txtNickname, "txtNickname"},
        {chkAutoAccept, "chkAutoAccept"},
        {fraMultiplayerFightInterval, "fraMultiplayerFightInterval"},
        {sdrMultiplayerInterval, "sdrMultiplayerInterval"},
        {lblMultiplayerShort, "lblMultiplayerShort"},
        {lblMultiplayerLong, "lblMultiplayerLong"},
        {lstSkins, "lstSkins"},
        {cmdRemove, "cmdRemove"},
        {lblGetSkins, "lblGetSkins"},
        {cmdOK, "cmdOK"},
        {cmdCancel, "cmdCancel"},
    };
    for (const auto& [w, name] : named)
        w->setObjectName(QString::fromLatin1(name));

    for (RangeSlider* r : {sdrTimedFight, sdrMultiplayerInterval})
        connect(r, &RangeSlider::rangeChanged, this, [r](int start, int length) {
            platform::Trace(QStringLiteral("options.range.") + r->objectName(), QStringLiteral("%1 %2").arg(start).arg(length));
        });

    // A package installed from the command line makes the list stale: the dialog goes.
    SkinManagement::CloseOptionsDialog = [] {
        if (frmOptions* f = frmOptions::existing())
            f->reject();
    };
}

frmOptions::~frmOptions()
{
    SkinManagement::CloseOptionsDialog = nullptr;
}

void frmOptions::buildGeneral(QWidget* page)
{
    chkSound = new QCheckBox(QStringLiteral("Play &sound effects"), page);
    chkDirectSound = new QCheckBox(QStringLiteral("Use &DirectSound"), page);
    chkCenterPointer = new QCheckBox(QStringLiteral("Center the &pointer"), page);
    chkAutoUnload = new QCheckBox(QStringLiteral("&Restore desktop in"), page);
    txtAutoUnload = new TextBox(page, true);
    txtAutoUnload->setMaxLength(2);
    txtAutoUnload->setAlignment(Qt::AlignRight);
    txtAutoUnload->setFixedWidth(txtAutoUnload->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    lblSeconds = new QLabel(QStringLiteral("sec&onds"), page);
    lblSeconds->setBuddy(txtAutoUnload);
    fraTimedFightInterval = intervalFrame(QStringLiteral("&Timed Fight Interval"), sdrTimedFight,
                                          lblTFightShort, lblTFightLong, page);
    chkAutostart = new QCheckBox(QStringLiteral("Start Gremlok when I &log in"), page);

    auto* restore = new QHBoxLayout;
    restore->addWidget(chkAutoUnload);
    restore->addWidget(txtAutoUnload);
    restore->addWidget(lblSeconds);
    restore->addStretch();
    auto* v = new QVBoxLayout(page);
    v->addWidget(chkSound);
    auto* ds = new QHBoxLayout;
    ds->addSpacing(chkSound->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 4);
    ds->addWidget(chkDirectSound);
    v->addLayout(ds);
    v->addWidget(chkCenterPointer);
    v->addLayout(restore);
    v->addWidget(fraTimedFightInterval);
    v->addWidget(chkAutostart);
    v->addStretch();

    connect(chkSound, &QCheckBox::clicked, this, &frmOptions::chkSound_Click);
    connect(chkAutoUnload, &QCheckBox::clicked, this, &frmOptions::chkAutoUnload_Click);

    setHelpId(chkSound, 1);
    setHelpId(chkDirectSound, 21);
    setHelpId(chkCenterPointer, 16);
    setHelpId(chkAutoUnload, 19);
    setHelpId(txtAutoUnload, 20);
    setHelpId(lblSeconds, 20);
    for (QWidget* w : {static_cast<QWidget*>(fraTimedFightInterval), static_cast<QWidget*>(sdrTimedFight),
                       static_cast<QWidget*>(lblTFightShort), static_cast<QWidget*>(lblTFightLong)})
        setHelpId(w, 15);
    setHelpId(chkAutostart, 24);
}

void frmOptions::buildAppearance(QWidget* page)
{
    fraMousePointer = new QGroupBox(QStringLiteral("Pointer &Icon"), page);
    sdrPointer = new QSlider(Qt::Horizontal, fraMousePointer);
    sdrPointer->setRange(1, 6);
    sdrPointer->setSingleStep(1);
    sdrPointer->setPageStep(1);
    sdrPointer->setTickInterval(1);
    sdrPointer->setTickPosition(QSlider::TicksBelow);
    imgPointer = new QLabel(fraMousePointer);
    imgPointer->setFixedSize(40, 40);
    imgPointer->setAlignment(Qt::AlignCenter);
    imgPointer->setFrameShape(QFrame::StyledPanel);
    imgPointer->setFrameShadow(QFrame::Sunken);
    imgPointer->setAutoFillBackground(true);
    imgPointer->setBackgroundRole(QPalette::Base);
    lblPointer = new QLabel(fraMousePointer);
    lblPointer->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("High Visibility")) + 4);
    auto* sliderColumn = new QVBoxLayout;
    sliderColumn->addWidget(sdrPointer);
    sliderColumn->addWidget(lblPointer);
    auto* row = new QHBoxLayout(fraMousePointer);
    row->addLayout(sliderColumn, 1);
    row->addWidget(imgPointer, 0, Qt::AlignTop);

    chkShadow = new QCheckBox(QStringLiteral("Enable animation s&hadow"), page);
    chkScramble = new QCheckBox(QStringLiteral("Enable &scramble effect"), page);
    chkBlood = new QCheckBox(QStringLiteral("Enable &blood effect"), page);
    auto* v = new QVBoxLayout(page);
    v->addWidget(fraMousePointer);
    v->addWidget(chkShadow);
    v->addWidget(chkScramble);
    v->addWidget(chkBlood);
    v->addStretch();

    connect(sdrPointer, &QSlider::valueChanged, this, &frmOptions::sdrPointer_Scroll);

    for (QWidget* w : {static_cast<QWidget*>(fraMousePointer), static_cast<QWidget*>(sdrPointer),
                       static_cast<QWidget*>(lblPointer), static_cast<QWidget*>(imgPointer)})
        setHelpId(w, 2);
    setHelpId(chkShadow, 5);
    setHelpId(chkBlood, 6);
    setHelpId(chkScramble, 13);
}

void frmOptions::buildMultiplayer(QWidget* page)
{
    lblNickname = new QLabel(QStringLiteral("&Nickname:"), page);
    txtNickname = new TextBox(page);
    txtNickname->setMaxLength(18);
    lblNickname->setBuddy(txtNickname);
    chkAutoAccept = new QCheckBox(QStringLiteral("&Automatically accept game requests"), page);
    fraMultiplayerFightInterval = intervalFrame(QStringLiteral("&Multiplayer Fight Interval"),
                                                sdrMultiplayerInterval, lblMultiplayerShort,
                                                lblMultiplayerLong, page);
    auto* name = new QHBoxLayout;
    name->addWidget(lblNickname);
    name->addWidget(txtNickname, 1);
    auto* v = new QVBoxLayout(page);
    v->addLayout(name);
    v->addWidget(chkAutoAccept);
    v->addWidget(fraMultiplayerFightInterval);
    v->addStretch();

    setHelpId(txtNickname, 17);
    setHelpId(lblNickname, 17);
    setHelpId(chkAutoAccept, 3);
    for (QWidget* w : {static_cast<QWidget*>(fraMultiplayerFightInterval), static_cast<QWidget*>(sdrMultiplayerInterval),
                       static_cast<QWidget*>(lblMultiplayerShort), static_cast<QWidget*>(lblMultiplayerLong)})
        setHelpId(w, 7);
}

void frmOptions::buildSkins(QWidget* page)
{
    lstSkins = new QListWidget(page);
    lstSkins->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSkins->setMinimumHeight(lstSkins->fontMetrics().height() * 7);
    cmdRemove = new QPushButton(QStringLiteral("&Delete"), page);
    cmdRemove->setAutoDefault(false);
    lblGetSkins = new LinkLabel(QStringLiteral("Get more skins"), page);
    auto* side = new QVBoxLayout;
    side->addWidget(cmdRemove);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(lstSkins, 1);
    top->addLayout(side);
    auto* v = new QVBoxLayout(page);
    v->addLayout(top, 1);
    v->addWidget(lblGetSkins, 0, Qt::AlignLeft);

    connect(cmdRemove, &QPushButton::clicked, this, &frmOptions::cmdRemove_Click);
    connect(lblGetSkins, &LinkLabel::clicked, this, &frmOptions::lblGetSkins_Click);
    setHelpId(lstSkins, 22);
    setHelpId(cmdRemove, 23);
}

void frmOptions::setHelpId(QWidget* control, int id)
{
    m_helpIds.insert(control, id);
    control->installEventFilter(this);
    // The list's view port gets the mouse, not the list itself.
    if (auto* view = qobject_cast<QAbstractScrollArea*>(control))
        view->viewport()->installEventFilter(this);
}

int frmOptions::WhatsThisId(const QWidget* control) const
{
    return m_helpIds.value(control, 0);
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event)
{
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && !m_helpIds.contains(w) && w->parentWidget() && m_helpIds.contains(w->parentWidget())
        && qobject_cast<QAbstractScrollArea*>(w->parentWidget()))
        w = w->parentWidget();   // a list's view port stands for the list
    if (!w || !m_helpIds.contains(w))
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ContextMenu:
        return true;   // the right button's release brings the What's This menu instead
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A right click asks about the control; it does not select a list entry or move a thumb.
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            WhatsThis(me->button(), w);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmOptions::WhatsThis(Qt::MouseButton button, QWidget* control)
{
    if (button != Qt::RightButton)
        return;
    HelpControl = control;
    platform::Trace("options.whatsthis_menu", control->objectName());
    mnuWhatsThis->exec(QCursor::pos());
    HelpControl = nullptr;
}

void frmOptions::mnuWhatsThisHelp_Click()
{
    if (HelpControl)
        platform::Help::ShowPopup(WhatsThisId(HelpControl), HelpControl);
}

void frmOptions::TabStrip_Click(int index)
{
    // The tab widget shows the clicked page and hides the current one itself.
    if (index != CurrentTab)
        CurrentTab = uint8_t(index);
    platform::Trace("options.tab", QString::number(index));
    if (index == 4) {
        // Where each skin's entry is, for scripts that click them as a person would.
        QTimer::singleShot(0, this, [this] {
            for (int i = 0; i < lstSkins->count(); ++i) {
                const QPoint c = lstSkins->viewport()->mapToGlobal(lstSkins->visualItemRect(lstSkins->item(i)).center());
                platform::Trace("options.skin_item", QStringLiteral("%1 %2 %3").arg(c.x()).arg(c.y()).arg(lstSkins->item(i)->text()));
            }
            const QPoint g = lblGetSkins->mapToGlobal(lblGetSkins->rect().center());
            platform::Trace("options.handle.lblGetSkins", QStringLiteral("%1 %2").arg(g.x()).arg(g.y()));
        });
    }
}
