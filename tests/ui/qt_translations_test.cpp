#include "qt_translations.h"
#include "reading_run.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString cancelButtonText()
{
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    return buttons.button(QDialogButtonBox::Cancel)->text().remove(u'&');
}

} // namespace

// Qt's own dialog texts follow the learner's language once the translations are installed.
class TestQtTranslations : public QObject {
    Q_OBJECT

private slots:
    // The buttons and the Open dialog's file type, which is Kelvaro's own text.
    void dialogsSpeakTheLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("filter");
        QTest::newRow("Japanese") << u"ja_JP"_s << u"キャンセル"_s
                                  << u"テキスト ファイル (*.txt)"_s;
        QTest::newRow("German") << u"de_DE"_s << u"Abbrechen"_s << u"Text files (*.txt)"_s;
        QTest::newRow("English") << u"en_GB"_s << u"Cancel"_s << u"Text files (*.txt)"_s;
    }

    void dialogsSpeakTheLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, cancel);
        QFETCH(QString, filter);
        QCOMPARE(cancelButtonText(), u"Cancel"_s);
        {
            QtTranslations translations;
            translations.install(QLocale(locale));
            QCOMPARE(cancelButtonText(), cancel);
            QCOMPARE(ReadingRun::openFilter(), filter);
        }
        QCOMPARE(cancelButtonText(), u"Cancel"_s);
        QCOMPARE(ReadingRun::openFilter(), u"Text files (*.txt)"_s);
    }

    void anotherLanguageReplacesTheFirst()
    {
        QtTranslations translations;
        QVERIFY(translations.install(QLocale(u"ja_JP"_s)));
        QVERIFY(translations.install(QLocale(u"de_DE"_s)));
        QCOMPARE(cancelButtonText(), u"Abbrechen"_s);
    }

    void aLanguageQtDoesNotKnowStaysEnglish()
    {
        QtTranslations translations;
        QVERIFY(!translations.install(QLocale(QLocale::Swahili)));
        QCOMPARE(cancelButtonText(), u"Cancel"_s);
    }
};

QTEST_MAIN(TestQtTranslations)
#include "qt_translations_test.moc"
