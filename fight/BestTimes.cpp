#include "fight/BestTimes.h"

#include "core/modGremlok.h"
#include "dialogs/frmBestTimes.h"
#include "platform/SettingsStore.h"
#include "platform/Trace.h"

#include <QInputDialog>
#include <QLineEdit>

namespace modGremlok {

namespace {
QString rightTrimmed(const QString& s)
{
    int n = s.size();
    while (n > 0 && s.at(n - 1).isSpace())
        --n;
    return s.left(n);
}
} // namespace

void BubbleSortBestTimes(QStringList& names, QVector<float>& scores)
{
    const int n = std::min<int>(names.size(), scores.size());
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (int i = 0; i + 1 < n; ++i) {
            if (scores[i] > scores[i + 1]) {
                std::swap(scores[i], scores[i + 1]);
                names.swapItemsAt(i, i + 1);
                swapped = true;
            }
        }
    }
}

void RecordBestTime(float t, QWidget* owner)
{
    platform::SettingsStore& reg = *SettingsStore;
    int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, ScoresKey, 0);
    QString offered = Nickname;
    reg.ReadString(key, QStringLiteral("Name5"), Nickname, offered);
    offered = rightTrimmed(offered);
    reg.CloseKey(key);

    // Cancel gives an empty name, as an empty answer does.
    bool ok = false;
    QString answer = QInputDialog::getText(owner, BestTimeTitle, BestTimePrompt, QLineEdit::Normal,
                                           offered, &ok);
    answer = ok ? rightTrimmed(answer) : QString();

    key = reg.OpenKey(platform::HKEY_CURRENT_USER, ScoresKey, 0);
    reg.SetValue(key, QStringLiteral("Name5"), answer);
    reg.SetValue(key, QStringLiteral("Score5"), t);
    reg.CloseKey(key);
    platform::Trace("besttime", answer + QLatin1Char('\t') + platform::SettingsStore::floatText(t));

    SortBestTimes();
    frmBestTimes::instance().ShowModal(owner);
}

void SortBestTimes()
{
    platform::SettingsStore& reg = *SettingsStore;
    const int32_t key = reg.OpenKey(platform::HKEY_CURRENT_USER, ScoresKey, 0);
    QStringList names;
    QVector<float> scores;
    for (int i = 1; i <= 5; ++i) {
        // An unreadable entry sorts as the default table's time instead of as 0, so a damaged
        // file cannot push a bogus entry to the top.
        QString name;
        float score = 999999.0f;
        reg.ReadString(key, QStringLiteral("Name%1").arg(i), QString(), name);
        reg.ReadFloat(key, QStringLiteral("Score%1").arg(i), 999999.0f, score);
        names << name;
        scores << score;
    }
    BubbleSortBestTimes(names, scores);
    for (int i = 1; i <= 5; ++i) {
        reg.SetValue(key, QStringLiteral("Name%1").arg(i), names[i - 1]);
        reg.SetValue(key, QStringLiteral("Score%1").arg(i), scores[i - 1]);
    }
    SlowestBestTime = scores[4];
    reg.CloseKey(key);
}

} // namespace modGremlok
