#pragma once
// The record of every fight: an SQLite file ($XDG_DATA_HOME/Gremlok/history.sqlite) written
// one transaction per fight. A file that cannot be read or written is moved aside (kept,
// renamed) and a new one started, so the record never stands in the way of playing.
// Built as a module of its own with Qt SQL, loaded when the first fight ends.
#include "fight/FightStats.h"

#include <QString>
#include <QVector>

class QSqlDatabase;

class FightHistory {
public:
    // The layout this build writes (PRAGMA user_version). Version 1 had no linked-fight columns.
    static constexpr int SchemaVersion = 2;

    explicit FightHistory(const QString& path = DefaultPath());
    ~FightHistory();
    FightHistory(const FightHistory&) = delete;
    FightHistory& operator=(const FightHistory&) = delete;

    static QString DefaultPath();
    QString Path() const { return m_path; }

    // Appends one fight; false when even a fresh file could not take it.
    bool Record(const FightEntry& fight);
    // Appends many fights in one transaction (imports, benchmarks).
    bool RecordAll(const QVector<FightEntry>& fights);
    // Every fight, oldest first; with Figures only what the statistics need (difficulty,
    // result, kill time, opponent and the result against the opponent).
    enum LoadWhat { Everything, Figures };
    QVector<FightEntry> Load(LoadWhat what = Everything);
    bool Clear();

    // Where the last unusable file was moved to (empty: none was).
    QString MovedAsideTo() const { return m_movedTo; }

private:
    bool open();
    bool openOnce(QString& why, bool& keepFile);
    bool migrate(QSqlDatabase& db, int from, QString& why);
    bool write(const QVector<FightEntry>& fights, QString& why, bool& fileFault);
    QVector<FightEntry> loadEverything(QSqlDatabase& db, QString& why);
    QVector<FightEntry> loadFigures(QSqlDatabase& db, QString& why);
    void close();
    void moveAside(const QString& why);

    QString m_path;
    QString m_connection;
    QString m_movedTo;
    bool m_open = false;
    bool m_refused = false;     // a file of a newer program: left alone, nothing written
};

namespace modGremlok {
// The history of this user, opened on first use.
FightHistory& TheFightHistory();
} // namespace modGremlok

// The program's way in (it reaches this module through platform::OptionalModule): appends one
// fight to TheFightHistory(); false when it could not be recorded.
extern "C" Q_DECL_EXPORT bool gremlok_history_record(const FightEntry* fight);
