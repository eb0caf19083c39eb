// Prints how long it takes to load and count a full drill file (3001 lines), in UTF-8 and in
// CP932, from the page cache: the work done between choosing a file and the count caption.
#include "disk_drill_file_reader.h"
#include "line_store.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString drillText()
{
    QString text;
    for (int n = 1; n <= LineStore::Capacity; ++n)
        text += QStringLiteral("%1 今日は良い天気ですね。 The quick brown fox jumps.\r\n").arg(n);
    return text;
}

void measure(const char* label, const QString& path)
{
    DiskDrillFileReader reader;
    LineStore store;
    std::vector<qint64> micros;
    for (int run = 0; run < 200; ++run) {
        QElapsedTimer timer;
        timer.start();
        const DrillFileContents contents = reader.read(path, LineStore::Capacity);
        store.fill(contents.lines);
        micros.push_back(timer.nsecsElapsed() / 1000);
        if (contents.lines.size() != LineStore::Capacity)
            qFatal("the drill file did not load whole");
    }
    std::sort(micros.begin(), micros.end());
    std::printf("load and count 3001 lines, %-6s %8lld bytes: median %lld us, min %lld us, max "
                "%lld us\n",
        label, static_cast<long long>(QFile(path).size()),
        static_cast<long long>(micros[micros.size() / 2]), static_cast<long long>(micros.front()),
        static_cast<long long>(micros.back()));
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString text = drillText();
    const QString utf8Path = dir.filePath(QStringLiteral("utf8.txt"));
    const QString cp932Path = dir.filePath(QStringLiteral("cp932.txt"));
    QFile utf8(utf8Path);
    QFile cp932(cp932Path);
    QStringEncoder toCp932("windows-31j");
    if (!utf8.open(QIODevice::WriteOnly) || !cp932.open(QIODevice::WriteOnly))
        qFatal("cannot write the benchmark files");
    utf8.write(text.toUtf8());
    cp932.write(QByteArray(toCp932.encode(text)));
    utf8.close();
    cp932.close();

    measure("UTF-8", utf8Path);
    measure("CP932", cp932Path);
    return 0;
}
