#include "fight/FightStats.h"

#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QHash>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace FightCodes {

QString Origin(FightOrigin o)
{
    switch (o) {
    case FightOrigin::FightNow: return QStringLiteral("fight now");
    case FightOrigin::Timed: return QStringLiteral("timed");
    case FightOrigin::Linked: return QStringLiteral("linked");
    case FightOrigin::CommandLine: break;
    }
    return QStringLiteral("command line");
}

QString Result(FightResult r)
{
    switch (r) {
    case FightResult::Kill: return QStringLiteral("kill");
    case FightResult::Lost: return QStringLiteral("lost");
    case FightResult::Left: break;
    }
    return QStringLiteral("left");
}

QString Peer(PeerResult p)
{
    switch (p) {
    case PeerResult::Won: return QStringLiteral("won");
    case PeerResult::Lost: return QStringLiteral("lost");
    case PeerResult::None: break;
    }
    return QString();
}

FightOrigin ParseOrigin(const QString& s)
{
    for (FightOrigin o : {FightOrigin::FightNow, FightOrigin::Timed, FightOrigin::Linked})
        if (s == Origin(o))
            return o;
    return FightOrigin::CommandLine;
}

FightResult ParseResult(const QString& s)
{
    if (s == Result(FightResult::Kill))
        return FightResult::Kill;
    if (s == Result(FightResult::Lost))
        return FightResult::Lost;
    return FightResult::Left;
}

PeerResult ParsePeer(const QString& s)
{
    if (s == Peer(PeerResult::Won))
        return PeerResult::Won;
    if (s == Peer(PeerResult::Lost))
        return PeerResult::Lost;
    return PeerResult::None;
}

} // namespace FightCodes

namespace FightStats {

double Median(QVector<double> values)
{
    const qsizetype n = values.size();
    if (n == 0)
        return qQNaN();
    auto mid = values.begin() + n / 2;
    std::nth_element(values.begin(), mid, values.end());
    if (n % 2)
        return *mid;
    const double upper = *mid;
    const double lower = *std::max_element(values.begin(), mid);
    return (lower + upper) / 2;
}

QVector<double> RollingMedian(const QVector<double>& values, int window)
{
    QVector<double> out;
    out.reserve(values.size());
    if (window < 1)
        window = 1;
    // The window kept sorted: one removal and one insertion per step.
    QVector<double> sorted;
    sorted.reserve(window + 1);
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i >= window)
            sorted.erase(std::lower_bound(sorted.begin(), sorted.end(), values[i - window]));
        sorted.insert(std::upper_bound(sorted.begin(), sorted.end(), values[i]), values[i]);
        const qsizetype n = sorted.size();
        out << (n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2);
    }
    return out;
}

QVector<FightEntry> Filter(const QVector<FightEntry>& fights, int difficulty)
{
    if (difficulty == 0)
        return fights;
    QVector<FightEntry> out;
    for (const FightEntry& f : fights)
        if (f.Difficulty == difficulty)
            out << f;
    return out;
}

QVector<double> KillTimes(const QVector<FightEntry>& fights, QVector<int>* fightIndex)
{
    QVector<double> out;
    for (int i = 0; i < fights.size(); ++i) {
        if (!fights[i].HasKillTime())
            continue;
        out << fights[i].KillMs;
        if (fightIndex)
            *fightIndex << i;
    }
    return out;
}

KillTimeFigures Figures(const QVector<double>& times, int last)
{
    KillTimeFigures f;
    const qsizetype from = (last > 0 && times.size() > last) ? times.size() - last : 0;
    const QVector<double> run = times.mid(from);
    f.Count = int(run.size());
    f.Median = Median(run);
    f.Best = run.isEmpty() ? qQNaN() : *std::min_element(run.begin(), run.end());
    return f;
}

FightSummary Summarize(const QVector<FightEntry>& fights)
{
    FightSummary s;
    s.Fights = int(fights.size());
    QHash<QString, int> byName;
    for (const FightEntry& f : fights) {
        switch (f.Result) {
        case FightResult::Kill: ++s.Kills; break;
        case FightResult::Lost: ++s.Losses; break;
        case FightResult::Left: ++s.Left; break;
        }
        if (f.Peer == PeerResult::None)
            continue;
        const QString name = f.Opponent.trimmed();
        const QString key = name.toCaseFolded();
        auto it = byName.find(key);
        if (it == byName.end()) {
            it = byName.insert(key, int(s.Opponents.size()));
            s.Opponents << OpponentTally{name, 0, 0};
        }
        OpponentTally& t = s.Opponents[*it];
        (f.Peer == PeerResult::Won ? t.Wins : t.Losses)++;
    }
    std::sort(s.Opponents.begin(), s.Opponents.end(), [](const OpponentTally& a, const OpponentTally& b) {
        return a.Opponent.compare(b.Opponent, Qt::CaseInsensitive) < 0;
    });
    const QVector<double> times = KillTimes(fights);
    s.Last10 = Figures(times, 10);
    s.Last100 = Figures(times, 100);
    s.All = Figures(times, 0);
    return s;
}

namespace {
// 1, 2 or 5 times a power of ten, at least x.
double roundWidth(double x)
{
    if (!(x > 0))
        return 1;
    const double p = std::pow(10.0, std::floor(std::log10(x)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= x)
            return m * p;
    return 10 * p;
}
} // namespace

Histogram MakeHistogram(const QVector<double>& times, int maxBins)
{
    Histogram h;
    if (times.isEmpty())
        return h;
    const auto [lo, hi] = std::minmax_element(times.begin(), times.end());
    const int bins = std::clamp(int(std::sqrt(double(times.size()))), 1, std::max(1, maxBins));
    // Finer than 10 ms says nothing: every kill time carries a random 1..21 ms.
    h.Width = roundWidth(std::max(10.0, (*hi - *lo) / bins));
    h.First = std::floor(*lo / h.Width) * h.Width;
    const int n = int(std::floor((*hi - h.First) / h.Width)) + 1;
    h.Counts.fill(0, n);
    for (double t : times)
        ++h.Counts[std::clamp(int(std::floor((t - h.First) / h.Width)), 0, n - 1)];
    return h;
}

namespace {
QString csvField(QString s)
{
    // A spreadsheet runs a cell that starts like this as a formula; a nickname comes from
    // whoever is on the other end of the link.
    if (!s.isEmpty() && QStringLiteral("=+-@\t\r").contains(s.front()))
        s.prepend(QLatin1Char('\''));
    if (s.contains(QLatin1Char(',')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n'))
        || s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\''))) {
        s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        s = QLatin1Char('"') + s + QLatin1Char('"');
    }
    return s;
}
} // namespace

QString Csv(const QVector<FightEntry>& fights)
{
    QString out = QStringLiteral("when,origin,difficulty,skin,result,kill_ms,shots,opponent,against_opponent\r\n");
    for (const FightEntry& f : fights) {
        const QStringList row{
            QDateTime::fromMSecsSinceEpoch(f.At, Qt::UTC).toString(Qt::ISODateWithMs),
            FightCodes::Origin(f.Origin),
            QString::number(f.Difficulty),
            csvField(f.Skin),
            FightCodes::Result(f.Result),
            f.HasKillTime() ? platform::SettingsStore::floatText(float(f.KillMs)) : QString(),
            QString::number(f.Shots),
            csvField(f.Opponent),
            FightCodes::Peer(f.Peer),
        };
        out += row.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out;
}

} // namespace FightStats
