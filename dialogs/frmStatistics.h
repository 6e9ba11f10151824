#pragma once
// "Gremlok Statistics": what the fight history says about the player, for all fights or one
// difficulty: counts, results against peers, kill-time figures, a chart of the kill times with
// their rolling median and a histogram; export to CSV and clearing the history. Built as a
// module of its own with Qt Charts, loaded when the window is first opened (ShowStatistics).
#include "core/SingleForm.h"
#include "fight/FightStats.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QChartView;

class frmStatistics : public QDialog, public SingleForm<frmStatistics> {
    Q_OBJECT
public:
    frmStatistics();
    ~frmStatistics() override;

    QComboBox* cboDifficulty = nullptr;
    QLabel* lblFights = nullptr;
    QLabel* lblKills = nullptr;
    QLabel* lblLosses = nullptr;
    QLabel* lblLeft = nullptr;
    QLabel* lblMedian10 = nullptr;
    QLabel* lblBest10 = nullptr;
    QLabel* lblMedian100 = nullptr;
    QLabel* lblBest100 = nullptr;
    QLabel* lblMedianAll = nullptr;
    QLabel* lblBestAll = nullptr;
    QTreeWidget* lsvOpponents = nullptr;
    QChartView* chtKillTimes = nullptr;
    QChartView* chtHistogram = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdClose = nullptr;

    // Shows the window and waits until it closes; the window is destroyed afterwards.
    int ShowModal(QWidget* owner = nullptr);

    void Form_Load();
    void cboDifficulty_Click();
    void cmdExport_Click();
    void cmdClear_Click();

    // Reads the history afresh (Form_Load does), or shows `fights` instead (benchmarks).
    void LoadHistory();
    void SetHistory(const QVector<FightEntry>& fights);
    // Fills every control from the history and the chosen difficulty.
    void FillStatistics();

    // Rolling median over this many kills.
    static constexpr int RollingWindow = 9;
    // The chart draws at most this many points; beyond, each point is the median of a run.
    static constexpr int MaxChartPoints = 1000;

protected:
    void done(int r) override;

private:
    void Form_Unload();
    void FillKillTimeChart(const QVector<FightEntry>& fights);
    void FillHistogram(const QVector<double>& times);
    void SetLabel(QLabel* label, const QString& name, const QString& text);

    QVector<FightEntry> m_fights;
    bool m_unloaded = false;
};

// The program's way in (it reaches this module through platform::OptionalModule): shows the
// window modally over `owner` and returns how it closed.
extern "C" Q_DECL_EXPORT int gremlok_statistics_show(QWidget* owner);
