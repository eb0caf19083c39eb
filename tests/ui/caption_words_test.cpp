#include "caption_words.h"

#include <QTest>

using namespace Qt::StringLiterals;

// What a screen reader says for the time and rate captions.
class CaptionWordsTest : public QObject {
    Q_OBJECT

private slots:
    void timeInWords_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("words");
        QTest::newRow("seconds only") << u"0' 5\""_s << u"0 minutes 5 seconds"_s;
        QTest::newRow("one of each") << u"1' 1\""_s << u"1 minute 1 second"_s;
        QTest::newRow("an hour and more") << u"75' 30\""_s << u"75 minutes 30 seconds"_s;
        QTest::newRow("empty before a finish") << QString() << QString();
    }
    void timeInWords()
    {
        QFETCH(QString, caption);
        QTEST(::timeInWords(caption), "words");
    }

    void rateInWords()
    {
        QCOMPARE(::rateInWords(u"40 words/min"_s), u"40 words per minute"_s);
        QCOMPARE(::rateInWords(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(CaptionWordsTest)
#include "caption_words_test.moc"
