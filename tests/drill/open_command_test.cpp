#include "disk_drill_file_reader.h"
#include "drill_fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

static QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int n = 1; n <= count; ++n)
        bytes += "line " + QByteArray::number(n) + "\r\n";
    return bytes;
}

// Opening drill files from disk: what the store, the counts, the captions and the messages
// hold afterwards. Each case opens a two-line file first, so leftovers can be seen.
class TestOpenCommand : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    DiskDrillFileReader m_disk;

    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write a test file");
        return file.fileName();
    }

private slots:
    void readsDrillFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        const QString longLine(5 * 1024 * 1024, u'x');
        QTest::newRow("mixed, no final end") << QByteArray("a\r\nb\nc\rd") << 4 << "a"
                                             << "d";
        QTest::newRow("blank lines count") << QByteArray("\n\nz\n") << 3 << ""
                                           << "z";
        QTest::newRow("UTF-8 mark dropped") << QByteArray("\xEF\xBB\xBFhi\n") << 1 << "hi"
                                            << "hi";
        QTest::newRow("UTF-8 Japanese") << QByteArray("日本語\nかな") << 2 << "日本語"
                                        << "かな";
        QTest::newRow("CP932 circled one, backslash")
            << QByteArray("\x87\x40\x5C\x82\xA0") << 1 << "①\\あ"
            << "①\\あ";
        QTest::newRow("UTF-16 with mark")
            << QByteArray("\xFF\xFEh\0i\0\r\0\n\0\xE5\x65", 12) << 2 << "hi"
            << "日";
        QTest::newRow("empty") << QByteArray() << 0 << "old 1"
                               << "old 1";
        QTest::newRow("3001 lines") << numberedLines(3001) << 3001 << "line 1"
                                    << "line 3001";
        QTest::newRow("3002 cut") << numberedLines(3002) << 3001 << "line 1"
                                  << "line 3001";
        QTest::newRow("5 MB line") << longLine.toLatin1() << 1 << longLine << longLine;
    }
    void readsDrillFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, total);
        QFETCH(QString, first);
        QFETCH(QString, last);
        DrillFixture f(m_disk);
        f.open(write(u"before.txt"_s, "old 1\nold 2\n"));
        f.view.display = u"old 2"_s;
        const QString path = write(u"drill.txt"_s, bytes);
        f.open(path);

        const DrillState& state = f.run.state();
        QCOMPARE(f.errors.messages, QStringList());
        QCOMPARE(f.chooser.shownFilter, u"テキスト ファイル (*.txt)"_s);
        QCOMPARE(state.FileName, path);
        QCOMPARE(state.Total, total);
        QCOMPARE(state.Remaining, total);
        QCOMPARE(f.view.count, u"count %1"_s.arg(total));
        QCOMPARE(f.view.display, QString());
        QCOMPARE(state.Lines.at(0), first);
        QCOMPARE(state.Lines.at(std::max(total - 1, 0)), last);
        // The store is never cleared: entries past a shorter file hold the earlier lines.
        if (total < 2)
            QCOMPARE(state.Lines.at(1), u"old 2"_s);
    }

    void refusesWhatItCannotRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "No such file";
        QTest::newRow("directory") << "directory"
                                   << "not a regular file";
        QTest::newRow("FIFO, never waits for a writer") << "fifo"
                                                        << "not a regular file";
        QTest::newRow("too large") << "large"
                                   << "too large";
        QTest::newRow("read fails after open") << "ioerror"
                                               << "Input/output error";
    }
    void refusesWhatItCannotRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QString path = m_dir.filePath(kind + u".txt"_s);
        if (kind == u"directory")
            QVERIFY(QDir().mkdir(path));
        else if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == u"ioerror")
            path = u"/proc/self/mem"_s; // a regular file whose reads fail, even for root
        else if (kind == u"large")
            QVERIFY(QFile(write(u"large.txt"_s, {})).resize(DiskDrillFileReader::MaxFileSize + 1));

        DrillFixture f(m_disk);
        const QString before = write(u"before.txt"_s, "old 1\nold 2\n");
        f.open(before);
        QCOMPARE(f.run.Start(), ReadingRun::Outcome::Done);
        f.open(path);

        QCOMPARE(f.errors.messages.size(), 1);
        const QString message = f.errors.messages.first();
        QVERIFY2(message.contains(path) && message.contains(reason), qPrintable(message));
        // The learner's place in the open file is kept, and so is the way back to it.
        const DrillState& state = f.run.state();
        QCOMPARE(state.FileName, before);
        QCOMPARE(state.Total, 2);
        QCOMPARE(state.Remaining, 1);
        QCOMPARE(state.CurrentIndex, 1);
        QCOMPARE(f.view.display, u"old 1"_s);
        QCOMPARE(f.view.count, u"count 2"_s);
    }

    void cancelForgetsThePathOnly()
    {
        DrillFixture f(m_disk);
        f.open(write(u"a.txt"_s, "a\nb\n"));
        QCOMPARE(f.run.Start(), ReadingRun::Outcome::Done);
        f.open(QString());

        QCOMPARE(f.run.state().FileName, QString());
        QCOMPARE(f.run.state().Remaining, 1);
        QCOMPARE(f.view.display, u"a"_s);
        // With no file remembered a reset has nothing to reload, and says nothing.
        QCOMPARE(f.run.Reset(), ReadingRun::Outcome::Abandoned);
        QCOMPARE(f.errors.messages, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestOpenCommand)
#include "open_command_test.moc"
