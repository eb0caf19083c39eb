#include "helper_programs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString helperProgramPath(QStringView name)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString beside = programDir.filePath(name.toString());
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(
        programDir.filePath(QStringLiteral(KELVARO_HELPER_FROM_BINARY)) + u'/' + name);
}
