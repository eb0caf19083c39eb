#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <sys/types.h>

// The processes this one has started that run the named program (as /proc names it, at most
// 15 characters), whichever thread started them.
inline QList<pid_t> childProcesses(const QString& name)
{
    QList<pid_t> found;
    for (const QString& thread :
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(QStringLiteral("/proc/self/task/%1/children").arg(thread));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : children.readAll().split(' ')) {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid.trimmed())));
            if (!pid.trimmed().isEmpty() && comm.open(QIODevice::ReadOnly)
                && QString::fromLocal8Bit(comm.readAll().trimmed()) == name.left(15))
                found.append(pid_t(pid.trimmed().toInt()));
        }
    }
    return found;
}

// Where each descriptor the process holds leads: for a file, its path.
inline QStringList openDescriptors(pid_t pid)
{
    QStringList targets;
    const QDir dir(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd :
        dir.entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot))
        targets.append(QFile::symLinkTarget(dir.filePath(fd)));
    return targets;
}
