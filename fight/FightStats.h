#pragma once
// One fight as the history keeps it, and the figures the Statistics window shows, worked out
// from a list of fights (oldest first). Nothing here touches the database or a widget.
#include <QString>
#include <QVector>

// How a fight began.
enum class FightOrigin { FightNow, Timed, Linked, CommandLine };
// How it ended for this player.
enum class FightResult { Kill, Lost, Left };
// In a linked fight: who killed first (None: not linked, or nobody did).
enum class PeerResult { None, Won, Lost };

struct FightEntry {
    qint64 At = 0;                  // when the fight window closed, ms since the epoch (UTC)
    FightOrigin Origin = FightOrigin::FightNow;
    int Difficulty = 2;             // 1 beginner, 2 intermediate, 3 expert, 4 random
    QString Skin;
    FightResult Result = FightResult::Left;
    double KillMs = -1;             // a single-player kill's time; -1 when there is none
    int Shots = 0;
    QString Opponent;               // the peer's nickname in a linked fight
    PeerResult Peer = PeerResult::None;

    bool HasKillTime() const { return Result == FightResult::Kill && KillMs >= 0; }
};

// The texts that stand for the values in the database and in exported files.
namespace FightCodes {
QString Origin(FightOrigin o);
QString Result(FightResult r);
QString Peer(PeerResult p);
// Unknown texts read back as the most neutral value (command line, left, none).
FightOrigin ParseOrigin(const QString& s);
FightResult ParseResult(const QString& s);
PeerResult ParsePeer(const QString& s);
} // namespace FightCodes

// Median and best of a run of kill times; both NaN when Count is 0.
struct KillTimeFigures {
    int Count = 0;
    double Median = 0;
    double Best = 0;
};

struct OpponentTally {
    QString Opponent;
    int Wins = 0;
    int Losses = 0;
};

struct FightSummary {
    int Fights = 0;
    int Kills = 0;
    int Losses = 0;
    int Left = 0;
    KillTimeFigures Last10, Last100, All;
    QVector<OpponentTally> Opponents;   // by name, case-insensitively
};

namespace FightStats {

// The middle value (the mean of the two middle ones for an even count); NaN for none.
double Median(QVector<double> values);
// For each value, the median of it and the up to window - 1 values before it.
QVector<double> RollingMedian(const QVector<double>& values, int window);
// The fights of one difficulty (1..4), or all of them for 0.
QVector<FightEntry> Filter(const QVector<FightEntry>& fights, int difficulty);
// Kill times in fight order, with the index of their fight in `fights` if wanted.
QVector<double> KillTimes(const QVector<FightEntry>& fights, QVector<int>* fightIndex = nullptr);
// Median and best of the last `last` values (all of them for 0).
KillTimeFigures Figures(const QVector<double>& times, int last);
FightSummary Summarize(const QVector<FightEntry>& fights);

// Kill times sorted into bins of a round width (at least 10 ms) starting at a multiple of it.
// Empty for none.
struct Histogram {
    double First = 0;       // lower edge of bin 0
    double Width = 1;
    QVector<int> Counts;
};
Histogram MakeHistogram(const QVector<double>& times, int maxBins = 20);

// The fights as CSV (a header row, then one row per fight, oldest first). Text a spreadsheet
// would take for a formula is quoted so that it stays text.
QString Csv(const QVector<FightEntry>& fights);

} // namespace FightStats
