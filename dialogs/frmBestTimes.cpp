#include "dialogs/frmBestTimes.h"

#include "core/modGremlok.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"
#include "shell/frmMain.h"

#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

using namespace modGremlok;

const QString frmBestTimes::ResetTitle = QStringLiteral("Reset Scores");
const QString frmBestTimes::ResetQuestion = QStringLiteral("Are you sure you want to clear all high scores?");

namespace {
// Automatic fights are held while a dialog is open: the timed fight, or the shared timer this
// side runs as the initiator of a link while nobody is away.
bool timedFightActive(const frmMain& m)
{
    return m.mnuTimedFight->isChecked() && m.mnuTimedFight->isEnabled();
}
bool sharedTimerActive(const frmMain& m)
{
    return m.mnuDisconnect->isVisible() && IsInitiator && !OpponentAway && !m.mnuPause->isChecked();
}
} // namespace

frmBestTimes::frmBestTimes()
{
    setWindowTitle(QStringLiteral("Gremlok Best Times"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(262, 130);

    lsvScoresList = new QTreeWidget(this);
    lsvScoresList->setGeometry(6, 6, 250, 82);
    lsvScoresList->setRootIsDecorated(false);
    lsvScoresList->setHeaderLabels({QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("Time")});
    lsvScoresList->header()->setStretchLastSection(true);
    lsvScoresList->setColumnWidth(0, 28);
    lsvScoresList->setColumnWidth(1, 128);
    lsvScoresList->setSelectionMode(QAbstractItemView::SingleSelection);
    lsvScoresList->setUniformRowHeights(true);

    cmdReset = new QPushButton(QStringLiteral("&Reset Scores"), this);
    cmdReset->setGeometry(6, 100, 110, 24);
    cmdReset->setAutoDefault(false);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(176, 100, 80, 24);
    cmdOK->setDefault(true);

    connect(cmdReset, &QPushButton::clicked, this, &frmBestTimes::cmdReset_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmBestTimes::cmdOK_Click);
}

frmBestTimes::~frmBestTimes() = default;

int frmBestTimes::ShowModal(QWidget* owner)
{
    if (owner && parentWidget() != owner)
        setParent(owner, windowFlags());
    Form_Load();
    const int r = exec();
    // Destroyed when closed: the next opening reads the table afresh.
    release();
    return r;
}

void frmBestTimes::Form_Load()
{
    m_unloaded = false;
    frmMain& m = frmMain::instance();
    if (timedFightActive(m) || sharedTimerActive(m))
        StopFightTimer();
    DialogOpen = true;
    FillList();
}

void frmBestTimes::FillList()
{
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, ScoresKey, 0);
    lsvScoresList->clear();
    for (int n = 1; n <= 5; ++n) {
        QString name;
        QString score;
        reg.ReadString(key, QStringLiteral("Name%1").arg(n), QString(), name);
        reg.ReadString(key, QStringLiteral("Score%1").arg(n), QString(), score);
        const QStringList texts{QString::number(n), name, score + QStringLiteral(" ms")};
        new QTreeWidgetItem(lsvScoresList, texts);
        platform::Trace("besttimes_row", texts.join(QLatin1Char('\t')));
    }
    reg.CloseKey(key);
}

QStringList frmBestTimes::RowTexts(int N) const
{
    QStringList out;
    if (QTreeWidgetItem* item = lsvScoresList->topLevelItem(N - 1))
        for (int c = 0; c < 3; ++c)
            out << item->text(c);
    return out;
}

void frmBestTimes::cmdReset_Click()
{
    const auto answer = QMessageBox::question(this, ResetTitle, ResetQuestion,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    InitBestTimes();
    lsvScoresList->clear();
    FillList();
}

void frmBestTimes::cmdOK_Click()
{
    accept();
}

void frmBestTimes::done(int r)
{
    Form_Unload();
    QDialog::done(r);
}

void frmBestTimes::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    frmMain& m = frmMain::instance();
    if (timedFightActive(m))
        ScheduleFight(TimedFightStart, TimedFightLength);
    if (sharedTimerActive(m))
        ScheduleFight(MultiplayerFightStart, MultiplayerFightLength);
    DialogOpen = false;
}

void frmBestTimes::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    DrawEtchedLine(p, 6, 94, 250);
}
