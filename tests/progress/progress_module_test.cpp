#include "progress_module_opener.h"
#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QWidget* progressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == u"frmProgress"_s && widget->isVisible())
            return widget;
    }
    return nullptr;
}

} // namespace

// The Progress window comes from a module of its own, loaded the first time it is asked for,
// which takes the drill and history code from the program that loads it.
class ProgressModuleTest : public QObject {
    Q_OBJECT

private slots:
    void opensTheWindowFromItsModule()
    {
        WindowFixture f;
        ProgressModuleOpener opener(QStringLiteral(PROGRESS_MODULE), QString());
        opener.attach(f.window, f.window.run());
        opener.showProgress();
        QWidget* progress = progressWindow();
        QVERIFY(progress);
        // Without a history file it says why, in the program's words.
        bool saysWhy = false;
        for (const QLabel* label : progress->findChildren<QLabel*>())
            saysWhy |= label->text().contains(u"--no-history"_s);
        QVERIFY(saysWhy);
        progress->close();
        opener.showProgress();
        QCOMPARE(progressWindow(), progress);
    }

    // The learner is told which file could not be loaded and why, and the drill goes on.
    void namesAModuleThatCannotBeLoaded()
    {
        WindowFixture f;
        const QString missing = u"/nonexistent/kelvaro-progress.so"_s;
        ProgressModuleOpener opener(missing, QString());
        opener.attach(f.window, f.window.run());
        QString why;
        try {
            opener.showProgress();
        } catch (const std::runtime_error& failure) {
            why = QString::fromUtf8(failure.what());
        }
        QVERIFY2(why.contains(missing) && why.contains(u"No such file"_s), qPrintable(why));
        QVERIFY(!progressWindow());
        f.openDrill({ u"one"_s, u"two"_s });
        f.press(u"F");
        QCOMPARE(f.window.displayText(), u"one"_s);
    }
};

QTEST_MAIN(ProgressModuleTest)
#include "progress_module_test.moc"
