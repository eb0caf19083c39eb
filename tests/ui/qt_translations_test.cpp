#include "qt_translations.h"
#include "reading_run.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// Qt's own dialog texts follow the learner's language once the translations are installed.
class TestQtTranslations : public QObject {
    Q_OBJECT

private slots:
    // The buttons and the Open dialog's file type, which is Kelvaro's own text, in the last
    // language installed; a language Qt does not know stays English.
    void dialogsSpeakTheLanguage_data()
    {
        QTest::addColumn<QStringList>("locales");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("filter");
        const QString english = u"Text files (*.txt)"_s;
        QTest::newRow("Japanese") << QStringList { u"ja_JP"_s } << true << u"キャンセル"_s
                                  << u"テキスト ファイル (*.txt)"_s;
        QTest::newRow("German") << QStringList { u"de_DE"_s } << true << u"Abbrechen"_s << english;
        QTest::newRow("English") << QStringList { u"en_GB"_s } << false << u"Cancel"_s << english;
        QTest::newRow("German after Japanese")
            << QStringList { u"ja_JP"_s, u"de_DE"_s } << true << u"Abbrechen"_s << english;
        QTest::newRow("Swahili") << QStringList { u"sw_KE"_s } << false << u"Cancel"_s << english;
    }

    void dialogsSpeakTheLanguage()
    {
        QFETCH(QStringList, locales);
        QFETCH(bool, known);
        QFETCH(QString, cancel);
        QFETCH(QString, filter);
        const auto cancelButtonText = [] {
            QDialogButtonBox buttons(QDialogButtonBox::Cancel);
            return buttons.button(QDialogButtonBox::Cancel)->text().remove(u'&');
        };
        {
            QtTranslations translations;
            for (const QString& locale : locales)
                QCOMPARE(translations.install(QLocale(locale)), known);
            QCOMPARE(cancelButtonText(), cancel);
            QCOMPARE(ReadingRun::openFilter(), filter);
        }
        QCOMPARE(cancelButtonText(), u"Cancel"_s);
        QCOMPARE(ReadingRun::openFilter(), u"Text files (*.txt)"_s);
    }
};

QTEST_MAIN(TestQtTranslations)
#include "qt_translations_test.moc"
