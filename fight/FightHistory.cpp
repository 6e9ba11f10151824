#include "fight/FightHistory.h"

#include "core/Logging.h"
#include "platform/Trace.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <atomic>
#include <cstring>
#include <memory>

namespace {

std::atomic<int> connectionCount{0};

// Errors that say the file itself is unusable (damaged, not a database, locked by someone
// else, read-only, unreadable), as opposed to a statement the file refused.
bool fileAtFault(const QSqlError& e)
{
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok) & 0xff;
    if (!ok)
        return true;
    switch (code) {
    case 5:     // SQLITE_BUSY
    case 6:     // SQLITE_LOCKED
    case 8:     // SQLITE_READONLY
    case 10:    // SQLITE_IOERR
    case 11:    // SQLITE_CORRUPT
    case 14:    // SQLITE_CANTOPEN
    case 26:    // SQLITE_NOTADB
        return true;
    default:
        return false;
    }
}

// Text as SQLite should store it: never NULL.
QString text(const QString& s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

bool exec(QSqlQuery& q, const QString& sql, QString& why)
{
    if (q.exec(sql))
        return true;
    why = q.lastError().text();
    return false;
}

// The layout as it grew: step N brings a file of version N - 1 to version N. A new file runs
// every step, so an old file and a new one end up alike.
const char* const migrationSteps[][3] = {
    {"CREATE TABLE fights (id INTEGER PRIMARY KEY, at INTEGER NOT NULL, origin TEXT NOT NULL,"
     " difficulty INTEGER NOT NULL, skin TEXT NOT NULL, result TEXT NOT NULL, kill_ms REAL,"
     " shots INTEGER NOT NULL)", nullptr, nullptr},
    {"ALTER TABLE fights ADD COLUMN opponent TEXT NOT NULL DEFAULT ''",
     "ALTER TABLE fights ADD COLUMN peer TEXT NOT NULL DEFAULT ''", nullptr},
};
static_assert(sizeof(migrationSteps) / sizeof(migrationSteps[0]) == FightHistory::SchemaVersion);

} // namespace

FightHistory::FightHistory(const QString& path)
    : m_path(path)
    , m_connection(QStringLiteral("history%1").arg(++connectionCount))
{
}

FightHistory::~FightHistory()
{
    close();
}

QString FightHistory::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Gremlok/history.sqlite");
}

void FightHistory::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_open = false;
}

bool FightHistory::open()
{
    if (m_open)
        return true;
    if (m_refused)
        return false;
    QString why;
    bool keepFile = false;
    if (openOnce(why, keepFile))
        return true;
    if (keepFile) {
        m_refused = true;
        qCWarning(lcHistory) << "fight history" << m_path << "left alone:" << why;
        return false;
    }
    moveAside(why);
    if (openOnce(why, keepFile))
        return true;
    qCWarning(lcHistory) << "no fight history this time:" << why;
    return false;
}

bool FightHistory::openOnce(QString& why, bool& keepFile)
{
    close();
    keepFile = false;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!db.isValid()) {
        why = QStringLiteral("no SQLite driver");
        keepFile = true;    // nothing wrong with the file
        return false;
    }
    db.setDatabaseName(m_path);
    // Another process holding the file must not freeze the program for long.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=200"));
    if (!db.open()) {
        why = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    if (!exec(q, QStringLiteral("PRAGMA user_version"), why) || !q.next()) {
        if (why.isEmpty())
            why = QStringLiteral("no schema version");
        return false;
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version > SchemaVersion) {
        why = QStringLiteral("written by a newer Gremlok (schema %1)").arg(version);
        keepFile = true;
        return false;
    }
    if (version < SchemaVersion && !migrate(db, version, why))
        return false;
    // A fight's transaction then costs no wait for the disk on the user-interface thread; a
    // power cut may lose the last fights, never the file.
    if (!exec(q, QStringLiteral("PRAGMA journal_mode = WAL"), why)
        || !exec(q, QStringLiteral("PRAGMA synchronous = NORMAL"), why))
        qCDebug(lcHistory) << "fight history without a write-ahead log:" << why;
    q.finish();
    m_open = true;
    return true;
}

bool FightHistory::migrate(QSqlDatabase& db, int from, QString& why)
{
    if (!db.transaction()) {
        why = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    bool ok = true;
    for (int step = from; ok && step < SchemaVersion; ++step)
        for (const char* sql : migrationSteps[step])
            if (sql && !(ok = exec(q, QString::fromLatin1(sql), why)))
                break;
    ok = ok && exec(q, QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion), why);
    q.finish();
    if (ok && db.commit()) {
        if (from > 0)
            qCDebug(lcHistory) << "fight history brought from schema" << from << "to" << SchemaVersion;
        return true;
    }
    if (ok)
        why = db.lastError().text();
    db.rollback();
    return false;
}

void FightHistory::moveAside(const QString& why)
{
    close();
    if (!QFile::exists(m_path))
        return;
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = m_path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFile::exists(target); ++n)
        target = m_path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(m_path, target)) {
        qCWarning(lcHistory) << "fight history" << m_path << "is unusable (" << why
                             << ") and could not be moved aside";
        return;
    }
    // A journal belongs to the file it was written for.
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        if (QFile::exists(m_path + QLatin1String(suffix)))
            QFile::rename(m_path + QLatin1String(suffix), target + QLatin1String(suffix));
    m_movedTo = target;
    qCWarning(lcHistory) << "fight history" << m_path << "is unusable (" << why << "); moved to"
                         << target << "and started anew";
    platform::Trace("history", QStringLiteral("moved aside"));
}

bool FightHistory::write(const QVector<FightEntry>& fights, QString& why, bool& fileFault)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    fileFault = true;
    if (!db.transaction()) {
        why = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    bool ok = q.prepare(QStringLiteral(
        "INSERT INTO fights (at, origin, difficulty, skin, result, kill_ms, shots, opponent, peer)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (qsizetype i = 0; ok && i < fights.size(); ++i) {
        const FightEntry& f = fights[i];
        q.bindValue(0, f.At);
        q.bindValue(1, FightCodes::Origin(f.Origin));
        q.bindValue(2, f.Difficulty);
        q.bindValue(3, text(f.Skin));
        q.bindValue(4, FightCodes::Result(f.Result));
        q.bindValue(5, f.HasKillTime() ? QVariant(f.KillMs) : QVariant(QMetaType::fromType<double>()));
        q.bindValue(6, f.Shots);
        q.bindValue(7, text(f.Opponent));
        q.bindValue(8, text(FightCodes::Peer(f.Peer)));
        ok = q.exec();
    }
    if (!ok) {
        why = q.lastError().text();
        fileFault = fileAtFault(q.lastError());
    }
    q.finish();
    if (ok && db.commit())
        return true;
    if (ok)
        why = db.lastError().text();
    db.rollback();
    return false;
}

bool FightHistory::Record(const FightEntry& fight)
{
    return RecordAll({fight});
}

bool FightHistory::RecordAll(const QVector<FightEntry>& fights)
{
    if (!open())
        return false;
    QString why;
    bool fileFault = false;
    if (write(fights, why, fileFault))
        return true;
    // Damaged, locked by someone else, or no longer writable: a fresh file takes the fight.
    if (fileFault) {
        moveAside(why);
        if (open() && write(fights, why, fileFault))
            return true;
    }
    qCWarning(lcHistory) << "fight not recorded:" << why;
    return false;
}

QVector<FightEntry> FightHistory::Load(LoadWhat what)
{
    QVector<FightEntry> out;
    if (!open())
        return out;
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (what == Figures)
            out = loadFigures(db, why);
        else
            out = loadEverything(db, why);
    }
    // Damage part-way through the file shows here too: what was read is shown, and the file
    // is replaced.
    if (!why.isEmpty())
        moveAside(why);
    return out;
}

QVector<FightEntry> FightHistory::loadEverything(QSqlDatabase& db, QString& why)
{
    QVector<FightEntry> out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("SELECT difficulty, result, kill_ms, opponent, peer, at, origin, skin, shots"
                              " FROM fights ORDER BY id"))) {
        while (q.next()) {
            FightEntry f;
            f.Difficulty = q.value(0).toInt();
            f.Result = FightCodes::ParseResult(q.value(1).toString());
            const QVariant ms = q.value(2);
            f.KillMs = ms.isNull() ? -1 : ms.toDouble();
            f.Opponent = q.value(3).toString();
            f.Peer = FightCodes::ParsePeer(q.value(4).toString());
            f.At = q.value(5).toLongLong();
            f.Origin = FightCodes::ParseOrigin(q.value(6).toString());
            f.Skin = q.value(7).toString();
            f.Shots = q.value(8).toInt();
            out << f;
        }
    }
    if (q.lastError().isValid())
        why = q.lastError().text();
    return out;
}

namespace {
// The fields of a comma-separated list (an empty text is one empty field).
QVector<QByteArrayView> splitFields(const QByteArray& text)
{
    QVector<QByteArrayView> out;
    const char* p = text.constData();
    const char* const end = p + text.size();
    while (p <= end) {
        const char* comma = static_cast<const char*>(std::memchr(p, ',', size_t(end - p)));
        const char* fieldEnd = comma ? comma : end;
        out << QByteArrayView(p, fieldEnd - p);
        p = fieldEnd + 1;
    }
    return out;
}
} // namespace

QVector<FightEntry> FightHistory::loadFigures(QSqlDatabase& db, QString& why)
{
    // Fetching row by row costs microseconds a row, most of the time the window takes to open
    // on a long history. SQLite hands each figure over as one text for all the fights
    // instead, in one pass over the table, so the texts line up fight by fight.
    QVector<FightEntry> out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral(
            "SELECT count(*), group_concat(ifnull(CAST(difficulty AS INTEGER), 0), ','),"
            " group_concat(CASE result WHEN 'kill' THEN 'k' WHEN 'lost' THEN 'l' ELSE 'x' END, ''),"
            " group_concat(ifnull(CAST(kill_ms AS REAL), ''), ','),"
            " group_concat(CASE peer WHEN 'won' THEN 'w' WHEN 'lost' THEN 'l' ELSE '-' END, '')"
            " FROM fights"))
        || !q.next()) {
        why = q.lastError().text();
        return out;
    }
    const int count = q.value(0).toInt();
    if (count == 0)
        return out;
    const QVector<QByteArrayView> difficulties = splitFields(q.value(1).toByteArray());
    const QByteArray results = q.value(2).toByteArray();
    const QByteArray killTimesText = q.value(3).toByteArray();
    const QVector<QByteArrayView> killTimes = splitFields(killTimesText);
    const QByteArray peers = q.value(4).toByteArray();
    q.finish();
    if (difficulties.size() != count || results.size() != count || killTimes.size() != count
        || peers.size() != count) {
        qCWarning(lcHistory) << "fight history: figures do not line up; reading them row by row";
        return loadEverything(db, why);
    }
    out.resize(count);
    int linked = 0;
    for (int i = 0; i < count; ++i) {
        FightEntry& f = out[i];
        f.Difficulty = QByteArray::fromRawData(difficulties[i].data(), difficulties[i].size()).toInt();
        f.Result = results[i] == 'k' ? FightResult::Kill : results[i] == 'l' ? FightResult::Lost : FightResult::Left;
        bool ok = false;
        const double ms = QByteArray::fromRawData(killTimes[i].data(), killTimes[i].size()).toDouble(&ok);
        f.KillMs = ok && !killTimes[i].isEmpty() ? ms : -1;
        f.Peer = peers[i] == 'w' ? PeerResult::Won : peers[i] == 'l' ? PeerResult::Lost : PeerResult::None;
        linked += f.Peer != PeerResult::None;
    }
    if (linked == 0)
        return out;
    // The opponents, few and free text, the ordinary way, in the same order.
    QSqlQuery names(db);
    names.setForwardOnly(true);
    if (!names.exec(QStringLiteral("SELECT opponent FROM fights WHERE peer IN ('won', 'lost') ORDER BY id"))) {
        why = names.lastError().text();
        return out;
    }
    for (FightEntry& f : out)
        if (f.Peer != PeerResult::None && names.next())
            f.Opponent = names.value(0).toString();
    return out;
}

bool FightHistory::Clear()
{
    if (!open())
        return false;
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        QSqlQuery q(db);
        if (exec(q, QStringLiteral("DELETE FROM fights"), why))
            return true;
    }
    // A file that cannot even be emptied is replaced by an empty one.
    moveAside(why);
    return open();
}

namespace modGremlok {

namespace {
std::unique_ptr<FightHistory> theHistory;
} // namespace

FightHistory& TheFightHistory()
{
    if (!theHistory) {
        theHistory = std::make_unique<FightHistory>();
        // Closed while the application, and with it the SQL driver, is still there.
        if (QCoreApplication::instance())
            qAddPostRoutine([] { theHistory.reset(); });
    }
    return *theHistory;
}

} // namespace modGremlok

bool gremlok_history_record(const FightEntry* fight)
{
    return fight && modGremlok::TheFightHistory().Record(*fight);
}
