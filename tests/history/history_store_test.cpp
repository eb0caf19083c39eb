#include "history_fixture.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSet>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <optional>
#include <thread>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<QProcess> startWriter(const QString& file, int runs)
{
    auto writer = std::make_unique<QProcess>();
    writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer->start(QStringLiteral(HISTORY_WRITER), { file, QString::number(runs) });
    return writer;
}

// The highest "committed N" a writer has printed, reading what it has written so far.
int lastCommitted(QProcess& writer, int& seen)
{
    while (writer.canReadLine()) {
        const QByteArray line = writer.readLine().trimmed();
        if (line.startsWith("committed "))
            seen = line.mid(10).toInt();
    }
    return seen;
}

} // namespace

// The history file on a real SQLite file in a folder of the test's own: what becomes of a
// broken file, a folder that cannot be written, a newer schema, a kill part-way and two
// writers at once.
class HistoryStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        folder.emplace();
        QVERIFY(folder->isValid());
        file = folder->filePath(u"kelvaro/history.sqlite"_s);
    }

    // A new file gets the whole schema, each migration counted in user_version, in WAL mode;
    // opening it again applies nothing twice and keeps what was there. An edited file is a new
    // version of the same drill: the lines of each version are kept once, and the drill's runs
    // cover both. A history from a newer Kelvaro is read, never written, and that said once.
    void aHistoryKeepsEveryVersionOfItsDrills()
    {
        const QString drill = u"/d/a.txt"_s;
        RunRecord run = sampleRun(drill, 3, 40);
        {
            HistoryStore store(file);
            QCOMPARE(store.open(), HistoryStore::State::Writable);
            QVERIFY(store.record(run));
        }
        QCOMPARE(queryValue(file, u"PRAGMA user_version"_s).toInt(), HistoryStore::latestVersion());
        QCOMPARE(queryValue(file, u"PRAGMA journal_mode"_s), u"wal"_s);
        {
            HistoryStore again(file);
            QCOMPARE(again.open(), HistoryStore::State::Writable);
            QCOMPARE(again.runs(drill).size(), 1);
            // Every date keeps its offset, written alike also for UTC and west of it.
            run.startedAt = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
            run.finishedAt = QDateTime(QDate(2026, 1, 2), QTime(3, 5), Qt::OffsetFromUTC, -16200);
            QVERIFY(again.record(run));
            QCOMPARE(again.runs(drill).constFirst().startedAtText, u"2026-01-02T03:04:05+00:00"_s);
            QCOMPARE(again.runs(drill).constFirst().finishedAtText, u"2026-01-02T03:05:00-04:30"_s);
            QCOMPARE(
                again.drillLines(drill), QStringList({ u"line 1"_s, u"line 2"_s, u"line 3"_s }));

            run.drillLines[1] = u"edited"_s;
            QVERIFY(again.record(run));
            QCOMPARE(queryValue(file, u"SELECT count(*) FROM drills"_s).toInt(), 2);
            QCOMPARE(queryValue(file, u"SELECT count(*) FROM drill_lines"_s).toInt(), 6);
            QCOMPARE(again.drills().size(), 1);
            QCOMPARE(again.drills().constFirst().runs, 3);
            QCOMPARE(again.runs(drill).size(), 3);
            QCOMPARE(again.drillLines(drill).value(1), u"edited"_s);
            QVERIFY(again.forgetDrill(drill));
            QCOMPARE(queryValue(file, u"SELECT count(*) FROM line_times"_s).toInt(), 0);
            QCOMPARE(again.drills().size(), 0);
            QVERIFY(again.record(run));
        }

        queryValue(file, u"PRAGMA user_version = 99"_s);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"written by a newer Kelvaro"_s));
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        HistoryStore newer(file);
        QCOMPARE(newer.open(), HistoryStore::State::ReadOnly);
        QVERIFY(newer.problem().contains(u"newer Kelvaro"_s));
        QCOMPARE(newer.runs(drill).size(), 1);
        QVERIFY(!newer.record(run));
        QVERIFY(!newer.forgetDrill(drill));
        QCOMPARE(queryValue(file, u"SELECT count(*) FROM runs"_s).toInt(), 1);
        QCOMPARE(queryValue(file, u"PRAGMA user_version"_s).toInt(), 99);
    }

    void aBrokenFileIsMovedAside_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not a database") << u"text"_s;
        QTest::newRow("another program's database") << u"foreign"_s;
        QTest::newRow("a damaged history") << u"damaged"_s;
        QTest::newRow("a history cut short") << u"truncated"_s;
        QTest::newRow("a history overwritten, its log left") << u"log"_s;
    }

    // Moved aside under a dated name, with its log, said once; a new history starts.
    void aBrokenFileIsMovedAside()
    {
        QFETCH(QString, kind);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QByteArray log;
        if (kind == u"text"_s) {
            writeFile(file, QByteArray("run,rate\n1,40\n").repeated(500));
        } else if (kind == u"foreign"_s) {
            queryValue(file, u"CREATE TABLE notes (text TEXT)"_s);
        } else {
            {
                HistoryStore store(file);
                QCOMPARE(store.open(), HistoryStore::State::Writable);
                for (int n = 0; n < 40; ++n)
                    QVERIFY(store.record(sampleRun(u"/d/a.txt"_s, 30, n)));
            }
            if (kind == u"log"_s) {
                // A run not yet folded into the file, as a kill leaves it: the new history
                // starts empty all the same.
                HistoryStore store(file);
                QCOMPARE(store.open(), HistoryStore::State::Writable);
                QVERIFY(store.record(sampleRun(u"/d/b.txt"_s, 3, 1)));
                log = readFile(file + u"-wal"_s);
                QVERIFY(!log.isEmpty());
            }
            QByteArray bytes = readFile(file);
            QVERIFY(bytes.size() > 4 * 4096);
            // The pages the log holds are read from it: the damage goes to pages it lacks. A
            // log is a 32-byte header, then frames of a 24-byte header (the page number
            // first, big-endian) and the page.
            QSet<int> logged;
            for (qsizetype at = 32; at + 24 + 4096 <= log.size(); at += 24 + 4096)
                logged.insert(qFromBigEndian<quint32>(log.constData() + at));
            int damaged = 0;
            for (int page = 2; page <= bytes.size() / 4096 && damaged < 3; ++page) {
                if (!logged.contains(page)) {
                    bytes.replace((page - 1) * 4096, 4096, QByteArray(4096, '\x5a'));
                    ++damaged;
                }
            }
            QCOMPARE(damaged, 3);
            if (kind == u"truncated"_s)
                bytes = readFile(file).left(bytes.size() / 2 + 100);
            writeFile(file, bytes);
            if (kind == u"log"_s)
                writeFile(file + u"-wal"_s, log);
        }
        const QByteArray before = readFile(file);

        const QRegularExpression movedAside(u"; it was moved to .* and a new history started$"_s);
        QTest::ignoreMessage(QtWarningMsg, movedAside);
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        QString firstAside;
        {
            HistoryStore store(file);
            const HistoryStore::State state = store.open();
            QVERIFY2(state == HistoryStore::State::Writable,
                qPrintable(store.problem() + QDir(QFileInfo(file).path()).entryList().join(u' ')));
            QVERIFY2(QRegularExpression(u"/history\\.sqlite\\.broken-\\d{8}-\\d{6}$"_s)
                         .match(store.movedAsideTo())
                         .hasMatch(),
                qPrintable(store.movedAsideTo()));
            QCOMPARE(readFile(store.movedAsideTo()), before);
            // Nothing of the old file or its log comes into the new one.
            QCOMPARE(store.drills().size(), 0);
            QVERIFY(store.record(sampleRun(u"/d/a.txt"_s, 3, 40)));
            QCOMPARE(store.runs(u"/d/a.txt"_s).size(), 1);
            QCOMPARE(store.drills().size(), 1);
            firstAside = store.movedAsideTo();
        }
        // A second broken file, mostly in the same second, is kept beside the first.
        writeFile(file, QByteArray("second\n").repeated(1000));
        QTest::ignoreMessage(QtWarningMsg, movedAside);
        HistoryStore second(file);
        QCOMPARE(second.open(), HistoryStore::State::Writable);
        QVERIFY(second.movedAsideTo() != firstAside);
        QCOMPARE(readFile(firstAside), before);
        QCOMPARE(readFile(second.movedAsideTo()), QByteArray("second\n").repeated(1000));
    }

    // The drill goes on without a history: the store says why, once, and keeps nothing.
    void aFolderThatCannotBeWritten()
    {
        const QString readOnly = folder->filePath(u"locked"_s);
        QVERIFY(QDir().mkpath(readOnly));
        QVERIFY(QFile::setPermissions(folder->path(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(
            readOnly, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        // Root writes anywhere: the test runs as an ordinary user for the while.
        const bool root = geteuid() == 0;
        if (root)
            QVERIFY(seteuid(65534) == 0);
        const QRegularExpression notKept(u"^No history of runs is kept: "_s);
        QTest::ignoreMessage(QtWarningMsg, notKept);
        QTest::ignoreMessage(QtWarningMsg, notKept);
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        {
            HistoryStore store(readOnly + u"/history.sqlite"_s);
            HistoryStore inFolder(readOnly + u"/kelvaro/history.sqlite"_s);
            const HistoryStore::State state = store.open();
            const HistoryStore::State inFolderState = inFolder.open();
            const bool recorded = store.record(sampleRun(u"/d/a.txt"_s, 3, 40));
            if (root)
                QVERIFY(seteuid(0) == 0);
            QCOMPARE(state, HistoryStore::State::Unavailable);
            QCOMPARE(inFolderState, HistoryStore::State::Unavailable);
            QVERIFY(!recorded);
            QVERIFY(store.problem().contains(readOnly));
            QVERIFY(inFolder.problem().contains(u"cannot be created"_s));
            QCOMPARE(store.runs(u"/d/a.txt"_s).size(), 0);
        }
        QVERIFY(!QFile::exists(readOnly + u"/history.sqlite"_s));
    }

    // A kill at any moment loses at most the run being written and never damages the file.
    void aKillPartWayKeepsEveryCommittedRun()
    {
        auto writer = startWriter(file, 1000);
        const int killAt = QRandomGenerator::global()->bounded(50, 900);
        int seen = 0;
        QDeadlineTimer deadline(60000);
        while (lastCommitted(*writer, seen) < killAt && !deadline.hasExpired()
            && writer->state() != QProcess::NotRunning)
            writer->waitForReadyRead(1000);
        QVERIFY2(seen >= killAt, qPrintable(u"only %1 runs were committed"_s.arg(seen)));
        writer->kill(); // SIGKILL
        QVERIFY(writer->waitForFinished(10000));
        lastCommitted(*writer, seen);

        QCOMPARE(queryValue(file, u"PRAGMA integrity_check"_s), u"ok"_s);
        const int kept = queryValue(file, u"SELECT count(*) FROM runs"_s).toInt();
        // The run after the last one printed may have been committed before the kill.
        QVERIFY2(kept == seen || kept == seen + 1,
            qPrintable(u"%1 runs kept, %2 committed"_s.arg(kept).arg(seen)));
        QCOMPARE(queryValue(file, u"SELECT count(*) FROM line_times"_s).toInt(), kept * 5);
    }

    // Two windows finishing at the same time are both recorded.
    void twoWritersAtOnceKeepEveryRun()
    {
        auto first = startWriter(file, 200);
        auto second = startWriter(file, 200);
        for (QProcess* writer : { first.get(), second.get() }) {
            QVERIFY(writer->waitForFinished(60000));
            QCOMPARE(writer->exitCode(), 0);
        }
        QCOMPARE(queryValue(file, u"SELECT count(*) FROM runs"_s).toInt(), 400);
        QCOMPARE(queryValue(file, u"PRAGMA integrity_check"_s), u"ok"_s);
    }

    // A write that finds another process writing longer than the busy time-out tries again,
    // and is kept.
    void aWriteWaitsForAnotherWriter()
    {
        HistoryStore store(file, 50);
        QCOMPARE(store.open(), HistoryStore::State::Writable);
        QSemaphore locked;
        std::thread other([&] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
                db.setDatabaseName(file);
                db.open();
                QSqlQuery(db).exec(u"BEGIN IMMEDIATE"_s);
                locked.release();
                QThread::msleep(250);
                QSqlQuery(db).exec(u"COMMIT"_s);
            }
            QSqlDatabase::removeDatabase(u"other"_s);
        });
        locked.acquire();
        const bool kept = store.record(sampleRun(u"/d/a.txt"_s, 3, 40));
        other.join();
        QVERIFY(kept);
        QCOMPARE(store.runs(u"/d/a.txt"_s).size(), 1);
    }

private:
    std::optional<QTemporaryDir> folder;
    QString file;
};

QTEST_GUILESS_MAIN(HistoryStoreTest)
#include "history_store_test.moc"
