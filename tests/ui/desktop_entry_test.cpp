#include "desktop_entry.h"

#include <QTest>

class DesktopEntryTest : public QObject {
    Q_OBJECT

private slots:
    void commandOfAnEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("command");
        const QString head = QStringLiteral("[Desktop Entry]\nType=Application\nName=Editor\n");
        QTest::newRow("file placeholder dropped")
            << head + QStringLiteral("Exec=gedit %U\n") << QStringList { QStringLiteral("gedit") };
        QTest::newRow("quoted program and options")
            << head + QStringLiteral("Exec=\"/opt/my editor/bin/edit\" --new-window %f\n")
            << QStringList { QStringLiteral("/opt/my editor/bin/edit"),
                   QStringLiteral("--new-window") };
        QTest::newRow("literal percent kept")
            << head + QStringLiteral("Exec=edit --title=100%% %F\n")
            << QStringList { QStringLiteral("edit"), QStringLiteral("--title=100%") };
        QTest::newRow("terminal program refused")
            << head + QStringLiteral("Exec=vim %F\nTerminal=true\n") << QStringList();
        QTest::newRow("actions ignored")
            << head + QStringLiteral("Exec=kate -b\n[Desktop Action new]\nExec=kate --new\n")
            << QStringList { QStringLiteral("kate"), QStringLiteral("-b") };
    }

    void commandOfAnEntry()
    {
        QFETCH(QString, entry);
        QTEST(desktopEntryCommand(entry), "command");
    }
};

QTEST_APPLESS_MAIN(DesktopEntryTest)
#include "desktop_entry_test.moc"
