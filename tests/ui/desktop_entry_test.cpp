#include "desktop_entry.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Misread, an entry starts the editor on a file named "%U", or a terminal program unseen.
class DesktopEntryTest : public QObject {
    Q_OBJECT

private slots:
    void commandOfAnEntry()
    {
        const QString head = u"[Desktop Entry]\nName=Editor\n"_s;
        QCOMPARE(desktopEntryCommand(head
                     + u"Exec=\"/opt/my editor/edit\" --title=100%% %U\n"
                       "[Desktop Action new]\nExec=edit --new"_s),
            (QStringList { u"/opt/my editor/edit"_s, u"--title=100%"_s }));
        QVERIFY(desktopEntryCommand(head + u"Exec=vim %F\nTerminal=true"_s).isEmpty());
    }
};

QTEST_APPLESS_MAIN(DesktopEntryTest)
#include "desktop_entry_test.moc"
