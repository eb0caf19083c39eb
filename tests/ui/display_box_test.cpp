#include "display_box.h"
#include "fitted_line.h"
#include "window_fonts.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace {

const QString Sentence = u"Reading aloud every day helps you remember new words quickly."_s;

// The display box of a 1366 x 768 screen, inside its margins.
const QSizeF LaptopBox(1338, 545);

QImage drawn(const FittedLine& line, const QSizeF& box)
{
    QImage image(box.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    line.draw(painter, QPointF(0, 0));
    return image;
}

// The whole line as Qt draws text, laid out in the box's rows.
QImage drawnByQt(const FittedLine& line, const QSizeF& box)
{
    QTextLayout layout(line.shownText(), line.font());
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrapping);
    layout.beginLayout();
    double y = 0;
    for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
        row.setLineWidth(box.width());
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout.endLayout();
    QImage image(box.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    layout.draw(&painter, QPointF(0, 0));
    return image;
}

} // namespace

// The display box shows every line whole, as large as it fits up to the learner's size, and
// a line too long for any readable size from its start with a mark where it is cut. The work
// done for a line is bounded by what can be seen, however long the line.
class DisplayBoxTest : public QObject {
    Q_OBJECT

private slots:
    void everyLineFitsItsBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("chosen");
        QTest::addColumn<QSizeF>("box");
        QTest::addColumn<bool>("whole"); // false: cut at the smallest readable size
        QTest::newRow("short line, chosen size") << u"Short line."_s << 99.75 << LaptopBox << true;
        QTest::newRow("sentence on a laptop") << Sentence << 99.75 << LaptopBox << true;
        QTest::newRow("sentence at 200 %") << Sentence << 99.75 << QSizeF(941, 380) << true;
        QTest::newRow("sentence on a 4K screen") << Sentence << 99.75 << QSizeF(3756, 1634) << true;
        QTest::newRow("300 kana") << QString(300, u'あ') << 99.75 << LaptopBox << true;
        QTest::newRow("one long word") << QString(200, u'x') << 99.75 << LaptopBox << true;
        QTest::newRow("empty") << QString() << 99.75 << LaptopBox << true;
        QTest::newRow("100,000 x's") << QString(100'000, u'x') << 99.75 << LaptopBox << false;
        QTest::newRow("10 MiB of x's") << QString(10 << 20, u'x') << 99.75 << LaptopBox << false;
        QTest::newRow("10 MiB of x's, 4K screen")
            << QString(10 << 20, u'x') << 99.75 << QSizeF(3756, 1634) << false;
        QTest::newRow("100,000 words")
            << u"word "_s.repeated(20'000) << 99.75 << LaptopBox << false;
        QTest::newRow("long line, tiny size")
            << QString(100'000, u'x') << 8.0 << LaptopBox << false;
        QTest::newRow("1 MiB of zero-width spaces")
            << QString(1 << 20, QChar(0x200B)) << 99.75 << LaptopBox << false;
        QTest::newRow("sentence at 5000 pt") << Sentence << 5000.0 << LaptopBox << true;
        QTest::newRow("no room at all") << Sentence << 99.75 << QSizeF(500, 0) << false;
        // Chosen at the size the sentence takes on a laptop, in a box a pixel lower: the next
        // size down fits.
        const FittedLine onLaptop(Sentence, proportionalFont(99.75), LaptopBox);
        QTest::newRow("sentence, a pixel too big")
            << Sentence << onLaptop.font().pointSizeF()
            << QSizeF(LaptopBox.width(), onLaptop.size().height() - 1) << true;
        // Characters of two UTF-16 units: a cut never splits one.
        QTest::newRow("100,000 rare kanji")
            << QString::fromUcs4(U"\U00020BB7").repeated(100'000) << 99.75 << LaptopBox << false;
    }

    void everyLineFitsItsBox()
    {
        QFETCH(QString, text);
        QFETCH(double, chosen);
        QFETCH(QSizeF, box);
        QFETCH(bool, whole);
        const FittedLine line(text, proportionalFont(chosen), box);
        const double size = line.font().pointSizeF();

        QVERIFY(line.size().width() <= box.width() && line.size().height() <= box.height());
        QVERIFY(size <= chosen);
        QCOMPARE(!line.isCut(), whole);
        if (whole) {
            QCOMPARE(line.shownText(), text);
            // The largest size that fits: one point more and the line no longer fits.
            if (size < chosen) {
                const FittedLine larger(text, proportionalFont(size + 1), box);
                QVERIFY(larger.font().pointSizeF() < size + 1);
            }
        } else {
            QCOMPARE(size,
                std::min(chosen, FittedLine::smallestReadableSize(proportionalFont(chosen), box)));
            QVERIFY(size >= std::min(chosen, FittedLine::MinimumPointSize));
            // Unless the learner chose a smaller size, a page of rows at most.
            const double rows = line.size().height() / QFontMetricsF(line.font()).height();
            QVERIFY(size == chosen || rows < FittedLine::MostRows + 1);
            QCOMPARE(line.shownLength() > 0, box.height() > 0);
            QVERIFY(line.shownLength() < text.size());
            QCOMPARE(line.shownText().endsWith(FittedLine::CutMark), line.shownLength() > 0);
            QCOMPARE(line.shownText().chopped(line.shownLength() > 0 ? 1 : 0),
                text.left(line.shownLength()));
            QVERIFY(!text.left(line.shownLength()).endsWith(u' '));
            QVERIFY(line.shownText().isValidUtf16());
            // Drawn as it reads: where the shown text and its mark, laid out alone, wrap into the
            // same rows (a line with breaks anywhere), both look the same.
            const FittedLine shown(line.shownText(), line.font(), box);
            if (line.shownLength() > 0 && !shown.isCut())
                QCOMPARE(drawn(line, box), drawn(shown, box));
            // The mark is seen: nothing is drawn past the box's right edge.
            const QImage past = drawn(line, box + QSizeF(200, 0))
                                    .copy(int(box.width()), 0, 200, int(box.height()));
            QImage blank(past.size(), past.format());
            blank.fill(Qt::white);
            QCOMPARE(past, blank);
        }
        // Only what can be seen is laid out, a few times over at most, and never the whole of
        // a huge line.
        QVERIFY(line.laidOutLength() < 1'000'000);
        QVERIFY2(line.laidOutLength() <= 20 * line.shownLength() + 2000,
            qPrintable(u"%1 characters laid out to show %2"_s.arg(line.laidOutLength())
                           .arg(line.shownLength())));
    }

    // Every glyph where Qt would draw it, at every size and with the Font dialog's effects,
    // although large glyphs are drawn one by one.
    void looksAsQtDrawsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("underlined");
        QTest::newRow("sentence, large") << Sentence << 99.75 << false;
        QTest::newRow("kana and kanji, large")
            << u"毎日声に出して読みましょう。"_s << 99.75 << false;
        QTest::newRow("sentence, small") << Sentence << 20.25 << false;
        QTest::newRow("sentence, large, underlined") << Sentence << 99.75 << true;
    }

    void looksAsQtDrawsText()
    {
        QFETCH(QString, text);
        QFETCH(double, size);
        QFETCH(bool, underlined);
        QFont font = proportionalFont(size);
        font.setUnderline(underlined);
        const FittedLine line(text, font, LaptopBox);
        QVERIFY(!line.isCut());
        QCOMPARE(drawn(line, LaptopBox), drawnByQt(line, LaptopBox));
    }

    // A line is fitted once for each text, font and size of the box, not on every key.
    void fitsOncePerLineAndSize()
    {
        DisplayBox box;
        box.setFont(proportionalFont(99.75));
        box.resize(1346, 553);
        const QString line(10 << 20, u'x');
        box.setText(line);
        box.fitted();
        QCOMPARE(box.fitsMade(), 1);

        box.setText(line); // D: the same line again
        QPalette palette = box.palette();
        palette.setColor(QPalette::Text, Qt::red); // the Font dialog's colour
        box.setPalette(palette);
        box.fitted();
        QCOMPARE(box.fitsMade(), 1);

        box.setFont(proportionalFont(101)); // 1
        box.fitted();
        QCOMPARE(box.fitsMade(), 2);
        box.resize(900, 400);
        box.fitted();
        QCOMPARE(box.fitsMade(), 3);
        box.setText(QString(line)); // another line with the same characters
        box.setText(u"next"_s);
        box.fitted();
        QCOMPARE(box.fitsMade(), 4);

        // The learner's size stays as chosen and comes back for the next line that fits.
        QCOMPARE(box.font().pointSizeF(), 101.0);
        QCOMPARE(box.fitted().font().pointSizeF(), 101.0);
    }

    // What is painted stays inside the box: nothing of a long line spills past its edges.
    void paintsOnlyInsideItsBox()
    {
        DisplayBox box;
        box.setFont(proportionalFont(99.75));
        QPalette palette = box.palette();
        palette.setColor(QPalette::Base, Qt::black);
        palette.setColor(QPalette::Text, Qt::yellow);
        box.setPalette(palette);
        box.resize(700, 300);
        box.setText(Sentence);
        const QImage image = box.grab().toImage();
        const QRect inside = box.rect().adjusted(4, 4, -4, -4);
        int yellow = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                yellow += pixel.red() > 150 && pixel.green() > 150 && pixel.blue() < 100;
                if (!inside.contains(x, y))
                    QCOMPARE(image.pixelColor(x, y), QColor(Qt::black));
            }
        }
        QVERIFY(yellow > 1000);
    }
};

QTEST_MAIN(DisplayBoxTest)
#include "display_box_test.moc"
