#include "qt_translations.h"

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
    void dialogButtonsSpeakTheLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("Japanese") << u"ja_JP"_s << u"キャンセル"_s;
        QTest::newRow("German") << u"de_DE"_s << u"Abbrechen"_s;
    }

    void dialogButtonsSpeakTheLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, cancel);
        QCOMPARE(cancelButtonText(), u"Cancel"_s);
        {
            QtTranslations translations;
            QVERIFY(translations.install(QLocale(locale)));
            QCOMPARE(cancelButtonText(), cancel);
        }
        QCOMPARE(cancelButtonText(), u"Cancel"_s);
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
