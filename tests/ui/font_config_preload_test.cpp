#include "font_config_preload.h"

#include <QFontDatabase>
#include <QTest>

// Each reader must be joined exactly once, however the program leaves: a thread still joinable
// when destroyed ends the program with std::terminate, and one joined twice throws. Either
// fault fails this test by ending its process.
class TestFontConfigPreload : public QObject {
    Q_OBJECT

private slots:
    void endsCleanlyWhenLeftAtAnyPoint()
    {
        {
            FontConfigPreload leftAtOnce;
        }
        {
            FontConfigPreload listed;
            listed.listFonts();
            // The window's thread asks for fonts while the list may still be read.
            QVERIFY(!QFontDatabase::families().isEmpty());
        }
        {
            FontConfigPreload listedAndLeft;
            listedAndLeft.listFonts();
        }
    }
};

QTEST_MAIN(TestFontConfigPreload)
#include "font_config_preload_test.moc"
