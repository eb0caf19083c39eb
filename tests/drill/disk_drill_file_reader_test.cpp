#include "disk_drill_file_reader.h"
#include "line_store.h"

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

// Reading drill files from disk: their encodings and line ends, the line limit, and the
// files that are refused with a reason instead.
class TestDiskDrillFileReader : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    DrillFileContents read(const QString& path)
    {
        return DiskDrillFileReader().read(path, LineStore::Capacity);
    }

private slots:
    void readsLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        const QString longLine(5 * 1024 * 1024, u'x');
        QTest::newRow("CR LF, LF, CR, no final end") << QByteArray("a\r\nb\nc\rd") << 4 << "a"
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
        // Valid UTF-8 but for an unfinished character at the very end: CP932, every byte kept.
        QTest::newRow("CP932 kanji last") << QByteArray("Hello\r\n\xE3\x81") << 2 << "Hello"
                                          << "縺";
        QTest::newRow("CP932 kanji alone") << QByteArray("\xE3\x81") << 1 << "縺"
                                           << "縺";
        QTest::newRow("CP932 half-width kana last") << QByteArray("Hello \xC3") << 1 << "Hello ﾃ"
                                                    << "Hello ﾃ";
        QTest::newRow("UTF-8 with mark, last character cut") << QByteArray("\xEF\xBB\xBF"
                                                                           "ab\nc\xC3")
                                                             << 2 << "ab"
                                                             << "c\uFFFD";
        QTest::newRow("UTF-16 with mark, odd last byte")
            << QByteArray("\xFF\xFEh\0i\0x", 7) << 1 << "hi\uFFFD"
            << "hi\uFFFD";
        QTest::newRow("UTF-16 with mark")
            << QByteArray("\xFF\xFEh\0i\0\r\0\n\0\xE5\x65", 12) << 2 << "hi"
            << "日";
        QTest::newRow("empty") << QByteArray() << 0 << ""
                               << "";
        QTest::newRow("3001 lines") << numberedLines(3001) << 3001 << "line 1"
                                    << "line 3001";
        QTest::newRow("3002 cut") << numberedLines(3002) << 3001 << "line 1"
                                  << "line 3001";
        QTest::newRow("5 MB line") << longLine.toLatin1() << 1 << longLine << longLine;
        const QString largest(DiskDrillFileReader::MaxFileSize, u'x');
        QTest::newRow("exactly the size limit") << largest.toLatin1() << 1 << largest << largest;
        // Reading stops once 3001 lines are complete, and not before: CR LF is one line end
        // also where the file is read in several pieces, and a last line that begins exactly
        // where a piece (64 KiB) does is still read.
        QByteArray longLines;
        for (int n = 1; n <= 3002; ++n)
            longLines += "line " + QByteArray::number(n) + QByteArray(200, '.') + "\r\n";
        QTest::newRow("3002 long CR LF lines")
            << longLines << 3001 << u"line 1"_s + QString(200, u'.')
            << u"line 3001"_s + QString(200, u'.');
        const QByteArray lastLineOnAPieceOfItsOwn = QByteArray("x\r\n").repeated(2999)
            + QByteArray(65536 - 2999 * 3 - 2, 'y') + "\r\nlast\r\n";
        QTest::newRow("last line on a piece of its own") << lastLineOnAPieceOfItsOwn << 3001 << "x"
                                                         << "last";
        // In UTF-16 a byte of CR or LF can be half of another character (上 is 0A 4E): such a
        // file is read whole, never stopped at a count of those bytes.
        const QString upper = QString(20, u'上');
        const QString upperLines = QString(upper + u"\r\n"_s).repeated(3001);
        QByteArray utf16 = QByteArray("\xFF\xFE")
            + QByteArray(reinterpret_cast<const char*>(upperLines.utf16()), upperLines.size() * 2);
        QTest::newRow("3001 UTF-16 lines of 上") << utf16 << 3001 << upper << upper;
        // Only the lines used decide the encoding: reading stops once they are complete.
        QTest::newRow("3001 lines, then bytes that are not UTF-8")
            << numberedLines(3000) + "\xC3\xA9\n\xE9\xE9\n"
            << 3001 << "line 1"
            << "é";
    }
    void readsLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFile file(m_dir.filePath(u"drill.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        const DrillFileContents contents = read(file.fileName());
        QCOMPARE(contents.error, QString());
        QCOMPARE(contents.lines.size(), count);
        QTEST(contents.lines.value(0), "first");
        QTEST(contents.lines.value(count - 1), "last");
    }

    void refusesWithAReason_data()
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
        QTest::newRow("20 MiB, far more than any drill") << "huge"
                                                         << "too large";
        QTest::newRow("read fails after open") << "ioerror"
                                               << "Input/output error";
    }
    void refusesWithAReason()
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
            QVERIFY(QFile(path).open(QIODevice::WriteOnly)
                && QFile(path).resize(DiskDrillFileReader::MaxFileSize + 1));
        else if (kind == u"huge")
            QVERIFY(QFile(path).open(QIODevice::WriteOnly) && QFile(path).resize(20 << 20));

        const DrillFileContents contents = read(path);
        QVERIFY(!contents.ok());
        QVERIFY2(contents.error.contains(path) && contents.error.contains(reason),
            qPrintable(contents.error));
    }
};

QTEST_GUILESS_MAIN(TestDiskDrillFileReader)
#include "disk_drill_file_reader_test.moc"
