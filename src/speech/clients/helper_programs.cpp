#include "helper_programs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList helperProgramPlaces(QStringView name)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    return { programDir.filePath(name.toString()),
        QDir::cleanPath(
            programDir.filePath(QStringLiteral(KELVARO_HELPER_FROM_BINARY)) + u'/' + name) };
}

QString helperProgramPath(QStringView name)
{
    const QStringList places = helperProgramPlaces(name);
    for (const QString& place : places) {
        if (QFileInfo(place).isExecutable())
            return place;
    }
    return places.last();
}

QString placesLookedFor(const QString& path)
{
    const QStringList places = helperProgramPlaces(QFileInfo(path).fileName());
    return places.contains(path) ? places.join(QStringLiteral(" and ")) : path;
}
