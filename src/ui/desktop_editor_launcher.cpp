#include "desktop_editor_launcher.h"

#include "desktop_entry.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QStringList WellKnownEditors = {
    QStringLiteral("gnome-text-editor"),
    QStringLiteral("gedit"),
    QStringLiteral("kate"),
    QStringLiteral("kwrite"),
    QStringLiteral("mousepad"),
    QStringLiteral("pluma"),
    QStringLiteral("xed"),
    QStringLiteral("featherpad"),
    QStringLiteral("leafpad"),
    QStringLiteral("geany"),
};

// Never through a shell: the program and its arguments are handed over as they are.
bool startDetached(const QStringList& command)
{
    if (command.isEmpty())
        return false;
    const QString program = QStandardPaths::findExecutable(command.first());
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, command.mid(1));
}

} // namespace

QStringList DesktopEditorLauncher::defaultEditorCommand()
{
    const QString helper = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (helper.isEmpty())
        return {};
    QProcess query;
    query.start(helper,
        { QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain") });
    if (!query.waitForFinished(3000) || query.exitCode() != 0) {
        query.kill();
        return {};
    }
    const QString desktopId = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (desktopId.isEmpty())
        return {};
    QFile entry(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId));
    if (!entry.open(QIODevice::ReadOnly))
        return {};
    return desktopEntryCommand(QString::fromUtf8(entry.readAll()));
}

bool DesktopEditorLauncher::startEditor()
{
    if (startDetached(defaultEditorCommand()))
        return true;
    for (const QString& editor : WellKnownEditors) {
        if (startDetached({ editor }))
            return true;
    }
    return false;
}
