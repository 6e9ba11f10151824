#include "dialogs/frmStatistics.h"

#include "dialogs/DialogFights.h"
#include "dialogs/ModalOnce.h"

#include "core/modGremlok.h"
#include "fight/FightHistory.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"

#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

using namespace modGremlok;

namespace {
// A kill time as the best-times table shows it.
QString timeText(double ms)
{
    if (std::isnan(ms))
        return QStringLiteral("-");
    return platform::SettingsStore::floatText(float(ms)) + QStringLiteral(" ms");
}

// A median: tenths of a millisecond are as fine as the clock goes.
QString medianText(double ms)
{
    if (std::isnan(ms))
        return QStringLiteral("-");
    return QString::number(ms, 'f', 1) + QStringLiteral(" ms");
}

QLabel* valueLabel(QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("999999.99 ms")));
    return l;
}
} // namespace

frmStatistics::frmStatistics()
{
    setWindowTitle(QStringLiteral("Gremlok Statistics"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);

    cboDifficulty = new QComboBox(this);
    const QStringList levels{QStringLiteral("All difficulties"), QStringLiteral("Beginner"),
                             QStringLiteral("Intermediate"), QStringLiteral("Expert"), QStringLiteral("Random")};
    for (int i = 0; i < levels.size(); ++i)
        cboDifficulty->addItem(levels[i], i);

    // Counts.
    auto* fights = new QGroupBox(QStringLiteral("Fights"), this);
    auto* fightsGrid = new QGridLayout(fights);
    lblFights = valueLabel(fights);
    lblKills = valueLabel(fights);
    lblLosses = valueLabel(fights);
    lblLeft = valueLabel(fights);
    const std::pair<const char*, QLabel*> counts[] = {
        {"Fights:", lblFights}, {"Kills:", lblKills}, {"Losses:", lblLosses}, {"Left before the end:", lblLeft}};
    int row = 0;
    for (const auto& [caption, label] : counts) {
        fightsGrid->addWidget(new QLabel(QString::fromLatin1(caption), fights), row, 0);
        fightsGrid->addWidget(label, row++, 1);
    }

    // Kill times.
    auto* times = new QGroupBox(QStringLiteral("Kill times"), this);
    auto* timesGrid = new QGridLayout(times);
    timesGrid->addWidget(new QLabel(QStringLiteral("Median"), times), 0, 1, Qt::AlignRight);
    timesGrid->addWidget(new QLabel(QStringLiteral("Best"), times), 0, 2, Qt::AlignRight);
    lblMedian10 = valueLabel(times);
    lblBest10 = valueLabel(times);
    lblMedian100 = valueLabel(times);
    lblBest100 = valueLabel(times);
    lblMedianAll = valueLabel(times);
    lblBestAll = valueLabel(times);
    const std::tuple<const char*, QLabel*, QLabel*> runs[] = {
        {"Last 10 kills:", lblMedian10, lblBest10},
        {"Last 100 kills:", lblMedian100, lblBest100},
        {"All kills:", lblMedianAll, lblBestAll}};
    row = 1;
    for (const auto& [caption, median, best] : runs) {
        timesGrid->addWidget(new QLabel(QString::fromLatin1(caption), times), row, 0);
        timesGrid->addWidget(median, row, 1);
        timesGrid->addWidget(best, row++, 2);
    }

    // Linked fights.
    auto* peers = new QGroupBox(QStringLiteral("Against other players"), this);
    auto* peersBox = new QVBoxLayout(peers);
    lsvOpponents = new QTreeWidget(peers);
    lsvOpponents->setRootIsDecorated(false);
    lsvOpponents->setHeaderLabels({QStringLiteral("Opponent"), QStringLiteral("Wins"), QStringLiteral("Losses")});
    lsvOpponents->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lsvOpponents->header()->setStretchLastSection(false);
    lsvOpponents->setSortingEnabled(false);
    lsvOpponents->setMinimumHeight(90);
    peersBox->addWidget(lsvOpponents);

    chtKillTimes = new QChartView(this);
    chtHistogram = new QChartView(this);
    for (QChartView* v : {chtKillTimes, chtHistogram}) {
        v->setRenderHint(QPainter::Antialiasing);
        v->setMinimumSize(380, 280);
    }

    cmdExport = new QPushButton(QStringLiteral("&Export..."), this);
    cmdClear = new QPushButton(QStringLiteral("&Clear history"), this);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {cmdExport, cmdClear})
        b->setAutoDefault(false);
    cmdClose->setDefault(true);

    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel(QStringLiteral("&Difficulty:"), this));
    qobject_cast<QLabel*>(filter->itemAt(0)->widget())->setBuddy(cboDifficulty);
    filter->addWidget(cboDifficulty);
    filter->addStretch(1);

    auto* figures = new QHBoxLayout;
    figures->addWidget(fights);
    figures->addWidget(times);
    figures->addWidget(peers, 1);

    auto* charts = new QHBoxLayout;
    charts->addWidget(chtKillTimes, 3);
    charts->addWidget(chtHistogram, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdExport);
    buttons->addWidget(cmdClear);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);

    auto* page = new QVBoxLayout(this);
    page->addLayout(filter);
    page->addLayout(figures);
    page->addLayout(charts, 1);
    page->addLayout(buttons);
    resize(960, 640);

    connect(cboDifficulty, &QComboBox::currentIndexChanged, this, &frmStatistics::cboDifficulty_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmStatistics::cmdExport_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmStatistics::cmdClear_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

frmStatistics::~frmStatistics() = default;

int frmStatistics::ShowModal(QWidget* owner)
{
    return ShowModalOnce(*this, owner);
}

void frmStatistics::Form_Load()
{
    m_unloaded = false;
    // Automatic fights are held while the window is open, as for every dialog.
    SuspendAutomaticFights();
    LoadHistory();
}

void frmStatistics::LoadHistory()
{
    SetHistory(TheFightHistory().Load(FightHistory::Figures));
}

void frmStatistics::SetHistory(const QVector<FightEntry>& fights)
{
    m_fights = fights;
    FillStatistics();
}

void frmStatistics::cboDifficulty_Click()
{
    FillStatistics();
}

void frmStatistics::SetLabel(QLabel* label, const QString& name, const QString& text)
{
    label->setText(text);
    platform::Trace("statistics_label", name + QLatin1Char('\t') + text);
}

void frmStatistics::FillStatistics()
{
    const QVector<FightEntry> shown = FightStats::Filter(m_fights, cboDifficulty->currentData().toInt());
    const FightSummary s = FightStats::Summarize(shown);
    SetLabel(lblFights, QStringLiteral("lblFights"), QString::number(s.Fights));
    SetLabel(lblKills, QStringLiteral("lblKills"), QString::number(s.Kills));
    SetLabel(lblLosses, QStringLiteral("lblLosses"), QString::number(s.Losses));
    SetLabel(lblLeft, QStringLiteral("lblLeft"), QString::number(s.Left));
    SetLabel(lblMedian10, QStringLiteral("lblMedian10"), medianText(s.Last10.Median));
    SetLabel(lblBest10, QStringLiteral("lblBest10"), timeText(s.Last10.Best));
    SetLabel(lblMedian100, QStringLiteral("lblMedian100"), medianText(s.Last100.Median));
    SetLabel(lblBest100, QStringLiteral("lblBest100"), timeText(s.Last100.Best));
    SetLabel(lblMedianAll, QStringLiteral("lblMedianAll"), medianText(s.All.Median));
    SetLabel(lblBestAll, QStringLiteral("lblBestAll"), timeText(s.All.Best));

    lsvOpponents->clear();
    for (const OpponentTally& t : s.Opponents) {
        auto* item = new QTreeWidgetItem(lsvOpponents, {t.Opponent.isEmpty() ? QStringLiteral("(no name)") : t.Opponent,
                                                       QString::number(t.Wins), QString::number(t.Losses)});
        item->setTextAlignment(1, Qt::AlignRight);
        item->setTextAlignment(2, Qt::AlignRight);
    }

    FillKillTimeChart(shown);
    FillHistogram(FightStats::KillTimes(shown));
    cmdExport->setEnabled(!shown.isEmpty());
    cmdClear->setEnabled(!m_fights.isEmpty());
}

void frmStatistics::cmdExport_Click()
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Fight History"),
        QDir::home().filePath(QStringLiteral("gremlok-history.csv")), QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    // The window holds only what its figures need; the file gets every column.
    const QVector<FightEntry> shown = FightStats::Filter(TheFightHistory().Load(), cboDifficulty->currentData().toInt());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(FightStats::Csv(shown).toUtf8()) < 0 || !file.commit()) {
        QMessageBox::critical(this, AppTitle,
                              QStringLiteral("The history could not be written to \"%1\": %2").arg(path, file.errorString()));
        return;
    }
    platform::Trace("statistics_export", QString::number(shown.size()));
}

void frmStatistics::cmdClear_Click()
{
    const auto answer = QMessageBox::question(
        this, QStringLiteral("Clear History"),
        QStringLiteral("Are you sure you want to forget every fight? The best times are kept."),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    if (!TheFightHistory().Clear())
        QMessageBox::critical(this, AppTitle, QStringLiteral("The history could not be cleared."));
    LoadHistory();
}

void frmStatistics::done(int r)
{
    Form_Unload();
    QDialog::done(r);
}

void frmStatistics::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    RearmAutomaticFights();
}

int gremlok_statistics_show(QWidget* owner)
{
    return frmStatistics::instance().ShowModal(owner);
}
