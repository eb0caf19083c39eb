#include "desktop_editor_launcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The editor menu starts whatever the desktop has chosen for plain text, as a program of its
// own with no file argument, and returns at once. The desktop's folders are read once per
// process, so CTest runs each case in a process of its own.
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

    // A desktop whose plain-text editor is the given command line, with no other editor on
    // the PATH. The editor script records the arguments it was given.
    void useDesktopEditor(const QString& exec, bool inTerminal)
    {
        write(u"editor.sh"_s, u"#!/bin/sh\necho \"started $#\" > \"$0.log\"\n"_s);
        write(u"applications/test-editor.desktop"_s,
            u"[Desktop Entry]\nType=Application\nName=Test editor\nExec=%1\n"
            "MimeType=text/plain;\nTerminal=%2\n"_s.arg(exec, inTerminal ? u"true" : u"false"));
        write(u"mimeapps.list"_s, u"[Default Applications]\ntext/plain=test-editor.desktop\n"_s);
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_home.filePath(u"none"_s)));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_home.filePath(u"none"_s)));
        qputenv("PATH", QFile::encodeName(m_home.filePath(u"none"_s)));
    }

    QString editorScript() { return m_home.filePath(u"editor.sh"_s); }
    QString editorLog() { return m_home.filePath(u"editor.sh.log"_s); }

private slots:
    void startsTheDesktopsPlainTextEditor()
    {
        useDesktopEditor(editorScript() + u" %U"_s, false);
        QVERIFY(DesktopEditorLauncher().startEditor());
        QFile log(editorLog());
        QTRY_VERIFY(log.exists() && log.size() > 0);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), "started 0\n");
    }

    // A terminal program would have no window of its own for the learner to write in.
    void neverStartsATerminalEditor()
    {
        useDesktopEditor(editorScript(), true);
        // A terminal that runs what it is given, as GIO would start the editor in it.
        write(u"bin/xterm"_s, u"#!/bin/sh\nshift\nexec \"$@\"\n"_s);
        qputenv("PATH", QFile::encodeName(m_home.filePath(u"bin"_s)));
        QVERIFY(!DesktopEditorLauncher().startEditor());
        QTest::qWait(500);
        QVERIFY(!QFile::exists(editorLog()));
    }

    void saysWhyTheDesktopsEditorDidNotStart()
    {
        // GIO starts desktop programs through a small launcher of its own; without it, no
        // program can start.
        useDesktopEditor(editorScript(), false);
        qputenv("GIO_LAUNCH_DESKTOP", QFile::encodeName(m_home.filePath(u"none"_s)));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"could not be started: .+"_s));
        QVERIFY(!DesktopEditorLauncher().startEditor());
    }
};

QTEST_GUILESS_MAIN(TestDesktopEditorLauncher)
#include "desktop_editor_launcher_test.moc"
