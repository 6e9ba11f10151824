#pragma once
// The table of the five fastest kill times ("Software\Gremlok\Scores": Name1..5, Score1..5,
// entry 1 the fastest).
#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

namespace modGremlok {

// Enters kill time `t` (ms): asks for a name (offering entry 5's), replaces entry 5, re-sorts
// and shows the Best Times dialog. The caller has checked t <= SlowestBestTime.
void RecordBestTime(float t, QWidget* owner = nullptr);

// Re-sorts and rewrites the table and refreshes SlowestBestTime.
void SortBestTimes();

// Ascending by time; equal times keep their order. Both lists have the same length.
void BubbleSortBestTimes(QStringList& names, QVector<float>& scores);

// The prompt's texts.
inline const QString BestTimePrompt = QStringLiteral("You have achived a high score! Please type your name:");
inline const QString BestTimeTitle = QStringLiteral("Congratulations");

} // namespace modGremlok
