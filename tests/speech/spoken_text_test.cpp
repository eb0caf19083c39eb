#include "spoken_text.h"

#include <QTest>

using namespace Qt::StringLiterals;

// What the drill shows, turned into what the voice says.
class TestSpokenText : public QObject {
    Q_OBJECT

private slots:
    void rewrites_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("greeting") << u"SelectYourFile!"_s << u"Select Your File!"_s;
        QTest::newRow("rate") << u"40 words/min"_s << u"40 words per minute"_s;
        QTest::newRow("notice") << u"Reset: [R] or [U]"_s << u"Reset: R or U"_s;
        QTest::newRow("capitals then a word") << u"HTMLFile"_s << u"HTML File"_s;
        QTest::newRow("plural abbreviations stay whole") << u"CDs and URLs"_s << u"CDs and URLs"_s;
        QTest::newRow("plain sentence untouched") << u"I have a pen. 私はペンを持っています。"_s
                                                  << u"I have a pen. 私はペンを持っています。"_s;
        QTest::newRow("full-width letters and half-width kana")
            << u"ＡＢＣ ｶﾀｶﾅ"_s << u"ABC カタカナ"_s;
        QTest::newRow("nested brackets keep the inner pair's text") << u"[[x]]"_s << u"[x]"_s;
        QTest::newRow("numbers and times untouched") << u"3:05 12.5%"_s << u"3:05 12.5%"_s;
    }

    void rewrites()
    {
        QFETCH(QString, shown);
        QTEST(spokenText(shown), "spoken");
    }
};

QTEST_GUILESS_MAIN(TestSpokenText)
#include "spoken_text_test.moc"
