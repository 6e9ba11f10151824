#include "dialogs/frmBestTimes.h"

#include "core/modGremlok.h"
#include "dialogs/DialogFights.h"
#include "dialogs/ModalOnce.h"
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


frmBestTimes::frmBestTimes()
{
    setWindowTitle(QStringLiteral("Gremlok Best Times"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    lsvScoresList = new QTreeWidget(this);
    lsvScoresList->setRootIsDecorated(false);
    lsvScoresList->setHeaderLabels({QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("Time")});
    lsvScoresList->header()->setStretchLastSection(true);
    lsvScoresList->header()->setSectionsMovable(false);
    lsvScoresList->setSelectionMode(QAbstractItemView::SingleSelection);
    lsvScoresList->setUniformRowHeights(true);
    lsvScoresList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lsvScoresList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // All five rows and the longest time text fit without scrolling, whatever the font; the
    // etched line and the buttons sit below the list.
    const QFontMetrics fm(lsvScoresList->font());
    const int numberWidth = fm.horizontalAdvance(QStringLiteral("00")) + 16;
    const int nameWidth = std::max(128, fm.horizontalAdvance(QStringLiteral("Anonymous Anonymous")));
    const int timeWidth = fm.horizontalAdvance(QStringLiteral("9999999.99 ms")) + 16;
    lsvScoresList->setColumnWidth(0, numberWidth);
    lsvScoresList->setColumnWidth(1, nameWidth);
    new QTreeWidgetItem(lsvScoresList, {QStringLiteral("5"), QStringLiteral("Anonymous"), QStringLiteral("0 ms")});
    const int rowHeight = std::max(lsvScoresList->sizeHintForRow(0), fm.height() + 4);
    lsvScoresList->clear();
    const int listWidth = std::max(250, numberWidth + nameWidth + timeWidth + 4);
    const int listHeight = lsvScoresList->header()->sizeHint().height() + 5 * rowHeight
        + 2 * lsvScoresList->frameWidth() + 2;
    lsvScoresList->setGeometry(6, 6, listWidth, listHeight);
    m_lineY = int16_t(6 + listHeight + 6);
    m_lineWidth = listWidth;

    cmdReset = new QPushButton(QStringLiteral("&Reset Scores"), this);
    cmdReset->setAutoDefault(false);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    const int buttonHeight = std::max(24, cmdOK->sizeHint().height());
    const int buttonsY = m_lineY + 8;
    const int resetWidth = std::max(110, cmdReset->sizeHint().width());
    const int okWidth = std::max(80, cmdOK->sizeHint().width());
    cmdReset->setGeometry(6, buttonsY, resetWidth, buttonHeight);
    cmdOK->setGeometry(6 + listWidth - okWidth, buttonsY, okWidth, buttonHeight);
    setFixedSize(listWidth + 12, buttonsY + buttonHeight + 8);

    connect(cmdReset, &QPushButton::clicked, this, &frmBestTimes::cmdReset_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmBestTimes::cmdOK_Click);
}

frmBestTimes::~frmBestTimes() = default;

int frmBestTimes::ShowModal(QWidget* owner)
{
    return ShowModalOnce(*this, owner);
}

void frmBestTimes::Form_Load()
{
    m_unloaded = false;
    SuspendAutomaticFights();
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
    RearmAutomaticFights();
}

void frmBestTimes::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    DrawEtchedLine(p, 6, m_lineY, m_lineWidth);
}
