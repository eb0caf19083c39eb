#include "desktop_editor_launcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The editor menu starts whatever the desktop has chosen for plain text, as a program of its
// own with no file argument, and returns at once.
class TestDesktopEditorLauncher : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;

    void write(const QString& name, const QString& text)
    {
        QDir(m_home.path()).mkpath(QFileInfo(name).path());
        QFile file(m_home.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0);
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    }

private slots:
    void startsTheDesktopsPlainTextEditor()
    {
        // The editor records the arguments it was given: none, once the entry's %U is dropped.
        write(u"editor.sh"_s, u"#!/bin/sh\necho \"started $#\" > \"$0.log\"\n"_s);
        write(u"applications/test-editor.desktop"_s,
            u"[Desktop Entry]\nType=Application\nName=Test editor\nExec=%1 %U\n"
            "MimeType=text/plain;\nTerminal=false\n"_s.arg(m_home.filePath(u"editor.sh"_s)));
        write(u"mimeapps.list"_s, u"[Default Applications]\ntext/plain=test-editor.desktop\n"_s);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_home.filePath(u"none"_s)));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_home.filePath(u"none"_s)));

        QVERIFY(DesktopEditorLauncher().startEditor());
        QFile log(m_home.filePath(u"editor.sh.log"_s));
        QTRY_VERIFY(log.exists() && log.size() > 0);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), "started 0\n");
    }
};

QTEST_GUILESS_MAIN(TestDesktopEditorLauncher)
#include "desktop_editor_launcher_test.moc"
