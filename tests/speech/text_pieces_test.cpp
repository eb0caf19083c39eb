#include "text_pieces.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Text cut into bounded pieces that together still say all of it.
class TestTextPieces : public QObject {
    Q_OBJECT

private slots:
    void pieces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("short text is one piece")
            << u"The cat sat."_s << QStringList { u"The cat sat."_s };
        QTest::newRow("cut after a full stop")
            << u"The cat sat. It was a good day."_s
            << QStringList { u"The cat sat."_s, u" It was a good day."_s };
        QTest::newRow("cut at a space without punctuation")
            << u"one two three four five six"_s
            << QStringList { u"one two three four"_s, u" five six"_s };
        QTest::newRow("overlong word broken")
            << u"s's's's's's'"_s << QStringList { u"s's's's' s's'"_s };
        QTest::newRow("Japanese clauses")
            << u"きょうは、いい てんきです。あしたも はれ"_s
            << QStringList { u"きょうは、いい てんきです。"_s, u"あしたも はれ"_s };
        QTest::newRow("blank text gives nothing") << u"   "_s << QStringList {};
    }

    void pieces()
    {
        QFETCH(QString, text);
        QTEST(boundedPieces(text, { 20, 8 }), "pieces");
    }

    // The lines that crash espeak-ng 1.51 end up in short words and pieces.
    void crashingLinesAreBounded()
    {
        for (const QString& line : { u"s'"_s.repeated(220),
                 u"Q."
                 u"今日は良い天気ですね明日も晴れるでしょうか私は学校へ行きます友達と一緒に勉強しま"
                 u"した"
                 u"先生はとても親切で優しい人です"_s,
                 u"x"_s.repeated(5000) }) {
            const QStringList pieces = boundedPieces(line);
            QCOMPARE(pieces.join(QString()).remove(u' '), QString(line).remove(u' '));
            for (const QString& piece : pieces) {
                QVERIFY(piece.size() <= PieceLimits().maxPieceCharacters);
                for (const QString& word : piece.split(u' '))
                    QVERIFY2(word.size() <= PieceLimits().maxWordCharacters, qPrintable(word));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTextPieces)
#include "text_pieces_test.moc"
