#include "disk_drill_file_reader.h"
#include "drill_fakes.h"
#include "reading_run.h"
#include "recording_speech.h"
#include "voice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int n = 1; n <= count; ++n)
        bytes += "line " + QByteArray::number(n) + "\r\n";
    return bytes;
}

} // namespace

// Opening drill files from disk: what the store, the counts, the captions and the learner's
// messages hold afterwards.
class TestOpenCommand : public QObject {
    Q_OBJECT

    struct Fixture {
        FakeDrillView view;
        RecordingSpeech speech;
        Voice voice { speech.engine, speech.output };
        FakeClock clock;
        DiskDrillFileReader files;
        FakeFileChooser chooser;
        FakeErrorReporter errors;
        ReadingRun run { view, voice, clock, files, chooser, errors };

        void open(const QString& path)
        {
            chooser.answer = path;
            run.Open();
        }
    };

    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write test file");
        return path;
    }

private slots:
    void readsDrillFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");

        const QString none;
        QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\nthree\r\n") << 3 << "one"
                               << "three";
        QTest::newRow("LF") << QByteArray("one\ntwo\n") << 2 << "one"
                            << "two";
        QTest::newRow("lone CR") << QByteArray("one\rtwo\r") << 2 << "one"
                                 << "two";
        QTest::newRow("mixed, no final line end") << QByteArray("a\r\nb\nc\rd") << 4 << "a"
                                                  << "d";
        QTest::newRow("blank lines count") << QByteArray("\n\nz\n") << 3 << ""
                                           << "z";
        QTest::newRow("UTF-8 byte-order mark dropped")
            << QByteArray("\xEF\xBB\xBFhello\r\n") << 1 << "hello"
            << "hello";
        QTest::newRow("UTF-8 Japanese") << QByteArray("日本語\r\nかな\r\n") << 2
                                        << QStringLiteral("日本語") << QStringLiteral("かな");
        QTest::newRow("CP932 with circled one and backslash")
            << QByteArray("\x87\x40\x5C\x82\xA0\r\n") << 1 << QStringLiteral("①\\あ")
            << QStringLiteral("①\\あ");
        QTest::newRow("invalid UTF-8, valid CP932")
            << QByteArray("\x93\xFA\x96\x7B\n\x82\xA0") << 2 << QStringLiteral("日本")
            << QStringLiteral("あ");
        QTest::newRow("UTF-16 with byte-order mark") << QByteArray("\xFF\xFEh\0i\0\r\0\n\0\xE5\x65",
            12) << 2 << "hi" << QStringLiteral("日");
        QTest::newRow("NUL bytes kept inside a line")
            << QByteArray("a\0b\nc", 5) << 2 << QString(QStringLiteral("a") + QChar(0) + u'b')
            << "c";
        QTest::newRow("empty") << QByteArray() << 0 << none << none;
        QTest::newRow("exactly 3001 lines") << numberedLines(3001) << 3001 << "line 1"
                                            << "line 3001";
        QTest::newRow("3002 lines are cut at 3001") << numberedLines(3002) << 3001 << "line 1"
                                                    << "line 3001";
        QTest::newRow("100 000 lines") << numberedLines(100000) << 3001 << "line 1"
                                       << "line 3001";
        QTest::newRow("5 MB single line")
            << QByteArray(5 * 1024 * 1024, 'x') << 1 << QString(5 * 1024 * 1024, u'x')
            << QString(5 * 1024 * 1024, u'x');
    }
    void readsDrillFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, total);
        QFETCH(QString, first);
        QFETCH(QString, last);

        Fixture f;
        f.open(writeFile(QStringLiteral("before.txt"), "old 1\nold 2\n"));
        f.view.display = QStringLiteral("old 2");
        const QString path = writeFile(QStringLiteral("drill.txt"), bytes);
        f.open(path);

        const DrillState& state = f.run.state();
        QCOMPARE(f.errors.messages, QStringList());
        QCOMPARE(state.FileName, path);
        QCOMPARE(state.Total, total);
        QCOMPARE(state.Remaining, total);
        QCOMPARE(state.CurrentIndex, 0);
        QCOMPARE(f.view.count, QStringLiteral("count %1").arg(total));
        QCOMPARE(f.view.display, QString());
        if (total == 0) {
            QCOMPARE(state.Lines.at(0), QStringLiteral("old 1"));
            return;
        }
        QCOMPARE(state.Lines.at(0), first);
        QCOMPARE(state.Lines.at(total - 1), last);
        if (total == 1)
            QCOMPARE(state.Lines.at(1), QStringLiteral("old 2"));
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
        QTest::newRow("device") << "device"
                                << "not a regular file";
        QTest::newRow("too large") << "large" << "too large";
        QTest::newRow("read error after a good open") << "ioerror" << "Input/output error";
    }
    void refusesWhatItCannotRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);

        QString path = m_dir.filePath(kind + QStringLiteral(".txt"));
        if (kind == u"directory") {
            QVERIFY(QDir(m_dir.path()).mkdir(kind + QStringLiteral(".txt")));
        } else if (kind == u"fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == u"device") {
            path = QStringLiteral("/dev/null");
        } else if (kind == u"ioerror") {
            // A regular file whose every read fails, even for root.
            path = QStringLiteral("/proc/self/mem");
        } else if (kind == u"large") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(DiskDrillFileReader::MaxFileSize + 1));
        }

        Fixture f;
        const QString before = writeFile(QStringLiteral("before.txt"), "old 1\nold 2\n");
        f.open(before);
        QCOMPARE(f.run.Start(), ReadingRun::Outcome::Done);
        f.open(path);

        const DrillState& state = f.run.state();
        QCOMPARE(f.errors.messages.size(), 1);
        QVERIFY2(f.errors.messages.first().contains(QDir::toNativeSeparators(path)),
            qPrintable(f.errors.messages.first()));
        QVERIFY2(f.errors.messages.first().contains(reason), qPrintable(f.errors.messages.first()));
        // The learner's place in the file that was open is kept, and so is the way back to it.
        QCOMPARE(state.FileName, before);
        QCOMPARE(state.Total, 2);
        QCOMPARE(state.Remaining, 1);
        QCOMPARE(state.CurrentIndex, 1);
        QCOMPARE(state.Lines.at(0), QStringLiteral("old 1"));
        QCOMPARE(f.view.display, QStringLiteral("old 1"));
        QCOMPARE(f.view.count, QStringLiteral("count 2"));
    }

    void cancelForgetsThePathOnly()
    {
        Fixture f;
        f.open(writeFile(QStringLiteral("a.txt"), "a\nb\n"));
        QCOMPARE(f.run.Start(), ReadingRun::Outcome::Done);
        f.open(QString());

        QCOMPARE(f.chooser.shownFilter, QStringLiteral("テキスト ファイル (*.txt)"));
        const DrillState& state = f.run.state();
        QCOMPARE(state.FileName, QString());
        QCOMPARE(state.Total, 2);
        QCOMPARE(state.Remaining, 1);
        QCOMPARE(state.CurrentIndex, 1);
        QCOMPARE(f.view.display, QStringLiteral("a"));
        // With no file remembered a reset has nothing to reload, and says nothing.
        QCOMPARE(f.run.Reset(), ReadingRun::Outcome::Abandoned);
        QCOMPARE(f.errors.messages, QStringList());
    }

    void openingMidRunStartsOverAndKeepsResults()
    {
        Fixture f;
        f.open(writeFile(QStringLiteral("long.txt"), "1\n2\n3\n4\n"));
        QCOMPARE(f.run.Start(), ReadingRun::Outcome::Done);
        QCOMPARE(f.run.Start(), ReadingRun::Outcome::Done);
        f.view.time = QStringLiteral("0' 45\"");
        f.view.rate = QStringLiteral("40 words/min");
        f.open(writeFile(QStringLiteral("short.txt"), "x\n"));

        const DrillState& state = f.run.state();
        QCOMPARE(state.CurrentIndex, 0);
        QCOMPARE(state.Remaining, 1);
        QCOMPARE(state.Total, 1);
        QCOMPARE(f.view.display, QString());
        QCOMPARE(f.view.time, QStringLiteral("0' 45\""));
        QCOMPARE(f.view.rate, QStringLiteral("40 words/min"));
        // Entries past the shorter file's end still hold the longer file's lines.
        QCOMPARE(state.Lines.at(0), QStringLiteral("x"));
        QCOMPARE(state.Lines.at(3), QStringLiteral("4"));
    }
};

QTEST_GUILESS_MAIN(TestOpenCommand)
#include "open_command_test.moc"
