#include "disk_drill_file_reader.h"
#include "line_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

static QByteArray numberedLines(int count, int dots = 0)
{
    QByteArray bytes;
    for (int n = 1; n <= count; ++n)
        bytes += "line " + QByteArray::number(n) + QByteArray(dots, '.') + "\r\n";
    return bytes;
}

// Reading drill files from disk: their encodings and line ends, the line limit, and the
// files that are refused with a reason instead.
class TestDiskDrillFileReader : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void readsLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        // The count, the first line and the last (the same as the first unless given).
        auto row = [](const char* name, const QByteArray& bytes, int count, const QString& first,
                       const QString& last = {}) {
            QTest::newRow(name) << bytes << count << first << (last.isNull() ? first : last);
        };
        const QString longLine(5 * 1024 * 1024, u'x');
        row("CR LF, LF, CR, no final end", "a\r\nb\nc\rd", 4, u"a"_s, u"d"_s);
        row("Notepad's CR LF after the last line too", "a\r\nb\r\n", 2, u"a"_s, u"b"_s);
        row("blank lines count", "\n\nz\n", 3, u""_s, u"z"_s);
        row("UTF-8 mark dropped", "\xEF\xBB\xBFhi\n", 1, u"hi"_s);
        row("UTF-8 Japanese", "日本語\nかな", 2, u"日本語"_s, u"かな"_s);
        row("CP932 circled one, backslash", "\x87\x40\x5C\x82\xA0", 1, u"①\\あ"_s);
        // Valid UTF-8 but for an unfinished character at the very end: CP932, every byte kept.
        row("CP932 kanji last", "Hello\r\n\xE3\x81", 2, u"Hello"_s, u"縺"_s);
        row("CP932 kanji alone", "\xE3\x81", 1, u"縺"_s);
        row("CP932 half-width kana last", "Hello \xC3", 1, u"Hello ﾃ"_s);
        row("UTF-8 with mark, last character cut",
            "\xEF\xBB\xBF"
            "ab\nc\xC3",
            2, u"ab"_s, u"c\uFFFD"_s);
        row("UTF-16 with mark, odd last byte", QByteArray("\xFF\xFEh\0i\0x", 7), 1, u"hi\uFFFD"_s);
        row("UTF-16 with mark", QByteArray("\xFF\xFEh\0i\0\r\0\n\0\xE5\x65", 12), 2, u"hi"_s,
            u"日"_s);
        row("empty", QByteArray(), 0, u""_s);
        row("3001 lines", numberedLines(3001), 3001, u"line 1"_s, u"line 3001"_s);
        row("3002 cut", numberedLines(3002), 3001, u"line 1"_s, u"line 3001"_s);
        row("5 MB line", longLine.toLatin1(), 1, longLine);
        const QString largest(DiskDrillFileReader::MaxFileSize, u'x');
        row("exactly the size limit", largest.toLatin1(), 1, largest);
        // Reading stops once 3001 lines are complete, and not before: CR LF is one line end
        // also where the file is read in several pieces, and a last line that begins exactly
        // where a piece (64 KiB) does is still read.
        row("3002 long CR LF lines", numberedLines(3002, 200), 3001,
            u"line 1"_s + QString(200, u'.'), u"line 3001"_s + QString(200, u'.'));
        row("last line on a piece of its own",
            QByteArray("x\r\n").repeated(2999) + QByteArray(65536 - 2999 * 3 - 2, 'y')
                + "\r\nlast\r\n",
            3001, u"x"_s, u"last"_s);
        // In UTF-16 a byte of CR or LF can be half of another character (上 is 0A 4E): such a
        // file is read whole, never stopped at a count of those bytes.
        const QString upper = QString(20, u'上');
        const QString upperLines = QString(upper + u"\r\n"_s).repeated(3001);
        row("3001 UTF-16 lines of 上",
            "\xFF\xFE"
                + QByteArray(
                    reinterpret_cast<const char*>(upperLines.utf16()), upperLines.size() * 2),
            3001, upper);
        // Only the lines used decide the encoding: reading stops once they are complete.
        row("3001 lines, then bytes that are not UTF-8",
            numberedLines(3000) + "\xC3\xA9\n\xE9\xE9\n", 3001, u"line 1"_s, u"é"_s);
    }
    void readsLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFile file(m_dir.filePath(u"drill.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        const DrillFileContents contents
            = DiskDrillFileReader().read(file.fileName(), LineStore::Capacity);
        QCOMPARE(contents.error, QString());
        QCOMPARE(contents.lines.size(), count);
        QTEST(contents.lines.value(0), "first");
        QTEST(contents.lines.value(count - 1), "last");
    }

    void refusesWithAReason_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        // A FIFO is refused without waiting for a writer; 20 MiB is far more than any drill.
        for (const auto& [kind, reason] :
            { std::pair("missing", "No such file"), { "directory", "not a regular file" },
                { "fifo", "not a regular file" }, { "large", "too large" }, { "huge", "too large" },
                { "ioerror", "Input/output error" } })
            QTest::newRow(kind) << QString::fromLatin1(kind) << QString::fromLatin1(reason);
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
        else if (kind == u"large" || kind == u"huge")
            QVERIFY(QFile(path).open(QIODevice::WriteOnly)
                && QFile(path).resize(
                    kind == u"huge" ? 20 << 20 : DiskDrillFileReader::MaxFileSize + 1));

        const DrillFileContents contents = DiskDrillFileReader().read(path, LineStore::Capacity);
        QVERIFY(!contents.ok());
        QVERIFY2(contents.error.contains(path) && contents.error.contains(reason),
            qPrintable(contents.error));
    }
};

QTEST_GUILESS_MAIN(TestDiskDrillFileReader)
#include "disk_drill_file_reader_test.moc"
