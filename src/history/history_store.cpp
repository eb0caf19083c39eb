#include "history_store.h"

#include "history_log.h"

#include <QAtomicInteger>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <cstdlib>

namespace {

// "KELV": a SQLite file of ours, told apart from any other SQLite file.
constexpr qint64 ApplicationId = 1263814738;
constexpr int WriteAttempts = 5;

// SQLite's own result codes, as QSqlError::nativeErrorCode() gives them.
const QString Busy = QStringLiteral("5");
const QString Locked = QStringLiteral("6");
const QString Corrupt = QStringLiteral("11");
const QString NotADatabase = QStringLiteral("26");

// Another connection holds a lock. SQLite may give an extended code (a busy snapshot is
// 517): its low byte is the kind.
bool isBusy(const QSqlError& error)
{
    const QString code = QString::number(error.nativeErrorCode().toInt() & 0xff);
    return code == Busy || code == Locked;
}

QStringList migrationFiles()
{
    QStringList files = QDir(QStringLiteral(":/history")).entryList({ QStringLiteral("*.sql") });
    files.sort();
    return files;
}

// The statements of a migration file: comments dropped, split at the semicolons that end
// lines (the migrations keep none inside their strings).
QStringList statements(const QString& script)
{
    QStringList result;
    QString current;
    for (const QString& line : script.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QStringLiteral("--")))
            continue;
        current += line + u'\n';
        if (trimmed.endsWith(u';')) {
            result.append(current.trimmed());
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        result.append(current.trimmed());
    return result;
}

QString digestOf(const QStringList& lines)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(lines.join(u'\n').toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString titleOf(const RunRecord& run)
{
    const QString first = run.drillLines.value(0).trimmed();
    return first.isEmpty() ? QFileInfo(run.path).fileName() : first;
}

// The local date and time with its UTC offset, e.g. 2026-12-08T09:30:00+09:00; UTC itself is
// +00:00 too, not Z, so that every row reads alike.
QString withOffset(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+')
        + QStringLiteral("%1:%2")
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString newConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("kelvaro-history-") + QString::number(++counter);
}

} // namespace

int HistoryStore::latestVersion()
{
    return int(migrationFiles().size());
}

QString HistoryStore::defaultPath()
{
    // GenericDataLocation is $XDG_DATA_HOME (~/.local/share by default) on Linux.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/kelvaro/history.sqlite");
}

HistoryStore::HistoryStore(const QString& path, int busyTimeoutMs, Checking checking)
    : m_path(path)
    , m_busyTimeoutMs(busyTimeoutMs)
    , m_checking(checking)
    , m_connection(newConnectionName())
{
}

HistoryStore::~HistoryStore()
{
    close();
}

void HistoryStore::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

HistoryStore::State HistoryStore::open()
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        becomeUnavailable(QStringLiteral("the folder %1 cannot be created").arg(folder));
        return m_state;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!openConnection())
            return m_state;
        int version = 0;
        QString why;
        const Check check = checkFile(version, why);
        if (check == Check::Unusable)
            return m_state;
        if (check == Check::Broken) {
            if (attempt == 0 && moveAside(why))
                continue;
            becomeUnavailable(why);
            return m_state;
        }
        if (version > latestVersion()) {
            m_state = State::ReadOnly;
            m_problem = QStringLiteral("%1 was written by a newer Kelvaro (schema %2, this one "
                                       "knows %3): it is read but not written")
                            .arg(m_path)
                            .arg(version)
                            .arg(latestVersion());
            qCWarning(lcHistory).noquote() << m_problem;
            return m_state;
        }
        if (!migrate(version))
            return m_state;
        m_state = State::Writable;
        m_problem.clear();
        return m_state;
    }
    return m_state;
}

bool HistoryStore::openConnection()
{
    close();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        becomeUnavailable(QStringLiteral("Qt's SQLite driver (QSQLITE) is not installed"));
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(
        QStringLiteral("QSQLITE_BUSY_TIMEOUT=") + QString::number(m_busyTimeoutMs));
    if (!db.open()) {
        becomeUnavailable(
            QStringLiteral("%1 cannot be opened: %2").arg(m_path, db.lastError().text()));
        return false;
    }
    return true;
}

HistoryStore::Check HistoryStore::checkFile(int& version, QString& why)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    // Nothing is changed in the file until it is known to be ours (or empty): another
    // program's database is moved aside as it was.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_schema")) || !query.next()) {
        const QSqlError error = query.lastError();
        if (error.nativeErrorCode() == NotADatabase || error.nativeErrorCode() == Corrupt) {
            why = QStringLiteral("%1 is not a database: %2").arg(m_path, error.text());
            return Check::Broken;
        }
        becomeUnavailable(QStringLiteral("%1 cannot be read: %2").arg(m_path, error.text()));
        return Check::Unusable;
    }
    const bool empty = query.value(0).toInt() == 0;
    if (m_checking == Checking::Thorough
        && (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()
            || query.value(0).toString() != QStringLiteral("ok"))) {
        why = QStringLiteral("%1 is damaged: %2")
                  .arg(m_path,
                      query.lastError().isValid() ? query.lastError().text()
                                                  : query.value(0).toString());
        return Check::Broken;
    }
    query.exec(QStringLiteral("PRAGMA application_id"));
    const qint64 applicationId = query.next() ? query.value(0).toLongLong() : 0;
    if (applicationId != ApplicationId && !empty) {
        why = QStringLiteral("%1 is not a Kelvaro history").arg(m_path);
        return Check::Broken;
    }
    query.exec(QStringLiteral("PRAGMA user_version"));
    version = query.next() ? query.value(0).toInt() : 0;
    if (version > latestVersion())
        return Check::Usable; // read only: nothing is changed, not even the journal mode
    // WAL: a commit is one append to the log, and a reader never waits for a writer.
    // Turning it on upgrades a read lock to a write lock, and SQLite refuses that at once,
    // without its busy time-out, when another window opening the same new file got there
    // first: so the switch is tried again until the time-out has passed.
    const QDeadlineTimer deadline(m_busyTimeoutMs);
    bool switched = false;
    for (int attempt = 1; !switched; ++attempt) {
        switched = query.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && query.next();
        if (!switched && (!isBusy(query.lastError()) || deadline.hasExpired())) {
            becomeUnavailable(
                QStringLiteral("%1 cannot be written: %2").arg(m_path, query.lastError().text()));
            return Check::Unusable;
        }
        if (!switched)
            QThread::msleep(std::min(10 * attempt, 100));
    }
    // A process kill loses nothing committed in WAL mode with NORMAL: the log is written
    // before the commit returns, only its flush to the disk is left to the system.
    query.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    query.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    return Check::Usable;
}

bool HistoryStore::migrate(int from)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QStringList files = migrationFiles();
    for (int number = from + 1; number <= int(files.size()); ++number) {
        QFile file(QStringLiteral(":/history/") + files.at(number - 1));
        if (!file.open(QIODevice::ReadOnly)) {
            becomeUnavailable(QStringLiteral("migration %1 is missing").arg(number));
            return false;
        }
        const QString script = QString::fromUtf8(file.readAll());
        QSqlQuery query(db);
        // IMMEDIATE takes the write lock first, so that two windows starting together apply
        // each migration once: the second sees the first's schema version and skips it.
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            becomeUnavailable(
                QStringLiteral("%1 cannot be written: %2").arg(m_path, query.lastError().text()));
            return false;
        }
        query.exec(QStringLiteral("PRAGMA user_version"));
        if (query.next() && query.value(0).toInt() >= number) {
            query.exec(QStringLiteral("COMMIT"));
            continue;
        }
        bool ok = true;
        for (const QString& statement : statements(script)) {
            if (!query.exec(statement)) {
                becomeUnavailable(QStringLiteral("migration %1 failed: %2")
                                      .arg(files.at(number - 1), query.lastError().text()));
                ok = false;
                break;
            }
        }
        if (ok)
            ok = query.exec(QStringLiteral("PRAGMA user_version = ") + QString::number(number))
                && query.exec(QStringLiteral("COMMIT"));
        if (!ok) {
            if (m_problem.isEmpty())
                becomeUnavailable(QStringLiteral("%1 cannot be written: %2")
                                      .arg(m_path, query.lastError().text()));
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return false;
        }
    }
    return true;
}

bool HistoryStore::moveAside(const QString& why)
{
    close();
    const QString stamped = m_path + QStringLiteral(".broken-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // A second broken file within the same second gets a number after the time.
    QString target = stamped;
    for (int n = 2; QFile::exists(target) && n < 100; ++n)
        target = stamped + u'-' + QString::number(n);
    if (!QFile::rename(m_path, target))
        return false;
    // Closing folds the log into the broken file; a log still left (its fold failed)
    // belongs to it too: applied to the new file it would damage it.
    for (const QString& suffix : { QStringLiteral("-wal"), QStringLiteral("-shm") }) {
        if (QFile::exists(m_path + suffix))
            QFile::rename(m_path + suffix, target + suffix);
    }
    m_movedAsideTo = target;
    qCWarning(lcHistory).noquote() << why + QStringLiteral("; it was moved to ") + target
            + QStringLiteral(" and a new "
                             "history started");
    return true;
}

void HistoryStore::becomeUnavailable(const QString& why)
{
    close();
    m_state = State::Unavailable;
    m_problem = why;
    qCWarning(lcHistory).noquote() << QStringLiteral("No history of runs is kept: ") + why;
}

bool HistoryStore::record(const RunRecord& run)
{
    if (m_state != State::Writable)
        return false;
    QSqlError error;
    for (int attempt = 1; attempt <= WriteAttempts; ++attempt) {
        error = writeRun(run);
        if (!error.isValid())
            return true;
        if (!isBusy(error))
            break;
        // Another window holds the write lock longer than the busy time-out: try again.
        QThread::msleep(50 * attempt);
    }
    qCWarning(lcHistory).noquote()
        << QStringLiteral("A run could not be kept in %1: %2").arg(m_path, error.text());
    return false;
}

QSqlError HistoryStore::writeRun(const RunRecord& run)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    // The query's error, not the connection's, says whether to try again.
    const auto fail = [&] {
        const QSqlError error = query.lastError();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return error;
    };
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return query.lastError();

    const QString digest = digestOf(run.drillLines);
    query.prepare(QStringLiteral("INSERT INTO drills (path, digest, title) VALUES (?, ?, ?) "
                                 "ON CONFLICT (path, digest) DO NOTHING"));
    query.addBindValue(run.path);
    query.addBindValue(digest);
    query.addBindValue(titleOf(run));
    if (!query.exec())
        return fail();
    const bool newVersion = query.numRowsAffected() > 0;
    query.prepare(QStringLiteral("SELECT id FROM drills WHERE path = ? AND digest = ?"));
    query.addBindValue(run.path);
    query.addBindValue(digest);
    if (!query.exec() || !query.next())
        return fail();
    const qint64 drillId = query.value(0).toLongLong();
    if (newVersion) {
        query.prepare(QStringLiteral(
            "INSERT INTO drill_lines (drill_id, line_number, text) VALUES (?, ?, ?)"));
        for (int i = 0; i < run.drillLines.size(); ++i) {
            query.addBindValue(drillId);
            query.addBindValue(i + 1);
            query.addBindValue(run.drillLines.at(i));
            if (!query.exec())
                return fail();
        }
    }

    query.prepare(QStringLiteral(
        "INSERT INTO runs (drill_id, started_at, finished_at, elapsed_ms, lines, rate, voice, "
        "pace, practice) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& value : { QVariant(drillId), QVariant(withOffset(run.startedAt)),
             QVariant(withOffset(run.finishedAt)), QVariant(run.elapsedMs), QVariant(run.lines),
             QVariant(run.rate), QVariant(run.voice), QVariant(run.pace),
             QVariant(run.practice ? 1 : 0) })
        query.addBindValue(value);
    if (!query.exec())
        return fail();
    const qint64 runId = query.lastInsertId().toLongLong();

    query.prepare(QStringLiteral("INSERT INTO line_times (run_id, line_number, shown_ms, "
                                 "repeats, backs) VALUES (?, ?, ?, ?, ?)"));
    for (const LineTime& line : run.lineTimes) {
        query.addBindValue(runId);
        query.addBindValue(line.lineNumber);
        query.addBindValue(line.shownMs);
        query.addBindValue(line.repeats);
        query.addBindValue(line.backs);
        if (!query.exec())
            return fail();
    }
    if (!query.exec(QStringLiteral("COMMIT")))
        return fail();
    return {};
}

QList<DrillSummary> HistoryStore::drills() const
{
    QList<DrillSummary> result;
    if (m_state != State::Writable && m_state != State::ReadOnly)
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.exec(QStringLiteral(
        "SELECT d.path, (SELECT title FROM drills WHERE path = d.path ORDER BY id DESC LIMIT 1), "
        "count(r.id) FROM drills d LEFT JOIN runs r ON r.drill_id = d.id GROUP BY d.path "
        "ORDER BY max(r.id) DESC"));
    while (query.next())
        result.append(
            { query.value(0).toString(), query.value(1).toString(), query.value(2).toInt() });
    return result;
}

QList<RunRow> HistoryStore::runs(const QString& path) const
{
    QList<RunRow> result;
    if (m_state != State::Writable && m_state != State::ReadOnly)
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT r.id, r.started_at, r.finished_at, r.elapsed_ms, r.lines, r.rate, r.voice, "
        "r.pace, r.practice FROM runs r JOIN drills d ON d.id = r.drill_id WHERE d.path = ? "
        "ORDER BY r.id DESC"));
    query.addBindValue(path);
    query.exec();
    while (query.next()) {
        RunRow row;
        row.id = query.value(0).toLongLong();
        row.startedAtText = query.value(1).toString();
        row.finishedAtText = query.value(2).toString();
        row.finishedAt = QDateTime::fromString(row.finishedAtText, Qt::ISODate);
        row.elapsedMs = query.value(3).toLongLong();
        row.lines = query.value(4).toInt();
        row.rate = query.value(5).toInt();
        row.voice = query.value(6).toString();
        row.pace = query.value(7).toString();
        row.practice = query.value(8).toInt() != 0;
        result.append(row);
    }
    return result;
}

qint64 HistoryStore::drillVersion(const QString& path) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    // The version of the newest run; a version never run yet has none.
    query.prepare(QStringLiteral("SELECT d.id FROM drills d LEFT JOIN runs r ON r.drill_id = "
                                 "d.id WHERE d.path = ? ORDER BY r.id DESC, d.id DESC LIMIT 1"));
    query.addBindValue(path);
    if (query.exec() && query.next())
        return query.value(0).toLongLong();
    return 0;
}

QList<HardLine> HistoryStore::hardLines(const QString& path, int lastRuns, int limit) const
{
    QList<HardLine> result;
    if (m_state != State::Writable && m_state != State::ReadOnly)
        return result;
    const qint64 version = drillVersion(path);
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral(
        "SELECT t.line_number, dl.text, avg(t.shown_ms), sum(t.repeats), sum(t.backs) "
        "FROM line_times t JOIN drill_lines dl ON dl.drill_id = ? AND dl.line_number = "
        "t.line_number WHERE t.run_id IN (SELECT id FROM runs WHERE drill_id = ? ORDER BY id "
        "DESC LIMIT ?) GROUP BY t.line_number"));
    query.addBindValue(version);
    query.addBindValue(version);
    query.addBindValue(lastRuns);
    query.exec();
    while (query.next()) {
        HardLine line;
        line.lineNumber = query.value(0).toInt();
        line.text = query.value(1).toString();
        const qsizetype characters = std::max<qsizetype>(1, line.text.trimmed().size());
        line.msPerCharacter = query.value(2).toDouble() / double(characters);
        line.repeats = query.value(3).toInt();
        line.backs = query.value(4).toInt();
        result.append(line);
    }
    std::stable_sort(result.begin(), result.end(),
        [](const HardLine& a, const HardLine& b) { return a.msPerCharacter > b.msPerCharacter; });
    if (result.size() > limit)
        result.resize(limit);
    return result;
}

QStringList HistoryStore::drillLines(const QString& path) const
{
    QStringList result;
    if (m_state != State::Writable && m_state != State::ReadOnly)
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(
        QStringLiteral("SELECT text FROM drill_lines WHERE drill_id = ? ORDER BY line_number"));
    query.addBindValue(drillVersion(path));
    query.exec();
    while (query.next())
        result.append(query.value(0).toString());
    return result;
}

QList<LineTimeRow> HistoryStore::lineTimes(const QString& path) const
{
    QList<LineTimeRow> result;
    if (m_state != State::Writable && m_state != State::ReadOnly)
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT t.run_id, t.line_number, t.shown_ms, t.repeats, t.backs, dl.text FROM line_times "
        "t JOIN runs r ON r.id = t.run_id JOIN drills d ON d.id = r.drill_id LEFT JOIN "
        "drill_lines dl ON dl.drill_id = d.id AND dl.line_number = t.line_number WHERE d.path = "
        "? ORDER BY t.run_id DESC, t.line_number"));
    query.addBindValue(path);
    query.exec();
    while (query.next()) {
        LineTimeRow row;
        row.runId = query.value(0).toLongLong();
        row.time = { query.value(1).toInt(), query.value(2).toLongLong(), query.value(3).toInt(),
            query.value(4).toInt() };
        row.text = query.value(5).toString();
        result.append(row);
    }
    return result;
}

bool HistoryStore::forgetDrill(const QString& path)
{
    if (m_state != State::Writable)
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("DELETE FROM drills WHERE path = ?"));
    query.addBindValue(path);
    if (!query.exec()) {
        qCWarning(lcHistory).noquote()
            << QStringLiteral("%1 could not be forgotten: %2").arg(path, query.lastError().text());
        return false;
    }
    return true;
}
