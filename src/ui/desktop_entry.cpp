#include "desktop_entry.h"

#include <QProcess>

namespace {

// Field codes such as %f, %U or %i stand for files and icons; started without a file,
// the editor gets none of them. "%%" is a literal percent sign.
QString withoutFieldCodes(const QString& argument)
{
    QString result;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument.at(i) == u'%' && i + 1 < argument.size()) {
            if (argument.at(i + 1) == u'%')
                result += u'%';
            ++i;
            continue;
        }
        result += argument.at(i);
    }
    return result;
}

} // namespace

QStringList desktopEntryCommand(const QString& contents)
{
    bool inMainGroup = false;
    QString exec;
    for (const QString& rawLine : contents.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Exec"))
            exec = value;
        else if ((key == QLatin1String("Terminal") || key == QLatin1String("Hidden"))
            && value == QLatin1String("true"))
            return {};
    }

    QStringList command;
    for (const QString& argument : QProcess::splitCommand(exec)) {
        const QString kept = withoutFieldCodes(argument);
        if (!kept.isEmpty())
            command.append(kept);
    }
    return command;
}
