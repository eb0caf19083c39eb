// Prints how long it takes to open a drill file (read, decode, split and store its lines) and
// how much memory that takes at its peak, from the page cache: the work done between choosing
// a file and the count caption, while the window waits. Each case is also run in a child
// process of its own, so that its peak memory can be told apart from the others'.
#include "disk_drill_file_reader.h"
#include "line_store.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 MiB = 1024 * 1024;

QString drillText()
{
    QString text;
    for (int n = 1; n <= LineStore::Capacity; ++n)
        text += QStringLiteral("%1 今日は良い天気ですね。 The quick brown fox jumps.\r\n").arg(n);
    return text;
}

qsizetype open(const QString& path)
{
    static LineStore store;
    const DrillFileContents contents = DiskDrillFileReader().read(path, LineStore::Capacity);
    store.fill(contents.lines);
    return contents.lines.size();
}

// The peak resident memory of a child that opens the file, less that of one that does not.
long peakKilobytesOf(const QString& path, bool opens)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(opens && open(path) < 0 ? 1 : 0);
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

void measure(const char* label, const QString& path, int runs)
{
    std::vector<qint64> micros;
    qsizetype lines = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        lines = open(path);
        micros.push_back(timer.nsecsElapsed() / 1000);
    }
    std::sort(micros.begin(), micros.end());
    const long extra = peakKilobytesOf(path, true) - peakKilobytesOf(path, false);
    std::printf("%-28s %9lld bytes, %4lld lines: median %7.2f ms, max %7.2f ms; peak memory "
                "+%.1f MiB\n",
        label, static_cast<long long>(QFile(path).size()), static_cast<long long>(lines),
        micros[micros.size() / 2] / 1000.0, micros.back() / 1000.0, extra / 1024.0);
}

QString write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(QLatin1String(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the benchmark files");
    return path;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString text = drillText();
    QStringEncoder toCp932("windows-31j");
    const QByteArray manyLines
        = QByteArray("a drill line of some length\r\n").repeated(16 * MiB / 29);

    measure("3001 lines, UTF-8", write(dir, "utf8.txt", text.toUtf8()), 200);
    measure("3001 lines, CP932", write(dir, "cp932.txt", toCp932.encode(text)), 200);
    measure("16 MiB, one line", write(dir, "line.txt", QByteArray(16 * MiB - 1, 'x')), 10);
    measure("16 MiB, 578,524 lines", write(dir, "lines.txt", manyLines), 10);
    return 0;
}
